#include "CliFixture.h"

#include <QFile>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Enough processes to share the second their results are named after.
constexpr int kProcesses = 8;

class ParallelRuns : public CommandLine
{
protected:
    // Every path its own, every file there with something in it, and one log record for each.
    void ExpectAFileAndARecordEach(const QStringList& paths, const QString& tool)
    {
        EXPECT_EQ(QSet<QString>(paths.begin(), paths.end()).size(), kProcesses) << paths.join(' ').toStdString();
        for (const QString& path : paths) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.size() > 0) << path.toStdString();
        }
        QStringList expected = paths;
        expected.sort();
        EXPECT_EQ(LoggedFiles(tool), expected) << "each run's record names its own file";
    }
};

TEST_F(ParallelRuns, TextsWrittenInTheSameSecondKeepAFileEach)
{
    ExpectAFileAndARecordEach(RunTogether({QStringLiteral("write"), QStringLiteral("同一秒的话题")}, kProcesses),
                              QStringLiteral("copywriting"));
}

TEST_F(ParallelRuns, SpeechMadeInTheSameSecondKeepsAFileEach)
{
    ExpectAFileAndARecordEach(RunTogether({QStringLiteral("dub"), QStringLiteral("同一秒的配音")}, kProcesses),
                              QStringLiteral("dubbing"));
}

TEST_F(ParallelRuns, LongSpeechMadeInTheSameSecondKeepsAFileEach)
{
    // 512 characters and more: a polled task each, whose audio is downloaded at its end.
    ExpectAFileAndARecordEach(
        RunTogether({QStringLiteral("dub"), QString(QStringLiteral("长文本。")).repeated(130)}, kProcesses),
        QStringLiteral("dubbing"));
}

TEST_F(ParallelRuns, ImagesMadeInTheSameSecondKeepAFileEach)
{
    ExpectAFileAndARecordEach(
        RunTogether({QStringLiteral("paint"), QStringLiteral("同一秒的湖泊"), QStringLiteral("--count"), QStringLiteral("1")}, kProcesses),
                              QStringLiteral("painting"));
}

} // namespace
