#pragma once

#include <pplx/pplxtasks.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// The worker of a service task: polls, reports each poll's code, and waits the interval between
// polls, until a code ends the task or Stop() is called. Stop() cancels a request in flight and
// wakes the wait, so it returns within moments instead of a request time-out; once it is called no
// further report is made.
class PollingWorker
{
public:
    using Poll = std::function<int32_t(const pplx::cancellation_token&)>;
    using Report = std::function<void(int32_t code)>;
    using Ends = std::function<bool(int32_t code)>;

    PollingWorker() = default;
    ~PollingWorker();
    PollingWorker(const PollingWorker&) = delete;
    PollingWorker& operator=(const PollingWorker&) = delete;

    // Stops a running worker first.
    void Start(std::chrono::milliseconds interval, Poll poll, Report report, Ends ends);
    // Returns 0, or -1 when the worker could not be waited for.
    int Stop();
    bool Running() const;

private:
    void Loop(std::chrono::milliseconds interval, const Poll& poll, const Report& report, const Ends& ends);

    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    pplx::cancellation_token_source m_cancel;
};
