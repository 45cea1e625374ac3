#include "mediakit/CaptionWriter.h"
#include "mediakit/SrtReader.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<Caption> Parsed(const QByteArray& bytes)
{
    std::vector<Caption> captions;
    QString error;
    EXPECT_TRUE(SrtReader::Parse(bytes, captions, error)) << error.toStdString();
    return captions;
}

TEST(SrtTime, StampsCountHoursWithoutWrapping)
{
    const std::pair<int32_t, const char*> cases[] = {
        {0, "00:00:00,000"},       {1500, "00:00:01,500"},        {3723004, "01:02:03,004"},
        {59999, "00:00:59,999"},   {360000000, "100:00:00,000"},  {86399999, "23:59:59,999"},
    };
    for (const auto& [milliseconds, stamp] : cases)
        EXPECT_EQ(CaptionWriter::FormatSrtTime(milliseconds), QString::fromLatin1(stamp)) << milliseconds;
}

TEST(SrtReader, ReadsAnySrtAndRefusesWhatIsNotOne)
{
    // The form the subtitles tool writes its own files in: numbered, CR LF.
    const QString ownText = QStringLiteral("1\r\n00:00:01,500 --> 00:00:02,800\r\n第一句\r\n\r\n"
                                           "2\r\n00:00:02,800 --> 01:02:03,004\r\ntwo\r\nlines\r\n\r\n");
    const QByteArray own = "\xEF\xBB\xBF" + ownText.toUtf8();
    // 第一句 in GBK, as tools on Chinese systems write it.
    const QByteArray gbk = "1\r\n00:00:01,500 --> 00:00:02,800\r\n\xB5\xDA\xD2\xBB\xBE\xE4\r\n\r\n"
                           "2\r\n00:00:02,800 --> 01:02:03,004\r\ntwo\r\nlines\r\n";
    const QByteArray utf16 = QByteArray("\xFF\xFE") + QStringEncoder(QStringEncoder::Utf16LE).encode(ownText);
    const struct
    {
        const char* name;
        QByteArray bytes;
    } same[] = {
        {"the module's own, with a byte-order mark and CR LF", own},
        {"GBK, not UTF-8", gbk},
        {"UTF-16 with its byte-order mark", utf16},
        {"LF, no numbers, '.' before milliseconds, no blank line at the end",
         "00:00:01.500 --> 00:00:02.800\n第一句\n\n00:00:02.800 --> 01:02:03.004 X1:10 X2:20\ntwo\nlines"},
        {"odd spacing, blank lines, a missing blank line between cues",
         "\n\n  1  \r\n 00:00:01,500-->00:00:02,800 \r\n  第一句  \r\n2\r\n00:00:02,800 --> 01:02:03,004\r\n two \r\nlines\r\n\r\n\r\n"},
    };
    for (const auto& c : same) {
        SCOPED_TRACE(c.name);
        const std::vector<Caption> captions = Parsed(c.bytes);
        ASSERT_EQ(captions.size(), 2u);
        EXPECT_EQ(captions[0].text, QStringLiteral("第一句"));
        EXPECT_EQ(captions[0].start, 1500);
        EXPECT_EQ(captions[0].end, 2800);
        EXPECT_EQ(captions[1].text, QStringLiteral("two\nlines"));
        EXPECT_EQ(captions[1].end, 3723004);
    }

    const struct
    {
        QByteArray bytes;
        const char* reason;
    } refused[] = {
        {QByteArray(), "no cue"},
        {"Dear diary,\ntoday I wrote no subtitles.\n", "no cue"},
        {QByteArray("ID3\x03\x00\x00\xff\xfb\x90", 10), "not text"},
        {"1\n00:00:05,000 --> 00:00:04,000\nbackwards\n", "ends before it begins"},
    };
    for (const auto& c : refused) {
        std::vector<Caption> captions;
        QString error;
        EXPECT_FALSE(SrtReader::Parse(c.bytes, captions, error)) << c.reason;
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    }
}

TEST(SrtReader, TellsTheCharacterSetOrRefusesToGuessIt)
{
    const QByteArray cue = "1\r\n00:00:01,000 --> 00:00:02,000\r\n";
    const QByteArray western = cue + "\xC7" "a va? Tr\xE8s bien\r\n";
    // A longer Chinese line, which the detector tells by its statistics rather than by its shape.
    const QByteArray chinese = cue + QStringEncoder("GB18030").encode(QStringLiteral("今天的天气很好，我们一起去公园散步。"));
    const QByteArray unsure = cue + "caf\xFF\xFE\x80\x81\r\n";
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* encoding; // as the user names it
        QString text;
    } read[] = {
        {"windows-1252 detected, not taken for GBK", western, "", QStringLiteral("Ça va? Très bien")},
        {"windows-1252 named", western, "windows-1252", QStringLiteral("Ça va? Très bien")},
        {"GBK named for what would be read otherwise", western, "GBK", QStringLiteral("莂 va? Tr鑣 bien")},
        {"GB18030 detected", chinese, "", QStringLiteral("今天的天气很好，我们一起去公园散步。")},
        {"a character set the detector cannot tell, named", unsure, "KOI8-R", QStringLiteral("cafЪЧ─│")},
    };
    for (const auto& c : read) {
        SCOPED_TRACE(c.name);
        std::vector<Caption> captions;
        QString error;
        ASSERT_TRUE(SrtReader::Parse(c.bytes, captions, error, QString::fromLatin1(c.encoding))) << error.toStdString();
        ASSERT_EQ(captions.size(), 1u);
        EXPECT_EQ(captions[0].text, c.text);
    }

    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* encoding;
        const char* reason;
        bool unsure;
    } refused[] = {
        {"a character set the detector cannot tell", unsure, "", "name it with --encoding", true},
        {"a name that is no character set", western, "latin-9000", "latin-9000 is no character set", false},
        {"bytes that are not the character set named", western, "UTF-8", "not text in UTF-8", false},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        std::vector<Caption> captions;
        QString error;
        bool unsure = !c.unsure;
        EXPECT_FALSE(SrtReader::Parse(c.bytes, captions, error, QString::fromLatin1(c.encoding), &unsure));
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
        EXPECT_EQ(unsure, c.unsure);
    }
}

