#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event that one waiter consumes: Set wakes a waiter (or the next one to come) and the wait
// clears it again.
class AutoResetEvent
{
public:
    void Set();
    void Reset();
    // True when the event was set within timeout (0: only a look); the event is clear afterwards.
    bool Wait(std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_set = false;
};
