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
    // Starts every run at once, then waits for all of them; the paths they printed.
    QStringList RunTogether(const QStringList& arguments)
    {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < kProcesses; ++i) {
            auto process = std::make_unique<QProcess>();
            process->setEnvironment(Environment());
            process->start(QStringLiteral(QOVAIGC_BIN), WithFolders(arguments));
            processes.push_back(std::move(process));
        }
        QStringList paths;
        for (const auto& process : processes) {
            EXPECT_TRUE(process->waitForFinished(120000));
            EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
            paths << QString::fromUtf8(process->readAllStandardOutput()).trimmed();
        }
        return paths;
    }

    // Every path its own, every file there with something in it, and one log record for each.
    void ExpectAFileAndARecordEach(const QStringList& paths, const QString& tool)
    {
        EXPECT_EQ(QSet<QString>(paths.begin(), paths.end()).size(), kProcesses) << paths.join(' ').toStdString();
        for (const QString& path : paths) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.size() > 0) << path.toStdString();
        }
        const Outcome listed = Run({QStringLiteral("history"), tool});
        ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
        QStringList logged;
        // A record's files are listed as the log keeps them, painting's each followed by "|".
        for (const QString& line : listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            logged << line.section(QLatin1Char('\t'), 2).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        logged.sort();
        QStringList expected = paths;
        expected.sort();
        EXPECT_EQ(logged, expected) << "each run's record names its own file";
    }
};

TEST_F(ParallelRuns, TextsWrittenInTheSameSecondKeepAFileEach)
{
    ExpectAFileAndARecordEach(RunTogether({QStringLiteral("write"), QStringLiteral("同一秒的话题")}),
                              QStringLiteral("copywriting"));
}

TEST_F(ParallelRuns, SpeechMadeInTheSameSecondKeepsAFileEach)
{
    ExpectAFileAndARecordEach(RunTogether({QStringLiteral("dub"), QStringLiteral("同一秒的配音")}),
                              QStringLiteral("dubbing"));
}

TEST_F(ParallelRuns, LongSpeechMadeInTheSameSecondKeepsAFileEach)
{
    // 512 characters and more: a polled task each, whose audio is downloaded at its end.
    ExpectAFileAndARecordEach(
        RunTogether({QStringLiteral("dub"), QString(QStringLiteral("长文本。")).repeated(130)}),
        QStringLiteral("dubbing"));
}

TEST_F(ParallelRuns, ImagesMadeInTheSameSecondKeepAFileEach)
{
    ExpectAFileAndARecordEach(
        RunTogether({QStringLiteral("paint"), QStringLiteral("同一秒的湖泊"), QStringLiteral("--count"), QStringLiteral("1")}),
                              QStringLiteral("painting"));
}

} // namespace
