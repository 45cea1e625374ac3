#include "apps/cli/CliArguments.h"
#include "apps/cli/CliOutput.h"
#include "apps/cli/DubCommand.h"
#include "apps/cli/ExtractCommand.h"
#include "apps/cli/HistoryCommand.h"
#include "apps/cli/PaintCommand.h"
#include "apps/cli/WriteCommand.h"

#include <QCoreApplication>

#include <clocale>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    // The service workers report by posting messages, which need an event loop to arrive.
    QCoreApplication application(argc, argv);
    if (argc == 2 && QLatin1String(argv[1]) == QLatin1String("--version")) {
        PrintLine(QStringLiteral("qovaigc " QOV_VERSION));
        return ExitOk;
    }
    QString error;
    const std::optional<CliArguments> arguments = CliArguments::Parse(argc, argv, error);
    if (!arguments)
        return PrintUsage(error);
    const QString command = arguments->Command();
    if (command == QLatin1String("write"))
        return RunWriteCommand(*arguments);
    if (command == QLatin1String("history"))
        return RunHistoryCommand(*arguments);
    if (command == QLatin1String("dub"))
        return RunDubCommand(*arguments);
    if (command == QLatin1String("paint"))
        return RunPaintCommand(*arguments);
    if (command == QLatin1String("extract"))
        return RunExtractCommand(*arguments);
    if (command == QLatin1String("duration"))
        return RunDurationCommand(*arguments);
    if (command == QLatin1String("help")) {
        PrintLine(UsageText().trimmed());
        return ExitOk;
    }
    if (command.isEmpty())
        return PrintUsage(QString());
    return PrintUsage(QStringLiteral("unknown command %1").arg(command));
}
