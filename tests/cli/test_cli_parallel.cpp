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
    // Every path its own, every file there with something in it, and one log record more for each.
    void ExpectAFileAndARecordEach(const QStringList& paths, const QStringList& loggedBefore, const QString& tool)
    {
        EXPECT_EQ(QSet<QString>(paths.begin(), paths.end()).size(), kProcesses) << paths.join(' ').toStdString();
        for (const QString& path : paths) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.size() > 0) << path.toStdString();
        }
        QStringList expected = loggedBefore + paths;
        expected.sort();
        EXPECT_EQ(LoggedFiles(tool), expected) << "each run's record names its own file";
    }
};

TEST_F(ParallelRuns, ResultsMadeInTheSameSecondKeepAFileEach)
{
    const struct
    {
        QStringList arguments;
        const char* tool;
    } cases[] = {
        {{QStringLiteral("write"), QStringLiteral("同一秒的话题")}, "copywriting"},
        {{QStringLiteral("dub"), QStringLiteral("同一秒的配音")}, "dubbing"},
        // 512 characters and more: a polled task each, whose audio is downloaded at its end.
        {{QStringLiteral("dub"), QString(QStringLiteral("长文本。")).repeated(130)}, "dubbing"},
        {{QStringLiteral("paint"), QStringLiteral("同一秒的湖泊"), QStringLiteral("--count"), QStringLiteral("1")},
         "painting"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).left(40).toStdString());
        const QString tool = QString::fromLatin1(c.tool);
        const QStringList before = LoggedFiles(tool);
        ExpectAFileAndARecordEach(RunTogether(c.arguments, kProcesses), before, tool);
    }
}

} // namespace
