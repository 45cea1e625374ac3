#include "apps/cli/HistoryCommand.h"

#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "service/TransLog.h"

#include <QJsonArray>

namespace {

struct ToolLog
{
    const char* tool;
    TransLog& (*log)();
};

const ToolLog kToolLogs[] = {
    {"painting", &GetPaintingLog},
    {"dubbing", &GetDubbingLog},
    {"subtitles", &GetSubtitlesLog},
    {"copywriting", &GetCopywritingLog},
};

TransLog* LogOf(const QString& tool)
{
    for (const ToolLog& entry : kToolLogs) {
        if (tool == QLatin1String(entry.tool))
            return &entry.log();
    }
    return nullptr;
}

QStringList ToolNames()
{
    QStringList names;
    for (const ToolLog& entry : kToolLogs)
        names << QString::fromLatin1(entry.tool);
    return names;
}

QJsonObject Record(const TransLogItem& item)
{
    QJsonArray files;
    for (const QString& file : item.Files.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        files.append(file);
    return QJsonObject{{QStringLiteral("task_id"), item.TaskID},
                       {QStringLiteral("source"), item.SrcInfo},
                       {QStringLiteral("files"), files}};
}

int Run(CommandRun& run)
{
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("history takes one TOOL: %1").arg(ToolNames().join(QStringLiteral(", "))));
    const QString tool = run.Positional().front();
    TransLog* log = LogOf(tool);
    if (!log)
        return run.Usage(QStringLiteral("there is no tool %1; the tools are %2")
                             .arg(tool, ToolNames().join(QStringLiteral(", "))));
    OptionReader options(run.Arguments());
    const std::optional<QDate> from = options.Date(QStringLiteral("from"));
    const std::optional<QDate> to = options.Date(QStringLiteral("to"));
    if (options.Problem())
        return run.Usage(*options.Problem());

    // A day named on the command line counts whole, from its first to its last second.
    const QDateTime start = from ? QDateTime(*from, QTime(0, 0)) : log->RangeStart();
    const QDateTime end = to ? QDateTime(*to, QTime(23, 59, 59)) : log->RangeEnd();
    log->SetRange(start, end);
    log->LoadLogs();
    QJsonArray records;
    for (const TransLogItem& item : log->Items()) {
        records.append(Record(item));
        run.Line(item.TaskID + QLatin1Char('\t') + item.SrcInfo + QLatin1Char('\t') + item.Files);
    }
    run.Set(QStringLiteral("tool"), tool);
    run.Set(QStringLiteral("from"), start.date().toString(Qt::ISODate));
    run.Set(QStringLiteral("to"), end.date().toString(Qt::ISODate));
    run.Set(QStringLiteral("records"), records);
    return run.Succeed();
}

} // namespace

const CliCommand& HistoryCommand()
{
    static const CliCommand command{
        "history", "TOOL [--from YYYY-MM-DD] [--to YYYY-MM-DD]",
        "records of a tool's log (painting, dubbing, subtitles, copywriting), one per line:\n"
        "task id, source and files, separated by tabs; by default the last 7 days",
        {QStringLiteral("from"), QStringLiteral("to")}, &Run};
    return command;
}
