#include "apps/cli/PolledTask.h"

#include "apps/cli/CommandRun.h"

PolledTask::PolledTask(CommandRun& run, int message, const QString& noun, Reading reading)
    : m_run(run)
    , m_noun(noun)
    , m_reading(std::move(reading))
    , m_waiter(
          message,
          [this](int code) {
              const TaskWaiter::Step step = m_reading(code);
              return TaskWaiter::Step{QStringLiteral("task %1: %2").arg(m_task, step.state), step.ends};
          },
          run.Progress())
{
    m_run.Progress().SetState(QStringLiteral("creating the %1 task").arg(noun));
}

void PolledTask::Created(const QString& taskId)
{
    m_task = taskId;
    m_run.Set(QStringLiteral("task_id"), m_task);
    m_run.Progress().SetState(QStringLiteral("task %1: created").arg(m_task));
}

QString PolledTask::LastError(const std::string& error)
{
    return error.empty() ? QString() : QStringLiteral(" (last error: %1)").arg(QString::fromStdString(error));
}

std::optional<int> PolledTask::Ended(CommandRun& run, TaskWaiter::Ending ending, const QString& noun,
                                     std::chrono::seconds timeout, const QString& detail)
{
    switch (ending) {
    case TaskWaiter::Ending::Interrupted:
        return run.Interrupted();
    case TaskWaiter::Ending::TimedOut:
        return run.Fail(QStringLiteral("the %1 task did not finish within %2 s%3")
                            .arg(noun, QString::number(timeout.count()), detail));
    case TaskWaiter::Ending::Finished:
        break;
    }
    return std::nullopt;
}
