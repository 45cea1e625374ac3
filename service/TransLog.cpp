#include "service/TransLog.h"

#include "host/QOVPaths.h"
#include "host/QOVSystem.h"
#include "service/LocalTime.h"
#include "service/TransLogReader.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <map>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

const char* const kSubmittedFormat = "TaskID=%1, SrcInfo=%2";
const char* const kUpdatedFormat = "TaskID=%1, SrcInfo=%2, Stat=%3, Files=%4";

// The original wrote through a text-mode stream: every line feed reaches the disk as CR LF, so a
// record's leading "\r\n" is stored as CR CR LF.
QByteArray TextModeBytes(const QString& line)
{
    QByteArray bytes = line.toUtf8();
    bytes.replace("\n", "\r\n");
    return bytes;
}

bool AppendToFile(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
    return done == bytes.size();
}

} // namespace

QString ToolLogFolder(const QString& name)
{
    return ZuGetPath(ZU_PATH_APP_ROOT) + QStringLiteral("AppLocalFiles/AILog/") + name + QLatin1Char('/');
}

TransLog::TransLog(const QString& folder, const QDateTime& created, FileDateSource fileDate)
    : m_folder(folder)
    , m_rangeStart(created.addDays(-7))
    , m_rangeEnd(created)
    , m_fileDate(fileDate ? std::move(fileDate) : FileDateSource(&TransLog::DefaultFileDate))
{
    ZuCreateDirectory(m_folder, 0);
    m_logFile = QStringLiteral("%1Log%2.txt").arg(m_folder, created.toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss")));
}

TransLog::~TransLog()
{
    ClearItems();
}

QDateTime TransLog::RangeStart() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rangeStart;
}

QDateTime TransLog::RangeEnd() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rangeEnd;
}

void TransLog::SetRange(const QDateTime& start, const QDateTime& end)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rangeStart = start;
    m_rangeEnd = end;
}

TransLogItem* TransLog::Append(TransLogItem item)
{
    m_items.push_back(std::move(item));
    TransLogItem* added = &m_items.back();
    // Lookups find the first record of an identifier, as a search from the front would.
    TransLogItem*& first = m_firstById[added->TaskID];
    if (!first)
        first = added;
    return added;
}

TransLogItem* TransLog::FindOrAppend(const LogLineFields& line)
{
    TransLogItem*& first = m_firstById[line.TaskID];
    if (!first) {
        m_items.push_back(TransLogItem{line.TaskID, line.SrcInfo, QString(), 0});
        first = &m_items.back();
    }
    return first;
}

void TransLog::AddTask(const QString& input, const QString& taskId)
{
    const QString source = SourceOf(input);
    std::lock_guard<std::mutex> lock(m_mutex);
    Append(TransLogItem{taskId, source, QString(), 0});
    WriteLineLocked(QString::fromLatin1(kSubmittedFormat).arg(taskId, source));
}

QString TransLog::AddFinishedTask(const QString& input, const QString& files)
{
    const QString taskId = QOVNewGuidText();
    const QString source = SourceOf(input);
    std::lock_guard<std::mutex> lock(m_mutex);
    Append(TransLogItem{taskId, source, files, 0});
    WriteLineLocked(QString::fromLatin1(kUpdatedFormat).arg(taskId, source, QString::number(2), files));
    return taskId;
}

std::optional<TransLogItem> TransLog::FindTask(const QString& taskId) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const TransLogItem* item = FindLocked(taskId))
        return *item;
    return std::nullopt;
}

bool TransLog::UpdateLocked(const QString& taskId, int32_t state, const QString* files)
{
    TransLogItem* item = FindLocked(taskId);
    if (!item)
        return false;
    item->Stat = state;
    if (files)
        item->Files = *files;
    WriteLineLocked(
        QString::fromLatin1(kUpdatedFormat).arg(item->TaskID, item->SrcInfo, QString::number(state), item->Files));
    return true;
}

bool TransLog::UpdateTask(const QString& taskId, int32_t state, const QStringList* fileList)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!fileList)
        return UpdateLocked(taskId, state, nullptr);
    // Each file is followed by a bar, the last one too.
    const QString joined = fileList->isEmpty() ? QString() : fileList->join(QLatin1Char('|')) + QLatin1Char('|');
    return UpdateLocked(taskId, state, &joined);
}

bool TransLog::UpdateTask(const QString& taskId, int32_t state, const QString& filesText)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return UpdateLocked(taskId, state, &filesText);
}

void TransLog::LoadLogs()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const QStringList files = TransLogReader::ListFiles(m_folder, m_rangeStart, m_rangeEnd, m_fileDate);
    // A record line takes well over 64 bytes; growing the index once beats rehashing it repeatedly.
    qint64 bytes = 0;
    for (const QString& path : files)
        bytes += QFileInfo(path).size();
    m_firstById.reserve(m_firstById.size() + qsizetype(bytes / 64));
    for (const QString& path : files) {
        TransLogReader::ReadRecords(path, [this](const LogLineFields& line) {
            TransLogItem* item = FindOrAppend(line);
            if (line.HasFiles)
                item->Files = line.Files;
        });
    }
}

void TransLog::ClearItems()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_firstById.clear();
    m_items.clear();
}

QList<TransLogItem> TransLog::Items() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return QList<TransLogItem>(m_items.begin(), m_items.end());
}

qsizetype TransLog::ItemCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return qsizetype(m_items.size());
}

void TransLog::WriteLine(const QString& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    WriteLineLocked(text);
}

void TransLog::WriteLineLocked(const QString& text)
{
    const QString now = LocalTimeText("%Y-%m-%d %H:%M:%S");
    const QString line = QStringLiteral("\r\n%1  : %2").arg(now, text);
    if (!AppendToFile(m_logFile, TextModeBytes(line)))
        QOVDebugOutput(QStringLiteral("task log: cannot append to %1").arg(m_logFile));
}

QString TransLog::SourceOf(const QString& input)
{
    // A pair first, so that "\r\n" gives one bar, not two.
    QString source = input;
    source.replace(QLatin1String("\r\n"), QLatin1String("|"));
    source.replace(QLatin1Char('\n'), QLatin1Char('|'));
    source.replace(QLatin1Char('\r'), QLatin1Char('|'));
    return source;
}

QDateTime TransLog::DefaultFileDate(const QString& path)
{
    return TransLogReader::FileDate(path);
}

TransLog& GetToolLog(ToolId tool)
{
    // Service workers reach a log as early as the windows do, so the first use is serialised; a
    // log, once made, lives as long as the process.
    static std::mutex mutex;
    static std::map<ToolId, std::unique_ptr<TransLog>> logs;
    const std::lock_guard lock(mutex);
    std::unique_ptr<TransLog>& log = logs[tool];
    if (!log)
        log = std::make_unique<TransLog>(ToolLogFolder(QString::fromUtf8(ToolTable::Of(tool).logFolder)));
    return *log;
}

TransLog& GetPaintingLog()
{
    return GetToolLog(ToolId::Painting);
}

TransLog& GetDubbingLog()
{
    return GetToolLog(ToolId::Dubbing);
}

TransLog& GetSubtitlesLog()
{
    return GetToolLog(ToolId::Subtitles);
}

TransLog& GetCopywritingLog()
{
    return GetToolLog(ToolId::Copywriting);
}
