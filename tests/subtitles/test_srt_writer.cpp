#include "subtitles/SrtWriter.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(SrtTime, StampsCountHoursWithoutWrapping)
{
    const std::pair<int32_t, const char*> cases[] = {
        {0, "00:00:00,000"},       {1500, "00:00:01,500"},        {3723004, "01:02:03,004"},
        {59999, "00:00:59,999"},   {360000000, "100:00:00,000"},  {86399999, "23:59:59,999"},
    };
    for (const auto& [milliseconds, stamp] : cases)
        EXPECT_EQ(SrtWriter::FormatSrtTime(milliseconds), QString::fromLatin1(stamp)) << milliseconds;
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
