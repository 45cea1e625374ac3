#include "service/PolledSteps.h"

namespace {

TaskEnd Run(PolledSteps& steps, const ServiceTask::Worker& worker)
{
    if (std::optional<TaskEnd> failed = steps.Create(worker))
        return *failed;
    worker.Report(PolledSteps::kCreated, PolledSteps::StateText(steps.TaskId(), QStringLiteral("created")));
    while (!worker.Stopping()) {
        TaskEnd end;
        switch (steps.Poll(worker, end)) {
        case PolledSteps::Polled::Over:
            return end;
        case PolledSteps::Polled::Ready:
            if (std::optional<TaskEnd> fetched = steps.Fetch(worker))
                return *fetched;
            break;
        case PolledSteps::Polled::Running:
            break;
        }
        if (!worker.Pause(steps.Interval()))
            break;
    }
    return TaskEnd::Stop();
}

} // namespace

TaskEnd PolledSteps::Drive(PolledSteps& steps, const ServiceTask::Worker& worker)
{
    TaskEnd end = Run(steps, worker);
    if (worker.Stopping() && !end.Succeeded())
        end = TaskEnd::Stop();
    steps.Finish(end);
    return end;
}

QString PolledSteps::StateText(const QString& taskId, const QString& state, const QString& reason)
{
    const QString text = QStringLiteral("task %1: %2").arg(taskId, state);
    return reason.isEmpty() ? text : text + QStringLiteral(" (") + reason + QLatin1Char(')');
}

QString PolledSteps::ReasonOf(const QString& text)
{
    const qsizetype open = text.indexOf(QStringLiteral(" ("));
    if (open < 0 || !text.endsWith(QLatin1Char(')')))
        return QString();
    return text.mid(open + 2, text.size() - open - 3);
}
