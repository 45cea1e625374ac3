#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class SpeechRecognizer;

// Runs recognition off the request threads, a few jobs at a time: each worker thread has its own
// recognizer (an English decoder is large and not thread-safe), and further jobs wait their turn.
class RecognitionQueue {
public:
    // A job recognises with the worker's recognizer and gives up once `stopping` turns true.
    using Job = std::function<void(SpeechRecognizer &recognizer, const std::atomic<bool> &stopping)>;

    static constexpr std::size_t kWorkers = 2;

    RecognitionQueue();
    ~RecognitionQueue();
    RecognitionQueue(const RecognitionQueue &) = delete;
    RecognitionQueue &operator=(const RecognitionQueue &) = delete;

    // Ignored once Stop() was called.
    void Post(Job job);
    // Drops the jobs not started, tells the running ones to give up and joins the workers.
    // Idempotent.
    void Stop();

private:
    void Work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> workers_;
};
