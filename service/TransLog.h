#pragma once

#include "service/ToolTable.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <deque>
#include <mutex>
#include <optional>

struct LogLineFields;

// One task of a tool's log.
struct TransLogItem
{
    QString TaskID;   // the service's task identifier, or a generated GUID text
    QString SrcInfo;  // the prompt or text (line breaks replaced by "|"), or the source file
    QString Files;    // result paths, each followed by "|"
    int32_t Stat = 0; // last reported state; 2 = finished with its files, -1 = failed
};

// A tool's task log: this run's append-only record file in the tool's log folder plus the records
// in memory. Service workers add and update records while the history dialog reads and reloads
// them, so one mutex serialises the records and the file.
class TransLog
{
public:
    // The calendar date a log file counts for; by default its birth time where the file system
    // keeps one, else its modification time.
    using FileDateSource = std::function<QDateTime(const QString& path)>;

    // folder ends with a separator and is created when missing; this run's file is named after
    // created, and the history range is the 7 days up to it.
    explicit TransLog(const QString& folder, const QDateTime& created = QDateTime::currentDateTime(),
                      FileDateSource fileDate = {});
    ~TransLog();
    TransLog(const TransLog&) = delete;
    TransLog& operator=(const TransLog&) = delete;

    QString Folder() const { return m_folder; }
    QString LogFile() const { return m_logFile; }

    QDateTime RangeStart() const;
    QDateTime RangeEnd() const;
    void SetRange(const QDateTime& start, const QDateTime& end);

    // Records a submitted task ("TaskID=%s, SrcInfo=%s"). The source is kept in its log form
    // (SourceOf), so no caller can split a record over lines.
    void AddTask(const QString& source, const QString& taskId);
    // Records a task that finished at once under a new GUID, written with state 2; returns the GUID.
    // The source is kept in its log form, as with AddTask.
    QString AddFinishedTask(const QString& source, const QString& files);
    // First record with exactly this identifier.
    std::optional<TransLogItem> FindTask(const QString& taskId) const;
    // Sets the state and, when a list is given, the files (each followed by "|"). False, and
    // nothing written, when no record has the identifier.
    bool UpdateTask(const QString& taskId, int32_t state, const QStringList* fileList = nullptr);
    // Same, with the files text taken as it is.
    bool UpdateTask(const QString& taskId, int32_t state, const QString& filesText);
    // Reads the log files whose date falls in the range, newest first, into the records: a task
    // already in memory only takes the file list of its latest line. Appends, never removes.
    void LoadLogs();
    void ClearItems();

    // Copies of the records, in order.
    QList<TransLogItem> Items() const;
    qsizetype ItemCount() const;

    // Appends one record line with the current local time; a file that cannot be opened loses it.
    void WriteLine(const QString& text);

    static QDateTime DefaultFileDate(const QString& path);
    // A task's source as the logs keep it: the user's input with every line break ("\r\n", "\n"
    // or "\r") as "|", so a record stays on one line.
    static QString SourceOf(const QString& input);

private:
    TransLogItem* Append(TransLogItem item);
    // The first record of id, made from item when there is none.
    TransLogItem* FindOrAppend(const LogLineFields& line);
    TransLogItem* FindLocked(const QString& taskId) const { return m_firstById.value(taskId, nullptr); }
    bool UpdateLocked(const QString& taskId, int32_t state, const QString* files);
    void WriteLineLocked(const QString& text);

    mutable std::mutex m_mutex;
    std::deque<TransLogItem> m_items; // stable addresses for the index
    QHash<QString, TransLogItem*> m_firstById;
    QString m_folder;
    QString m_logFile;
    QDateTime m_rangeStart;
    QDateTime m_rangeEnd;
    FileDateSource m_fileDate;
};

// The folder of the log named name below "<application root>AppLocalFiles/AILog/", with a separator.
QString ToolLogFolder(const QString& name);
// A tool's log, made on first use in its row's folder below "<application root>AppLocalFiles/AILog/".
TransLog& GetToolLog(ToolId tool);
// The same logs under the names the module's interface has always had.
TransLog& GetPaintingLog();
TransLog& GetDubbingLog();
TransLog& GetSubtitlesLog();
TransLog& GetCopywritingLog();
