#include "apps/cli/HistoryCommand.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliOutput.h"
#include "service/TransLog.h"

#include <QDate>

#include <optional>

namespace {

TransLog* LogOf(const QString& tool)
{
    if (tool == QLatin1String("painting"))
        return &GetPaintingLog();
    if (tool == QLatin1String("dubbing"))
        return &GetDubbingLog();
    if (tool == QLatin1String("subtitles"))
        return &GetSubtitlesLog();
    if (tool == QLatin1String("copywriting"))
        return &GetCopywritingLog();
    return nullptr;
}

std::optional<QDate> DateOption(const CliArguments& arguments, const QString& name, bool& bad)
{
    const std::optional<QString> text = arguments.Option(name);
    if (!text)
        return std::nullopt;
    const QDate date = QDate::fromString(*text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        bad = true;
    return date;
}

} // namespace

int RunHistoryCommand(const CliArguments& arguments)
{
    const QStringList unknown = arguments.UnknownOptions({QStringLiteral("from"), QStringLiteral("to")});
    if (!unknown.isEmpty())
        return PrintUsage(QStringLiteral("unknown option %1").arg(unknown.join(QLatin1Char(' '))));
    if (arguments.Positional().size() != 1)
        return PrintUsage(QStringLiteral("history takes one TOOL"));
    TransLog* log = LogOf(arguments.Positional().front());
    if (!log)
        return PrintUsage(QStringLiteral("unknown tool %1").arg(arguments.Positional().front()));

    bool bad = false;
    const std::optional<QDate> from = DateOption(arguments, QStringLiteral("from"), bad);
    const std::optional<QDate> to = DateOption(arguments, QStringLiteral("to"), bad);
    if (bad)
        return PrintUsage(QStringLiteral("dates are written YYYY-MM-DD"));

    // A day named on the command line counts whole, from its first to its last second.
    const QDateTime start = from ? QDateTime(*from, QTime(0, 0)) : log->RangeStart();
    const QDateTime end = to ? QDateTime(*to, QTime(23, 59, 59)) : log->RangeEnd();
    log->SetRange(start, end);
    log->LoadLogs();
    for (const TransLogItem& item : log->Items())
        PrintLine(item.TaskID + QLatin1Char('\t') + item.SrcInfo + QLatin1Char('\t') + item.Files);
    return ExitOk;
}
