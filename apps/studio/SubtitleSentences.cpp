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

// Spans meet without overlapping where one ends as the other begins.
bool Overlap(const Caption& caption, int32_t start, int32_t end)
{
    return caption.start < end && start < caption.end;
}

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

std::vector<int> SubtitleSentences::Shown(const std::vector<Caption>& captions, int32_t milliseconds)
{
    // A sentence is on screen from its start up to, not at, its end: where one ends as the next
    // begins, only the next is shown.
    std::vector<int> shown;
    for (size_t i = 0; i < captions.size(); ++i) {
        if (captions[i].start <= milliseconds && milliseconds < captions[i].end)
            shown.push_back(int(i));
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [&captions](int a, int b) { return captions[size_t(a)].start < captions[size_t(b)].start; });
    return shown;
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
    Caption& caption = m_captions[size_t(index)];
    // Only a sentence the edit would newly run into stops it: one the file already let this one
    // overlap is another tool's choice, and refusing every edit near it would leave the sentence
    // stuck. The nearest such sentence on either side is the one named.
    const Caption* before = nullptr;
    const Caption* after = nullptr;
    for (size_t i = 0; i < m_captions.size(); ++i) {
        const Caption& other = m_captions[i];
        if (int(i) == index || !Overlap(other, start, end) || Overlap(other, caption.start, caption.end))
            continue;
        if (other.start <= start) {
            if (!before || other.end > before->end)
                before = &other;
        } else if (!after || other.start < after->start) {
            after = &other;
        }
    }
    if (before) {
        error = kOverlapsPrevious.arg(FormatTime(before->end));
        return false;
    }
    if (after) {
        error = kOverlapsNext.arg(FormatTime(after->start));
        return false;
    }
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