// What the ffmpeg program makes of a file, as SRT.
std::vector<Caption> ReadByFfmpeg(const QString& path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                                            QStringLiteral("-f"), QStringLiteral("srt"), QStringLiteral("-")});
    EXPECT_TRUE(ffmpeg.waitForFinished(30000));
    EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
    return Parsed(ffmpeg.readAllStandardOutput());
}

TEST(CaptionWriter, FfmpegReadsEveryFormatBackCueForCue)
{
    const std::vector<Caption> captions{
        {1, 0, 1234, QStringLiteral("今天天气很好，\n我们一起去公园"), {}},
        {2, 1234, 4005, QStringLiteral("Fish & chips <b>not</b> bold"), {}},
        {3, 3723004, 3725999, QStringLiteral("two\nlines"), {}},
        {4, 3726000, 3727000, QStringLiteral("{aside}"), {}},
    };
    QTemporaryDir dir;
    for (const QString& name : CaptionWriter::FormatNames()) {
        SCOPED_TRACE(name.toStdString());
        const CaptionWriter::Format format = *CaptionWriter::FormatNamed(name);
        QString path = dir.filePath(QStringLiteral("out.") + CaptionWriter::Extension(format));
        QString error;
        ASSERT_TRUE(CaptionWriter::Write(path, captions, format, true, error)) << error.toStdString();
        if (format == CaptionWriter::Format::WebVtt) {
            EXPECT_TRUE(ReadBytes(path).startsWith("WEBVTT\n\n1\n00:00:00.000 --> 00:00:01.234\n"));
        }
        const std::vector<Caption> back = ReadByFfmpeg(path);
        ASSERT_EQ(back.size(), captions.size());
        // Advanced SubStation counts hundredths of a second, and its style's font comes back as a tag.
        const bool ass = format == CaptionWriter::Format::Ass;
        const int32_t grain = ass ? 10 : 1;
        for (size_t i = 0; i < back.size(); ++i) {
            // It holds braces read from WebVTT or ASS escaped, as renderers need them.
            const QString styled = QStringLiteral("<font face=\"WenQuanYi Micro Hei\" size=\"56\">%1</font>");
            QString text = captions[i].text;
            if (format != CaptionWriter::Format::Srt)
                text.replace(QLatin1Char('{'), QStringLiteral("\\{")).replace(QLatin1Char('}'), QStringLiteral("\\}"));
            EXPECT_EQ(back[i].text, ass ? styled.arg(text) : text) << i;
            EXPECT_EQ(back[i].start, captions[i].start / grain * grain) << i;
            EXPECT_EQ(back[i].end, captions[i].end / grain * grain) << i;
        }
    }

    // Drawn, the braced caption shows rather than vanishing as a block of style overrides would.
    QProcess render;
    render.start(QStringLiteral("ffmpeg"), QStringLiteral("-v error -f lavfi -i color=c=black:s=480x270:r=2:d=3727 "
                                                          "-ss 3726.5 -frames:v 1 -pix_fmt gray -f rawvideo -vf")
                                               .split(QLatin1Char(' ')) +
                                           QStringList{QStringLiteral("ass=") + dir.filePath(QStringLiteral("out.ass")),
                                                       QStringLiteral("-")});
    ASSERT_TRUE(render.waitForFinished(60000));
    const QByteArray frame = render.readAllStandardOutput();
    ASSERT_EQ(frame.size(), 480 * 270) << render.readAllStandardError().toStdString();
    EXPECT_GT(std::count_if(frame.begin(), frame.end(), [](char c) { return uchar(c) > 128; }), 50);

    // A backslash is drawn, not taken with the next letter for a line break.
    QString path = dir.filePath(QStringLiteral("path.ass"));
    QString error;
    ASSERT_TRUE(CaptionWriter::Write(path, {{1, 0, 1000, QStringLiteral("C:\\new"), {}}}, CaptionWriter::Format::Ass,
                                     true, error));
    EXPECT_TRUE(ReadByFfmpeg(path).at(0).text.contains(QStringLiteral("C:\\\u2060new")));
    QFile::remove(path);

    // A file that cannot be written whole leaves nothing behind.
    QString missing = dir.filePath(QStringLiteral("gone/out.srt"));
    EXPECT_FALSE(CaptionWriter::Write(missing, captions, CaptionWriter::Format::Srt, true, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

} // namespace
