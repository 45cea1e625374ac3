#include "apps/cli/WriteCommand.h"

#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/ServiceOptions.h"
#include "apps/cli/TaskWaiter.h"
#include "copywriting/CCopywritingNetOper.h"
#include "host/QOVMessage.h"

namespace {

// Runs on the client's worker; the waiter's thread takes it from there.
void Completed(void* waiter, int32_t code)
{
    QOVPostMessage(static_cast<QObject*>(waiter), TaskWaiter::kDoneMessage, uintptr_t(intptr_t(code)), 0);
}

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
    TaskWaiter waiter(TaskWaiter::kDoneMessage, [](int) { return TaskWaiter::Step{QString(), true}; },
                      run.Progress());
    // Declared after the waiter: the client's worker may still post to it while the client stops.
    CCopywritingNetOper client;
    client.SetCompletionHandler(&Completed);
    run.Progress().SetState(QStringLiteral("asking for an access token"));
    if (client.Start(topic.toStdString(), folder.toStdString(), &waiter) != CCopywritingNetOper::Success)
        return run.Fail(QString::fromStdString(client.GetErrorText()));
    run.Progress().SetState(QStringLiteral("generating the text"));
    switch (waiter.Wait(timeout)) {
    case TaskWaiter::Ending::Interrupted:
        return run.Interrupted();
    case TaskWaiter::Ending::TimedOut:
        return run.Fail(QStringLiteral("no text came within %1 s").arg(timeout.count()));
    case TaskWaiter::Ending::Finished:
        break;
    }
    if (waiter.FinalCode() != CCopywritingNetOper::Success)
        return run.Fail(QString::fromStdString(client.GetErrorText()));
    const QString path = QString::fromStdString(client.OutputPath());
    run.Set(QStringLiteral("path"), path);
    run.Set(QStringLiteral("text"), QString::fromStdString(client.ResultText()));
    run.Line(path);
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
