#include "apps/studio/SubtitleSentences.h"

#include "mediakit/CaptionWriter.h"
#include "mediakit/SrtReader.h"
#include "service/ResultFile.h"

#include <QFile>

#include <algorithm>

namespace {

const QString kUnreadable = QStringLiteral("无法读取字幕文件：%1");
const QString kNoSentence = QStringLiteral("没有第 %1 句");
const QString kEmptyText = QStringLiteral("字幕文本不能为空");
const QString kBadTime = QStringLiteral("“%1”不是时间，请写成 00:00:01,200 的样子");
const QString kBackwards = QStringLiteral("结束时间必须晚于开始时间");
const QString kOverlapsPrevious = QStringLiteral("开始时间不能早于上一句的结束（%1）");
const QString kOverlapsNext = QStringLiteral("结束时间不能晚于下一句的开始（%1）");
const QString kNotSaved = QStringLiteral("未能保存：%1");
const QByteArray kByteOrderMark("\xEF\xBB\xBF");

} // namespace

bool SubtitleSentences::Load(const QString& path, QString& error, const QString& encoding, bool* unsure)
{
    Clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = kUnreadable.arg(file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    std::vector<Caption> captions;
    QString reason;
    if (!SrtReader::Parse(bytes, captions, reason, encoding, unsure)) {
        error = kUnreadable.arg(reason);
        return false;
    }
    m_path = path;
    m_captions = std::move(captions);
    m_byteOrderMark = bytes.startsWith(kByteOrderMark);
    // A file without a single CR LF was written with bare line feeds and keeps them.
    m_crlf = bytes.contains("\r\n") || !bytes.contains('\n');
    return true;
}

void SubtitleSentences::Clear()
{
    m_path.clear();
    m_captions.clear();
    m_modified = false;
}

int SubtitleSentences::At(const std::vector<Caption>& captions, int32_t milliseconds)
{
    // The first sentence still running: where one ends as the next begins, the next is shown.
    const auto it = std::upper_bound(captions.begin(), captions.end(), milliseconds,
                                     [](int32_t at, const Caption& caption) { return at < caption.end; });
    return it != captions.end() && it->start <= milliseconds ? int(it - captions.begin()) : -1;
}

bool SubtitleSentences::SetText(int index, const QString& text, QString& error)
{
    if (index < 0 || index >= Count()) {
        error = kNoSentence.arg(index + 1);
        return false;
    }
    // Blank lines would end the cue in the file, so lines are kept but empty ones dropped.
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    if (lines.isEmpty()) {
        error = kEmptyText;
        return false;
    }
    const QString joined = lines.join(QLatin1Char('\n'));
    if (joined != m_captions[size_t(index)].text) {
        m_captions[size_t(index)].text = joined;
        // Word times belong to the words that were heard, not to a corrected text.
        m_captions[size_t(index)].words.clear();
        m_modified = true;
    }
    return true;
}

bool SubtitleSentences::SetTimes(int index, int32_t start, int32_t end, QString& error)
{
    if (index < 0 || index >= Count()) {
        error = kNoSentence.arg(index + 1);
        return false;
    }
    if (end <= start) {
        error = kBackwards;
        return false;
    }
    if (index > 0 && start < m_captions[size_t(index) - 1].end) {
        error = kOverlapsPrevious.arg(FormatTime(m_captions[size_t(index) - 1].end));
        return false;
    }
    if (index + 1 < Count() && end > m_captions[size_t(index) + 1].start) {
        error = kOverlapsNext.arg(FormatTime(m_captions[size_t(index) + 1].start));
        return false;
    }
    Caption& caption = m_captions[size_t(index)];
    if (caption.start != start || caption.end != end) {
        caption.start = start;
        caption.end = end;
        caption.words.clear();
        m_modified = true;
    }
    return true;
}

QString SubtitleSentences::FormatTime(int32_t milliseconds)
{
    return CaptionWriter::FormatSrtTime(milliseconds);
}

bool SubtitleSentences::ParseTime(const QString& text, int32_t& milliseconds, QString& error)
{
    const std::optional<int32_t> time = SrtReader::ParseTime(text);
    if (!time) {
        error = kBadTime.arg(text.trimmed());
        return false;
    }
    milliseconds = *time;
    return true;
}

void SubtitleSentences::Layout(const CaptionLayout::Limits& limits)
{
    std::vector<Caption> laidOut = CaptionLayout(limits).Apply(m_captions);
    const auto same = [](const Caption& a, const Caption& b) {
        return a.start == b.start && a.end == b.end && a.text == b.text;
    };
    if (!std::equal(laidOut.begin(), laidOut.end(), m_captions.begin(), m_captions.end(), same))
        m_modified = true;
    m_captions = std::move(laidOut);
}

bool SubtitleSentences::Save(QString& error)
{
    QString text = CaptionWriter::Build(m_captions, CaptionWriter::Format::Srt);
    if (!m_crlf)
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QByteArray bytes = text.toUtf8();
    if (m_byteOrderMark)
        bytes.prepend(kByteOrderMark);
    QString path = m_path;
    QString reason;
    if (!ResultFile::Write(path, bytes, true, &reason)) {
        error = kNotSaved.arg(reason);
        return false;
    }
    m_modified = false;
    return true;
}
