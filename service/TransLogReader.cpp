#include "service/TransLogReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view kTaskIdKey = "TaskID=";
constexpr std::string_view kSourceKey = "SrcInfo=";
constexpr std::string_view kStateKey = "Stat=";
constexpr std::string_view kFilesKey = "Files=";
// The separator ", " that precedes every key after the first.
constexpr size_t kSeparator = 2;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// text[from, to) as the framework's Mid would give it: empty when the range is reversed.
QString Slice(std::string_view text, size_t from, size_t to)
{
    if (to <= from || from >= text.size())
        return QString();
    to = std::min(to, text.size());
    return QString::fromUtf8(text.data() + from, qsizetype(to - from));
}

} // namespace

bool TransLogReader::ParseLine(std::string_view line, LogLineFields& fields)
{
    const size_t id = line.find(kTaskIdKey);
    const size_t source = line.find(kSourceKey);
    if (id == std::string_view::npos || source == std::string_view::npos)
        return false;
    const size_t state = line.find(kStateKey);
    const size_t files = line.find(kFilesKey);

    const size_t idStart = id + kTaskIdKey.size();
    fields.TaskID = source >= kSeparator ? Slice(line, idStart, source - kSeparator) : QString();
    const size_t sourceStart = source + kSourceKey.size();
    const size_t sourceEnd =
        state == std::string_view::npos ? line.size() : (state >= kSeparator ? state - kSeparator : 0);
    fields.SrcInfo = Slice(line, sourceStart, sourceEnd);
    fields.HasFiles = files != std::string_view::npos;
    fields.Files = fields.HasFiles ? Slice(line, files + kFilesKey.size(), line.size()) : QString();
    return true;
}

bool TransLogReader::ReadRecords(const QString& path, const std::function<void(const LogLineFields&)>& record)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Mapping the file spares copying megabytes of records; a file that cannot be mapped is read.
    QByteArray copy;
    const qint64 size = file.size();
    const uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    if (!mapped)
        copy = file.readAll();
    const std::string_view text = mapped ? std::string_view(reinterpret_cast<const char*>(mapped), size_t(size))
                                         : std::string_view(copy.constData(), size_t(copy.size()));
    ReadRecords(text, record);
    return true;
}

void TransLogReader::ReadRecords(std::string_view text, const std::function<void(const LogLineFields&)>& record)
{
    LogLineFields fields;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && ParseLine(line, fields))
            record(fields);
    }
}

QDateTime TransLogReader::FileDate(const QString& path)
{
    const QFileInfo info(path);
    const QDateTime born = info.birthTime();
    return born.isValid() ? born : info.lastModified();
}

QStringList TransLogReader::ListFiles(const QString& folder, const QDateTime& start, const QDateTime& end,
                                      const FileDateSource& fileDate)
{
    const QDateTime earliest = start.addMSecs(-500);
    const QDateTime latest = end.addMSecs(500);
    QStringList kept;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.txt")}, QDir::Files);
    for (const QString& name : names) {
        const QString path = folder + name;
        const QDateTime stamp = fileDate(path);
        if (!stamp.isValid())
            continue;
        const QDateTime day(stamp.toLocalTime().date(), QTime(0, 0));
        if (day >= earliest && day <= latest)
            kept.append(path);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) > 0;
    });
    return kept;
}
