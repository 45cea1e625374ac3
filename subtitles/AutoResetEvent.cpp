#include "subtitles/AutoResetEvent.h"

void AutoResetEvent::Set()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_set = true;
    }
    m_changed.notify_one();
}

void AutoResetEvent::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

bool AutoResetEvent::Wait(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool set = m_changed.wait_for(lock, timeout, [this] { return m_set; });
    m_set = false;
    return set;
}
