#pragma once

#include "service/TaskRun.h"

#include <pplx/pplxtasks.h>

#include <chrono>
#include <cstdint>
#include <functional>

// The worker of a service task: polls, reports each poll's code, and waits the interval between
// polls, until a code ends the task or Stop() is called. Stop() cancels a request in flight and
// wakes the wait, so it returns within moments instead of a request time-out; once it is called no
// further report is made. Each start is a run of its own: a stopped loop can never be revived by
// the next start, and is always waited for by someone.
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

    // Stops (and waits for) a running worker first.
    void Start(std::chrono::milliseconds interval, Poll poll, Report report, Ends ends);
    // Stops and waits for the loop; returns 0. Called from the worker's own report it cannot wait
    // for itself: the loop ends after that report, and the next Start or Stop from another thread
    // (or the destructor) waits for it.
    int Stop();
    // Asks the loop to end without waiting for it (the owner waits later, with Stop).
    void Cancel();
    bool Running() const;

private:
    TaskRun m_run;
};
