#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <string_view>

// The keys of one record line, as the log reader takes them apart.
struct LogLineFields
{
    QString TaskID;
    QString SrcInfo;
    QString Files;
    bool HasFiles = false;
};

// Reading task log files back: which files belong to a date range, and the records of one file.
class TransLogReader
{
public:
    using FileDateSource = std::function<QDateTime(const QString& path)>;

    // "*.txt" files of folder whose date (at 00:00:00) lies within [start, end], both ends
    // inclusive with half a second of tolerance, sorted by path without case, newest run first.
    static QStringList ListFiles(const QString& folder, const QDateTime& start, const QDateTime& end,
                                 const FileDateSource& fileDate);

    // Calls record for every line that holds both "TaskID=" and "SrcInfo="; returns false when the
    // file cannot be read.
    static bool ReadRecords(const QString& path, const std::function<void(const LogLineFields&)>& record);
    // The same over a file's bytes: one line per '\n', trimmed, empty lines skipped.
    static void ReadRecords(std::string_view text, const std::function<void(const LogLineFields&)>& record);

    // Splits one line (already trimmed); false when a key is missing.
    static bool ParseLine(std::string_view line, LogLineFields& fields);

    // Birth time of the file where the file system keeps one, else its modification time.
    static QDateTime FileDate(const QString& path);
};
