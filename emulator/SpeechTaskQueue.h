#pragma once

#include "SpeechFormat.h"
#include "SpeechSettings.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// Long-text synthesis tasks, spoken one after another on a worker thread of their own so the
// HTTP workers only queue and look up. Tasks stay for the life of the server, the oldest finished
// ones giving way once there are many.
class SpeechTaskQueue {
public:
    enum class Status { Running, Success, Failure };

    struct View {
        Status status = Status::Running;
        SpeechFormat format = SpeechFormat::Mp3;
        std::string sign;
        std::int64_t expires = 0;  // seconds since the epoch
    };

    // Clients must see a task running before it succeeds, however quickly it is spoken.
    static constexpr std::chrono::milliseconds kMinimumRunning{1000};
    static constexpr std::size_t kMaxTasks = 256;
    // Only this much of a task's text is spoken: the rest is accepted but left out, so a text of
    // the largest allowed size does not occupy the machine's cores for many minutes.
    static constexpr std::size_t kMaxSpokenCharacters = 5000;
    static constexpr std::chrono::hours kLinkLifetime{24};

    SpeechTaskQueue() = default;
    ~SpeechTaskQueue();
    SpeechTaskQueue(const SpeechTaskQueue &) = delete;
    SpeechTaskQueue &operator=(const SpeechTaskQueue &) = delete;

    // Queues a task and returns its id, 24 hex digits.
    std::string Add(const std::string &text, const SpeechSettings &settings, SpeechFormat format);
    std::optional<View> Find(const std::string &id) const;
    // The finished audio of a task that succeeded in `format`, else null.
    std::shared_ptr<const std::string> Audio(const std::string &id, SpeechFormat format) const;
    // Abandons the task being spoken and joins the worker; later tasks are never spoken.
    void Stop();

private:
    struct Task {
        std::string text;
        SpeechSettings settings;
        SpeechFormat format = SpeechFormat::Mp3;
        std::chrono::steady_clock::time_point created;
        View view;
        bool finished = false;
        std::shared_ptr<const std::string> audio;
    };

    void Work();
    void Finish(const std::string &id, std::shared_ptr<const std::string> audio);
    void EvictOldFinished();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::map<std::string, Task> tasks_;
    std::deque<std::string> order_;    // every kept task, oldest first
    std::deque<std::string> pending_;  // not yet spoken, oldest first
    std::atomic<bool> stopping_{false};
    std::thread worker_;
};
