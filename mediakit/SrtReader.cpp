#include "mediakit/SrtReader.h"

#include "mediakit/TextDecoding.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <climits>

namespace SrtReader {

namespace {

// Far more than hours of subtitles: a file this large is something else.
constexpr qint64 kLargestFile = 64 * 1024 * 1024;

const QRegularExpression& TimingLine()
{
    // Hours may be missing or run past 99, and a '.' stands for ',' in files of some tools;
    // whatever follows the end time (positions) is ignored.
    static const QRegularExpression pattern(QStringLiteral(
        "^(?:(\\d+):)?(\\d{1,2}):(\\d{1,2})(?:[,.](\\d{1,3}))?\\s*-->\\s*"
        "(?:(\\d+):)?(\\d{1,2}):(\\d{1,2})(?:[,.](\\d{1,3}))?(?:\\s.*)?$"));
    return pattern;
}

// Milliseconds of the four captures from first; -1 beyond what a subtitle time can hold.
qint64 Milliseconds(const QRegularExpressionMatch& match, int first)
{
    QString fraction = match.captured(first + 3);
    while (fraction.size() < 3)
        fraction += QLatin1Char('0');
    const qint64 value = ((match.captured(first).toLongLong() * 60 + match.captured(first + 1).toLongLong()) * 60 +
                          match.captured(first + 2).toLongLong()) *
                             1000 +
                         fraction.toLongLong();
    return match.captured(first).size() > 6 || value > INT_MAX ? -1 : value;
}

bool IsNumber(const QString& line)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,9}$"));
    return digits.match(line).hasMatch();
}

} // namespace

bool Parse(const QByteArray& bytes, std::vector<Caption>& captions, QString& error, const QString& encoding,
           bool* unsure)
{
    captions.clear();
    TextDecoding::Result decoded = TextDecoding::Decode(bytes, encoding);
    if (unsure)
        *unsure = decoded.outcome == TextDecoding::Outcome::Unsure;
    if (decoded.outcome == TextDecoding::Outcome::Read && decoded.text.contains(QChar(0)))
        decoded.outcome = TextDecoding::Outcome::NotText;
    if (decoded.outcome != TextDecoding::Outcome::Read) {
        error = TextDecoding::Reason(decoded, encoding);
        return false;
    }
    QString text = std::move(decoded.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));

    const QStringList lines = text.split(QLatin1Char('\n'));
    QStringList body;
    bool inCue = false;
    auto close = [&] {
        if (inCue)
            captions.back().text = body.join(QLatin1Char('\n'));
        body.clear();
        inCue = false;
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const QRegularExpressionMatch match = TimingLine().match(line);
        if (match.hasMatch()) {
            // A cue's number directly above its times, even where the blank line before it is missing.
            const bool numbered = i > 0 && IsNumber(lines[i - 1].trimmed());
            if (numbered && inCue && !body.isEmpty() && body.back() == lines[i - 1].trimmed())
                body.removeLast();
            close();
            const int index = numbered ? lines[i - 1].trimmed().toInt() : int(captions.size()) + 1;
            const qint64 start = Milliseconds(match, 1);
            const qint64 end = Milliseconds(match, 5);
            if (start < 0 || end < 0) {
                error = QStringLiteral("the times on line %1 are beyond what a subtitle can hold").arg(i + 1);
                return false;
            }
            if (end < start) {
                error = QStringLiteral("the cue on line %1 ends before it begins").arg(i + 1);
                return false;
            }
            captions.push_back({index, int32_t(start), int32_t(end), {}, {}});
            inCue = true;
        } else if (line.isEmpty()) {
            close();
        } else if (inCue) {
            body.append(line);
        }
        // Anything else outside a cue (its number, stray notes) carries nothing to keep.
    }
    close();
    if (captions.empty()) {
        error = QStringLiteral("it holds no cue with times such as \"00:00:01,000 --> 00:00:02,500\"");
        return false;
    }
    return true;
}

std::optional<int32_t> ParseTime(const QString& text)
{
    // Read as the first end of a timing line, so one time is taken exactly as a file's would be.
    const QRegularExpressionMatch match = TimingLine().match(text.trimmed() + QStringLiteral(" --> 0:00"));
    const qint64 value = match.hasMatch() ? Milliseconds(match, 1) : -1;
    return value < 0 ? std::nullopt : std::optional<int32_t>(int32_t(value));
}

bool Read(const QString& path, std::vector<Caption>& captions, QString& error, const QString& encoding)
{
    QFile file(path);
    const std::optional<QString> unopened = !file.exists()                   ? QStringLiteral("No such file")
                                            : QFileInfo(path).isDir()         ? QStringLiteral("it is a folder")
                                            : !file.open(QIODevice::ReadOnly) ? file.errorString()
                                                                              : std::optional<QString>();
    if (unopened) {
        error = QStringLiteral("cannot open %1: %2").arg(path, *unopened);
        return false;
    }
    QString reason = QStringLiteral("it is far too large for a subtitle file");
    if (file.size() > kLargestFile || !Parse(file.readAll(), captions, reason, encoding)) {
        error = QStringLiteral("%1 is not subtitles: %2").arg(path, reason);
        return false;
    }
    return true;
}

} // namespace SrtReader
