#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Runs drawing jobs one after another on a thread of its own, so a request that starts a task
// answers at once. The thread starts with the first job; one thread keeps a large set from
// starving the request workers of the few cores a test machine has.
class RenderQueue {
public:
    using Job = std::function<void()>;

    RenderQueue() = default;
    ~RenderQueue();
    RenderQueue(const RenderQueue &) = delete;
    RenderQueue &operator=(const RenderQueue &) = delete;

    // Ignored once Stop() was called.
    void Post(Job job);
    // Drops the jobs not started, waits for the running one and joins the thread. Idempotent.
    void Stop();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::thread worker_;
};
