#include "service/PollingWorker.h"

PollingWorker::~PollingWorker()
{
    Stop();
}

void PollingWorker::Start(std::chrono::milliseconds interval, Poll poll, Report report, Ends ends)
{
    Stop();
    m_run.Start([interval, poll = std::move(poll), report = std::move(report),
                 ends = std::move(ends)](TaskControl& control) {
        while (!control.Stopping()) {
            const int32_t code = poll(control.Token());
            if (control.Stopping())
                break;
            report(code);
            if (ends(code) || !control.Pause(interval))
                break;
        }
    });
}

int PollingWorker::Stop()
{
    m_run.StopAndWait();
    return 0;
}

void PollingWorker::Cancel()
{
    m_run.Stop();
}

bool PollingWorker::Running() const
{
    return m_run.Running();
}
