#pragma once

#include <pplx/pplxtasks.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// What a task's body sees on its worker: the token that cancels its request in flight, whether it
// is being stopped, and a pause that a stop cuts short. The body polls, waits and retries only
// through this, so that a stop reaches it wherever it is.
class TaskControl
{
public:
    TaskControl();
    TaskControl(const TaskControl&) = delete;
    TaskControl& operator=(const TaskControl&) = delete;

    // Hand this to every request the body makes.
    const pplx::cancellation_token& Token() const { return m_token; }
    bool Stopping() const;
    // Waits for duration; false (at once) when the task is or gets stopped.
    bool Pause(std::chrono::milliseconds duration);

    // Asks the body to end: cancels the request in flight and wakes a pause. Never blocks.
    void Stop();
    // Waits at most limit for the body to return; true when it has. The body's own thread cannot
    // wait for itself: there it returns false at once.
    bool WaitDone(std::chrono::milliseconds limit);
    bool Done() const;
    // Whether the calling thread is the body's, while it runs.
    bool OnWorker() const;

private:
    friend class TaskRun;
    void Begin();
    void End();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_done = false;
    std::thread::id m_worker;
    pplx::cancellation_token_source m_source;
    pplx::cancellation_token m_token;
};

// Runs a body on a worker of the module's task pool, one run at a time. Stopping never blocks;
// waiting is a separate, bounded step, for callers that may wait (a host's synchronous call, the
// command line, a test). A run that nobody waits for ends by itself, and the module's shut-down
// waits for every run (WaitForAll).
class TaskRun
{
public:
    using Body = std::function<void(TaskControl&)>;
    // Each run waits on the network most of its life; the limit only guards against a runaway.
    static constexpr int kDefaultPoolSize = 256;

    TaskRun() = default;
    // Stops a running body without waiting: a body shares nothing with its owner but what it was
    // given, so it may finish after the owner has gone.
    ~TaskRun();
    TaskRun(const TaskRun&) = delete;
    TaskRun& operator=(const TaskRun&) = delete;

    // False (and nothing started) while the previous run's body has not returned.
    bool Start(Body body);
    void Stop();
    // Stops and waits at most limit; true when no body runs any more.
    bool StopAndWait(std::chrono::milliseconds limit = std::chrono::milliseconds::max());
    bool Running() const;
    // Whether the calling thread is the running body's own (which cannot wait for itself).
    bool OnItsThread() const;
    // The run now under way (or the last one), for a body's helpers and for tests.
    std::shared_ptr<TaskControl> Control() const;

    // Waits at most limit for every run of the process to end; true when none is left.
    static bool WaitForAll(std::chrono::milliseconds limit);
    // The most runs at once; more wait for a thread. Tests make it small to show that no run ever
    // waits for another.
    static void SetPoolSize(int threads);
    static int PoolSize();

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<TaskControl> m_control;
};
