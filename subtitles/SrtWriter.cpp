#include "subtitles/SrtWriter.h"

#include "service/ResultFile.h"

namespace SrtWriter {

namespace {

void AppendBlock(QString& srt, int number, int32_t begin, int32_t end, const QString& text)
{
    srt += QString::number(number) + QStringLiteral("\r\n") + FormatSrtTime(begin) + QStringLiteral(" --> ") +
           FormatSrtTime(end) + QStringLiteral("\r\n") + text + QStringLiteral("\r\n\r\n");
}

} // namespace

QString FormatSrtTime(int32_t milliseconds)
{
    const int32_t s = milliseconds / 1000;
    const int32_t m = s / 60;
    const int32_t h = m / 60;
    return QString::asprintf("%02d:%02d:%02d,%03d", h, m - 60 * h, s - 60 * m, milliseconds - 1000 * s);
}

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
    QString path = srtPath;
    path.replace(QLatin1String(".srt"), QLatin1String(".txt"));
    return path;
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
