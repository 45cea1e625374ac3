#include "apps/cli/PolledProgress.h"

#include "apps/cli/CommandRun.h"
#include "service/PolledSteps.h"

QString PolledProgress::Read(int code, const QString& text)
{
    if (code == PolledSteps::kCreated) {
        // "task ID: created"
        m_taskId = text.section(QLatin1Char(' '), 1, 1);
        m_taskId.chop(1);
    }
    if (const QString reason = PolledSteps::ReasonOf(text); !reason.isEmpty())
        m_lastError = reason;
    return text;
}

std::optional<int> PolledProgress::Finish(CommandRun& run, std::chrono::seconds timeout, TaskWait::Ending ending,
                                          const TaskEnd& end) const
{
    if (!m_taskId.isEmpty())
        run.Set(QStringLiteral("task_id"), m_taskId);
    switch (ending) {
    case TaskWait::Ending::Interrupted:
        return run.Interrupted();
    case TaskWait::Ending::TimedOut:
        return TimedOut(run, m_noun, timeout,
                        m_lastError.isEmpty() ? QString() : QStringLiteral(" (last error: %1)").arg(m_lastError));
    case TaskWait::Ending::Ended:
        break;
    }
    if (!end.Succeeded()) {
        // The service's own words stay in a member of their own.
        if (const QString words = end.value.toString(); !words.isEmpty())
            run.Set(QStringLiteral("service_error"), words);
        return run.Fail(end.error.text);
    }
    return std::nullopt;
}

int PolledProgress::TimedOut(CommandRun& run, const QString& noun, std::chrono::seconds timeout, const QString& detail)
{
    return run.Fail(
        QStringLiteral("the %1 task did not finish within %2 s%3").arg(noun, QString::number(timeout.count()), detail));
}
