#include "mediakit/SrtReader.h"
#include "subtitles/SrtWriter.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The studio and the voice-over read the tool's own files with the captions layer's reader.
TEST(SrtText, OwnFilesReadBackAsTheirSentences)
{
    SrtLineInfo first{"第一句", 1500, 2800};
    SrtLineInfo second{"two\r\nlines", 2800, 3723004};
    const QByteArray own = "\xEF\xBB\xBF" + SrtWriter::BuildSrt(QList<SrtLineInfo*>{&first, &second}).toUtf8();
    std::vector<Caption> captions;
    QString error;
    ASSERT_TRUE(SrtReader::Parse(own, captions, error)) << error.toStdString();
    ASSERT_EQ(captions.size(), 2u);
    EXPECT_EQ(captions[0].text, QStringLiteral("第一句"));
    EXPECT_EQ(captions[0].start, 1500);
    EXPECT_EQ(captions[0].end, 2800);
    EXPECT_EQ(captions[1].text, QStringLiteral("two\nlines"));
    EXPECT_EQ(captions[1].start, 2800);
    EXPECT_EQ(captions[1].end, 3723004);
}

TEST(SrtText, CompanionPathNeverEqualsTheSubtitlePath)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/w/AITxt/clip_0_250.srt", "/w/AITxt/clip_0_250.txt"},
        {"/d/a.srt/b.srt", "/d/a.txt/b.txt"},
        {"/w/clip.SRT", "/w/clip.SRT.txt"},
        {"/w/clip", "/w/clip.txt"},
    };
    for (const auto& [srt, txt] : cases)
        EXPECT_EQ(SrtWriter::CompanionPath(QString::fromUtf8(srt)), QString::fromUtf8(txt)) << srt;
}

TEST(SrtText, FilesAreReplacedAndUnwritablePathsReportFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.srt"));
    ASSERT_TRUE(SrtWriter::WriteTextFile(path, QStringLiteral("a much longer first version")));
    ASSERT_TRUE(SrtWriter::WriteTextFile(path, QStringLiteral("1\r\n短\r\n")));
    EXPECT_EQ(ReadBytes(path), QStringLiteral("1\r\n短\r\n").toUtf8());
    EXPECT_FALSE(SrtWriter::WriteTextFile(dir.filePath(QStringLiteral("missing/a.srt")), QStringLiteral("x")));
}

} // namespace
