#pragma once

#include "service/TaskRun.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

// The work that extracts a video task's audio, on the module's task pool: up to ten attempts,
// 100 ms apart, until one succeeds or the owner stops it. Stopping reaches into the attempt that
// runs, so it returns in moments rather than after a whole conversion.
class TaskAudioExtraction
{
public:
    // One attempt; returns the extractor's code (0 done) and gives up soon after stop() is true.
    using Attempt = std::function<int(const std::function<bool()>& stop)>;
    // Called on the thread with the final code, first before the thread counts as done (to record
    // it), then, after a success that was not cancelled, once it does.
    using Recorded = std::function<void(int code)>;
    using Succeeded = std::function<void()>;
    // Called on the run after the extraction gave up (not after a stop), once it counts as done.
    using Failed = std::function<void(int code)>;

    static constexpr int kAttempts = 10;
    static constexpr std::chrono::milliseconds kPause{100};
    // What Result() says while no extraction has ended since the last Start.
    static constexpr int kPending = 1;

    TaskAudioExtraction(Attempt attempt, Recorded recorded, Succeeded succeeded, Failed failed = nullptr);
    // Stops and waits.
    ~TaskAudioExtraction();
    TaskAudioExtraction(const TaskAudioExtraction&) = delete;
    TaskAudioExtraction& operator=(const TaskAudioExtraction&) = delete;

    // Stops a running extraction first, then starts anew; does nothing on the extraction's thread.
    void Start();
    // Cancels a running extraction and waits for its thread (unless called on that thread).
    void Stop();
    bool Running() const { return m_running; }
    bool Cancelled() const { return m_cancelled; }
    // kPending, or the final code of the last extraction.
    int Result() const { return m_result; }

private:
    void Run(TaskControl& control);

    Attempt m_attempt;
    Recorded m_recorded;
    Succeeded m_succeeded;
    Failed m_failed;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_result{kPending};
    std::atomic<std::thread::id> m_worker{}; // the thread of the run under way
    TaskRun m_run;
};
