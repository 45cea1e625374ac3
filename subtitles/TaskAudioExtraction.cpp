#include "subtitles/TaskAudioExtraction.h"

TaskAudioExtraction::TaskAudioExtraction(Attempt attempt, Recorded recorded, Succeeded succeeded, Failed failed)
    : m_attempt(std::move(attempt))
    , m_recorded(std::move(recorded))
    , m_succeeded(std::move(succeeded))
    , m_failed(std::move(failed))
{
}

TaskAudioExtraction::~TaskAudioExtraction()
{
    Stop();
}

void TaskAudioExtraction::Start()
{
    // From its own run (a notification that starts again) the old run cannot be waited for.
    if (m_worker.load() == std::this_thread::get_id())
        return;
    Stop();
    m_cancelled = false;
    m_result = kPending;
    // Running before the run begins: a run that ends at once must not find it unset later.
    m_running = true;
    m_run.Start([this](TaskControl& control) { Run(control); });
}

void TaskAudioExtraction::Stop()
{
    m_cancelled = true;
    // The run's end is its done signal; waiting also waits for the success notification, which
    // may start recognition from the run. On the run's own thread nothing is waited for.
    m_run.StopAndWait();
    if (m_worker.load() != std::this_thread::get_id())
        m_running = false;
}

void TaskAudioExtraction::Run(TaskControl& control)
{
    m_worker = std::this_thread::get_id();
    const std::function<bool()> stop = [this, &control] { return m_cancelled.load() || control.Stopping(); };
    int code = kPending;
    if (!stop()) {
        for (int attempt = 1; attempt <= kAttempts; ++attempt) {
            code = m_attempt(stop);
            if (code == 0 || attempt == kAttempts || !control.Pause(kPause) || m_cancelled)
                break;
        }
    }
    const bool cancelled = stop();
    if (m_recorded && code != kPending)
        m_recorded(code);
    m_result = code == kPending ? -1 : code;
    m_running = false;
    if (code == 0 && !cancelled && m_succeeded)
        m_succeeded();
    else if (code != 0 && code != kPending && !cancelled && m_failed)
        m_failed(code);
    m_worker = std::thread::id();
}
