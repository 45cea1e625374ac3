#include "service/PollingWorker.h"

#include <system_error>

PollingWorker::~PollingWorker()
{
    Stop();
}

void PollingWorker::Start(std::chrono::milliseconds interval, Poll poll, Report report, Ends ends)
{
    Stop();
    m_stop = false;
    m_cancel = pplx::cancellation_token_source();
    m_running = true;
    m_thread = std::thread([this, interval, poll = std::move(poll), report = std::move(report),
                            ends = std::move(ends)] { Loop(interval, poll, report, ends); });
}

int PollingWorker::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_cancel.cancel();
    m_wake.notify_all();
    if (!m_thread.joinable())
        return 0;
    if (m_thread.get_id() == std::this_thread::get_id()) {
        // Stopped from its own report: the loop ends by itself, nothing to wait for.
        m_thread.detach();
        return 0;
    }
    try {
        m_thread.join();
    } catch (const std::system_error&) {
        return -1;
    }
    return 0;
}

bool PollingWorker::Running() const
{
    return m_running;
}

void PollingWorker::Loop(std::chrono::milliseconds interval, const Poll& poll, const Report& report, const Ends& ends)
{
    const pplx::cancellation_token token = m_cancel.get_token();
    while (!m_stop) {
        const int32_t code = poll(token);
        if (m_stop)
            break;
        report(code);
        if (ends(code))
            break;
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait_for(lock, interval, [this] { return m_stop.load(); });
    }
    m_running = false;
}
