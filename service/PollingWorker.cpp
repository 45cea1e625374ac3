#include "service/PollingWorker.h"

#include <atomic>
#include <condition_variable>
#include <system_error>

// What one start's loop shares with its owner. The loop holds it for as long as it runs, so a
// later start, with a run of its own, cannot clear this run's stop flag.
struct PollingWorker::Run
{
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::atomic<bool> running{true};
    pplx::cancellation_token_source cancel;

    void Stop()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        cancel.cancel();
        wake.notify_all();
    }

    bool Stopped()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return stop;
    }
};

namespace {

int Join(std::thread& thread)
{
    if (!thread.joinable())
        return 0;
    try {
        thread.join();
    } catch (const std::system_error&) {
        return -1;
    }
    return 0;
}

} // namespace

PollingWorker::~PollingWorker()
{
    Stop();
    // Only a worker that destroys its own owner gets here with a handle left; it ends by itself.
    if (m_selfStopped.joinable())
        m_selfStopped.detach();
}

void PollingWorker::Start(std::chrono::milliseconds interval, Poll poll, Report report, Ends ends)
{
    Stop();
    auto run = std::make_shared<Run>();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_run = run;
    m_thread = std::thread([run, interval, poll = std::move(poll), report = std::move(report),
                            ends = std::move(ends)] { Loop(*run, interval, poll, report, ends); });
}

int PollingWorker::Stop()
{
    const std::thread::id self = std::this_thread::get_id();
    std::thread running;
    std::thread selfStopped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_run)
            m_run->Stop();
        if (m_selfStopped.joinable() && m_selfStopped.get_id() != self)
            selfStopped = std::move(m_selfStopped);
        if (m_thread.joinable() && m_thread.get_id() == self)
            m_selfStopped = std::move(m_thread);
        else
            running = std::move(m_thread);
    }
    const int first = Join(running);
    const int second = Join(selfStopped);
    return first == 0 && second == 0 ? 0 : -1;
}

bool PollingWorker::Running() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_run && m_run->running;
}

void PollingWorker::Loop(Run& run, std::chrono::milliseconds interval, const Poll& poll, const Report& report,
                         const Ends& ends)
{
    const pplx::cancellation_token token = run.cancel.get_token();
    while (!run.Stopped()) {
        const int32_t code = poll(token);
        if (run.Stopped())
            break;
        report(code);
        if (ends(code))
            break;
        std::unique_lock<std::mutex> lock(run.mutex);
        run.wake.wait_for(lock, interval, [&run] { return run.stop; });
    }
    run.running = false;
}
