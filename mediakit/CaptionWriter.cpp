#include "mediakit/CaptionWriter.h"

#include "service/ResultFile.h"

namespace CaptionWriter {

namespace {

const QChar kWordJoiner(0x2060);
// The Chinese font the package depends on, so that captions in Chinese show wherever it is installed.
const char* const kAssFont = "WenQuanYi Micro Hei";

const char* const kAssHeader =
    "[Script Info]\n"
    "ScriptType: v4.00+\n"
    "PlayResX: 1920\n"
    "PlayResY: 1080\n"
    // The lines are already laid out: a renderer must not wrap them again.
    "WrapStyle: 2\n"
    "ScaledBorderAndShadow: yes\n"
    "\n"
    "[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
    "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, "
    "MarginR, MarginV, Encoding\n"
    "Style: Default,%1,56,&H00FFFFFF,&H000000FF,&H00000000,&H80000000,0,0,0,0,100,100,0,0,1,2,1,2,60,60,50,1\n"
    "\n"
    "[Events]\n"
    "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";

QString VttTime(int32_t milliseconds)
{
    return FormatSrtTime(milliseconds).replace(QLatin1Char(','), QLatin1Char('.'));
}

// Centiseconds, cut rather than rounded so that captions that meet still meet.
QString AssTime(int32_t milliseconds)
{
    const int32_t centiseconds = milliseconds / 10;
    const int32_t s = centiseconds / 100;
    return QString::asprintf("%d:%02d:%02d.%02d", s / 3600, s / 60 % 60, s % 60, centiseconds % 100);
}

QString Srt(const std::vector<Caption>& captions)
{
    QString text;
    int number = 0;
    for (const Caption& caption : captions)
        text += QStringLiteral("%1\r\n%2 --> %3\r\n%4\r\n\r\n")
                    .arg(++number)
                    .arg(FormatSrtTime(caption.start), FormatSrtTime(caption.end),
                         QString(caption.text).replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    return text;
}

QString Vtt(const std::vector<Caption>& captions)
{
    QString text = QStringLiteral("WEBVTT\n\n");
    int number = 0;
    for (const Caption& caption : captions) {
        QString body = caption.text;
        body.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
            .replace(QLatin1Char('<'), QStringLiteral("&lt;"))
            .replace(QLatin1Char('>'), QStringLiteral("&gt;"));
        text += QStringLiteral("%1\n%2 --> %3\n%4\n\n")
                    .arg(++number)
                    .arg(VttTime(caption.start), VttTime(caption.end), body);
    }
    return text;
}

// A brace opens or closes a block of style overrides, which renderers hide; escaped with a
// backslash it is drawn. Both are escaped: the form the ffmpeg program gives the braces of WebVTT
// text it reads, so it reads the same text from this file as from the WebVTT one. A backslash has
// no escape of its own (a doubled one is read as one, then the next pair, so "C:\\new" still
// breaks the line): an invisible word joiner after it keeps it from the letter that follows.
QString AssText(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('{') || c == QLatin1Char('}'))
            escaped += QLatin1Char('\\');
        escaped += c == QLatin1Char('\n') ? QStringLiteral("\\N") : QString(c);
        if (c == QLatin1Char('\\'))
            escaped += kWordJoiner;
    }
    return escaped;
}

QString Ass(const std::vector<Caption>& captions)
{
    QString text = QString::fromLatin1(kAssHeader).arg(QLatin1String(kAssFont));
    for (const Caption& caption : captions)
        text += QStringLiteral("Dialogue: 0,%1,%2,Default,,0,0,0,,%3\n")
                    .arg(AssTime(caption.start), AssTime(caption.end), AssText(caption.text));
    return text;
}

} // namespace

QStringList FormatNames()
{
    return {QStringLiteral("srt"), QStringLiteral("vtt"), QStringLiteral("ass")};
}

std::optional<Format> FormatNamed(const QString& name)
{
    const int index = FormatNames().indexOf(name);
    return index < 0 ? std::nullopt : std::optional<Format>(Format(index));
}

QString Extension(Format format)
{
    return FormatNames().at(int(format));
}

QString FormatSrtTime(int32_t milliseconds)
{
    const int32_t s = milliseconds / 1000;
    const int32_t m = s / 60;
    const int32_t h = m / 60;
    return QString::asprintf("%02d:%02d:%02d,%03d", h, m - 60 * h, s - 60 * m, milliseconds - 1000 * s);
}

QString Build(const std::vector<Caption>& captions, Format format)
{
    switch (format) {
    case Format::Srt:
        return Srt(captions);
    case Format::WebVtt:
        return Vtt(captions);
    case Format::Ass:
        break;
    }
    return Ass(captions);
}

bool Write(QString& path, const std::vector<Caption>& captions, Format format, bool replace, QString& reason)
{
    return ResultFile::Write(path, Build(captions, format).toUtf8(), replace, nullptr, &reason);
}

} // namespace CaptionWriter
