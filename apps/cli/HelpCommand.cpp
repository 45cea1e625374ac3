#include "apps/cli/HelpCommand.h"

#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/CommandTable.h"

namespace {

int Run(CommandRun& run)
{
    if (run.Positional().size() > 1)
        return run.Usage(QStringLiteral("help takes at most one COMMAND"));
    if (run.Positional().isEmpty()) {
        const QJsonObject description = CommandTable::Description();
        for (auto field = description.begin(); field != description.end(); ++field)
            run.Set(field.key(), field.value());
        run.Line(CommandTable::HelpPage());
        return run.Succeed();
    }
    const CliCommand* command = CommandTable::Find(run.Positional().front());
    if (!command)
        return run.Usage(QStringLiteral("there is no command %1").arg(run.Positional().front()));
    run.Set(QStringLiteral("usage"), CommandRun::UsageLine(*command));
    run.Line(CommandTable::CommandHelp(*command));
    return run.Succeed();
}

} // namespace

const CliCommand& HelpCommand()
{
    static const CliCommand command{"help", "[COMMAND]",
                                    "this page, or one command's usage and what it does; with --json the "
                                    "commands and their options",
                                    {}, &Run};
    return command;
}
