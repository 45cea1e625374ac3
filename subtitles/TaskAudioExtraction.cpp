#include "subtitles/TaskAudioExtraction.h"

TaskAudioExtraction::TaskAudioExtraction(Attempt attempt, Recorded recorded, Succeeded succeeded)
    : m_attempt(std::move(attempt))
    , m_recorded(std::move(recorded))
    , m_succeeded(std::move(succeeded))
{
}

TaskAudioExtraction::~TaskAudioExtraction()
{
    Stop();
}

void TaskAudioExtraction::Start()
{
    // From its own thread (a notification that starts again) the old thread cannot be waited for.
    if (m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id())
        return;
    Stop();
    m_cancelled = false;
    m_stop.Reset();
    m_result = kPending;
    // Running before the thread exists: a thread that ends at once must not find it unset later.
    m_running = true;
    m_thread = std::thread(&TaskAudioExtraction::Run, this);
}

void TaskAudioExtraction::Stop()
{
    m_cancelled = true;
    m_stop.Set();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        // The thread's end is its done signal; joining also waits for the success notification,
        // which may start recognition from the thread.
        m_thread.join();
    }
    m_running = false;
}

void TaskAudioExtraction::Run()
{
    const std::function<bool()> stop = [this] { return m_cancelled.load(); };
    int code = kPending;
    if (!m_cancelled) {
        for (int attempt = 1; attempt <= kAttempts; ++attempt) {
            code = m_attempt(stop);
            if (code == 0 || attempt == kAttempts || m_stop.Wait(kPause) || m_cancelled)
                break;
        }
    }
    const bool cancelled = m_cancelled;
    if (m_recorded && code != kPending)
        m_recorded(code);
    m_result = code == kPending ? -1 : code;
    m_running = false;
    if (code == 0 && !cancelled && m_succeeded)
        m_succeeded();
}
