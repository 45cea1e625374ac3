#include "apps/cli/PolledRun.h"

#include "apps/cli/CommandRun.h"
#include "service/ServiceTask.h"

namespace PolledRun {

void Start(CommandRun& run, const QString& noun, const PolledClient& client, ServiceTask& task)
{
    run.Progress().SetState(QStringLiteral("creating the %1 task").arg(noun));
    task.Start([&client](const ServiceTask::Worker& worker) { return client.Drive(worker); });
}

std::optional<int> Finish(CommandRun& run, const QString& noun, const PolledClient& client,
                          std::chrono::seconds timeout, TaskWait::Ending ending, const TaskEnd& end, int& finalCode)
{
    const QString id = client.taskId();
    if (!id.isEmpty())
        run.Set(QStringLiteral("task_id"), id);
    switch (ending) {
    case TaskWait::Ending::Interrupted:
        return run.Interrupted();
    case TaskWait::Ending::TimedOut: {
        const QString error = client.error();
        return TimedOut(run, noun, timeout,
                        error.isEmpty() ? QString() : QStringLiteral(" (last error: %1)").arg(error));
    }
    case TaskWait::Ending::Ended:
        break;
    }
    if (!end.Succeeded()) {
        // The service's own words stay in a member of their own.
        if (const QString words = end.value.toString(); !words.isEmpty())
            run.Set(QStringLiteral("service_error"), words);
        return run.Fail(end.error.text);
    }
    finalCode = end.value.toInt();
    return std::nullopt;
}

int TimedOut(CommandRun& run, const QString& noun, std::chrono::seconds timeout, const QString& detail)
{
    return run.Fail(
        QStringLiteral("the %1 task did not finish within %2 s%3").arg(noun, QString::number(timeout.count()), detail));
}

} // namespace PolledRun
