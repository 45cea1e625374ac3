#include "apps/cli/CaptionOptions.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/OptionReader.h"
#include "mediakit/SrtReader.h"

#include <QFileInfo>

namespace {

// Beyond these a caption is no longer one: a screen holds so much, and a reader so long.
constexpr int kMostChars = 200;
constexpr int kMostLines = 10;
constexpr double kMostSeconds = 600.0;

// The words of the sentence each cue was written from, found by the cue's times: the file was
// written from these sentences in their order.
void AttachWords(std::vector<Caption>& captions, const std::vector<SrtLineInfo>& heard)
{
    size_t next = 0;
    for (Caption& caption : captions) {
        size_t at = next;
        while (at < heard.size() && (heard[at].begin != caption.start || heard[at].end != caption.end))
            ++at;
        if (at == heard.size())
            continue;
        for (const SrtLineInfo::Word& word : heard[at].words)
            caption.words.push_back({QString::fromStdString(word.text), word.begin, word.end});
        next = at + 1;
    }
}

} // namespace

QStringList CaptionOptions::Names()
{
    return {QStringLiteral("max-chars"), QStringLiteral("max-lines"), QStringLiteral("max-seconds"),
            QStringLiteral("format")};
}

CaptionOptions::CaptionOptions(const CliArguments& arguments, OptionReader& options)
{
    for (const QString& name : Names())
        m_given = m_given || arguments.Option(name).has_value();
    m_limits.maxChars = options.Integer(QStringLiteral("max-chars"), 0, 1, kMostChars);
    m_limits.maxLines = options.Integer(QStringLiteral("max-lines"), CaptionLayout::kLines, 1, kMostLines);
    m_format = *CaptionWriter::FormatNamed(options.Choice(QStringLiteral("format"), CaptionWriter::FormatNames()));
    m_problem = options.Problem();
    if (const std::optional<QString> seconds = arguments.Option(QStringLiteral("max-seconds"))) {
        bool ok = false;
        const double value = seconds->toDouble(&ok);
        if (ok && value > 0.0 && value <= kMostSeconds)
            m_limits.maxSeconds = value;
        else if (!m_problem)
            m_problem = QStringLiteral("--max-seconds takes seconds above 0 and at most %1, not %2")
                            .arg(kMostSeconds)
                            .arg(*seconds);
    }
}

QString CaptionOptions::DefaultPath(const QString& input, const QString& tag) const
{
    // The folder as the user wrote it, so that the path printed reads like the one given.
    const QFileInfo info(input);
    return input.left(input.size() - info.fileName().size()) + info.completeBaseName() + QLatin1Char('.') + tag +
           QLatin1Char('.') + FormatName();
}

bool CaptionOptions::Write(const QString& input, const QString& output, QString& path, int& cues, int& captions,
                           QString& error, const std::vector<SrtLineInfo>& heard, const QString& encoding) const
{
    std::vector<Caption> read;
    if (!SrtReader::Read(input, read, error, encoding))
        return false;
    AttachWords(read, heard);
    const std::vector<Caption> laidOut = CaptionLayout(m_limits).Apply(read);
    path = output.isEmpty() ? DefaultPath(input) : output;
    QString why;
    if (!CaptionWriter::Write(path, laidOut, m_format, !output.isEmpty(), why)) {
        error = QStringLiteral("cannot write %1: %2").arg(path, why);
        return false;
    }
    cues = int(read.size());
    captions = int(laidOut.size());
    return true;
}
