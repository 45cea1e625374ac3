#include "apps/cli/HistoryCommand.h"

#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "service/ToolTable.h"
#include "service/TransLog.h"

#include <QJsonArray>

namespace {

TransLog* LogOf(const QString& tool)
{
    const ToolRow* row = ToolTable::FindByCommand(tool);
    return row ? &GetToolLog(row->id) : nullptr;
}

QStringList ToolNames()
{
    QStringList names;
    for (const ToolRow& row : ToolTable::Rows())
        names << QString::fromLatin1(row.commandName);
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
    static const QByteArray summary =
        QStringLiteral("records of a tool's log (%1), one per line:\n"
                       "task id, source and files, separated by tabs; by default the last 7 days")
            .arg(ToolNames().join(QStringLiteral(", ")))
            .toUtf8();
    static const CliCommand command{"history", "TOOL [--from YYYY-MM-DD] [--to YYYY-MM-DD]", summary.constData(),
                                    {QStringLiteral("from"), QStringLiteral("to")}, &Run};
    return command;
}
