#include "apps/cli/WriteCommand.h"

#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/ServiceOptions.h"
#include "apps/cli/TaskWait.h"
#include "copywriting/CopywritingTask.h"

namespace {

int Run(CommandRun& run)
{
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("write takes one TOPIC (quote it when it has spaces), not %1 words")
                             .arg(run.Positional().size()));
    const QString topic = run.Positional().front();
    if (topic.trimmed().isEmpty())
        return run.Usage(QStringLiteral("the TOPIC is empty"));
    OptionReader options(run.Arguments());
    const auto timeout = options.Timeout();
    if (options.Problem())
        return run.Usage(*options.Problem());

    const QString folder = ServiceOptions::OutputFolder(QStringLiteral("Copywriting"));
    run.Set(QStringLiteral("topic"), topic);
    ServiceTask task;
    run.Progress().SetState(QStringLiteral("generating the text"));
    task.Start(CopywritingTask::Make(topic, folder));
    TaskEnd end;
    if (const std::optional<int> status = TaskWait::ForSuccess(run, task, timeout, QStringLiteral("text"), end))
        return *status;
    const CopywritingTask::Result result = CopywritingTask::ResultOf(end);
    run.Set(QStringLiteral("path"), result.path);
    run.Set(QStringLiteral("text"), result.text);
    run.Line(result.path);
    return run.Succeed();
}

} // namespace

const CliCommand& WriteCommand()
{
    static const CliCommand command{"write", "TOPIC [--timeout S]",
                                    "generated text for TOPIC; prints the text file's path",
                                    {QStringLiteral("timeout")}, &Run};
    return command;
}
