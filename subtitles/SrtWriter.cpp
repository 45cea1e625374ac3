#include "subtitles/SrtWriter.h"

#include "mediakit/CaptionWriter.h"
#include "service/ResultFile.h"

namespace SrtWriter {

namespace {

void AppendBlock(QString& srt, int number, int32_t begin, int32_t end, const QString& text)
{
    srt += QString::number(number) + QStringLiteral("\r\n") + CaptionWriter::FormatSrtTime(begin) +
           QStringLiteral(" --> ") + CaptionWriter::FormatSrtTime(end) + QStringLiteral("\r\n") + text +
           QStringLiteral("\r\n\r\n");
}

} // namespace

QString BuildSrt(const QList<SrtLineInfo*>& lines)
{
    QString srt;
    int number = 0;
    for (const SrtLineInfo* line : lines) {
        if (line)
            AppendBlock(srt, ++number, line->begin, line->end, QString::fromStdString(line->text));
    }
    return srt;
}

QString BuildSrt(const std::vector<nsWtt::stWavResult>& sentences)
{
    QString srt;
    int number = 0;
    for (const nsWtt::stWavResult& sentence : sentences)
        AppendBlock(srt, ++number, sentence.begin, sentence.end, sentence.textCopy);
    return srt;
}

QString CompanionPath(const QString& srtPath)
{
    if (!srtPath.contains(QLatin1String(".srt")))
        return srtPath + QStringLiteral(".txt");
    return QString(srtPath).replace(QLatin1String(".srt"), QLatin1String(".txt"));
}

bool WriteTextFile(const QString& path, const QString& text)
{
    QString target = path;
    return ResultFile::Write(target, text.toUtf8(), true);
}

bool WriteResultFile(QString& path, const QString& text, bool own, QString* error)
{
    return ResultFile::Write(path, text.toUtf8(), own, error);
}

} // namespace SrtWriter
