#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CliOutput.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/CommandTable.h"
#include "apps/cli/InterruptSignal.h"
#include "service/TaskRun.h"

#include <QCoreApplication>

#include <clocale>

namespace {

int GlobalUsage(const QString& problem)
{
    QStringList names;
    for (const CliCommand* command : CommandTable::Commands())
        names << QLatin1String(command->name);
    PrintError(QStringLiteral("qovaigc: %1\n%2\ncommands: %3 (qovaigc help COMMAND tells more)")
                   .arg(problem, CommandTable::GlobalUsageLine(), names.join(QStringLiteral(", "))));
    return ExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    // The service workers report by posting messages, which need an event loop to arrive.
    QCoreApplication application(argc, argv);
    if (argc == 2 && QLatin1String(argv[1]) == QLatin1String("--version")) {
        PrintLine(QStringLiteral("qovaigc " QOV_VERSION));
        return ExitOk;
    }
    const CliArguments arguments = CliArguments::Parse(argc, argv);
    const QString name = arguments.Command();
    if (name.isEmpty()) {
        if (arguments.Flag(QStringLiteral("help")) && arguments.Problem().isEmpty()) {
            PrintLine(CommandTable::HelpPage());
            return ExitOk;
        }
        return GlobalUsage(arguments.Problem().isEmpty() ? QStringLiteral("no command given") : arguments.Problem());
    }
    const CliCommand* command = CommandTable::Find(name);
    if (!command)
        return GlobalUsage(QStringLiteral("there is no command %1").arg(name));

    CommandRun run(*command, arguments);
    if (!arguments.Problem().isEmpty())
        return run.Usage(arguments.Problem());
    if (const QStringList unknown = arguments.UnknownOptions(command->options); !unknown.isEmpty())
        return run.Usage(QStringLiteral("%1 is not an option of %2").arg(unknown.front(), name));
    if (const QStringList unknown = arguments.UnknownFlags(command->flags); !unknown.isEmpty())
        return run.Usage(QStringLiteral("%1 is not an option of %2").arg(unknown.front(), name));
    if (arguments.Flag(QStringLiteral("help"))) {
        PrintLine(CommandTable::CommandHelp(*command));
        return ExitOk;
    }
    InterruptSignal::Install();
    const int status = command->run(run);
    // A stopped task's body may still be returning: nothing of it outlives the program's end.
    TaskRun::WaitForAll(std::chrono::seconds(5));
    return status;
}
