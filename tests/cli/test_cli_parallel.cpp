#include "LocalServices.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

// Enough processes to share the second their results are named after.
constexpr int kProcesses = 8;

TEST_F(LocalServices, ResultsMadeInTheSameSecondKeepAFileAndARecordEach)
{
    SetAccount();
    const struct
    {
        QStringList arguments;
        const char* tool;
        QByteArray holds; // what each result file holds, besides being non-empty
    } cases[] = {
        {{"write", "同一秒的话题"}, "copywriting", {}},
        {{"dub", "同一秒的配音"}, "dubbing", {}},
        // 512 characters and more: a polled task each, whose audio is downloaded at its end.
        {{"dub", QString("长文本。").repeated(130)}, "dubbing", {}},
        {{"paint", "同一秒的湖泊", "--count", "1"}, "painting", {}},
        {{"subtitles", Speech()}, "subtitles", "-->"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').left(40).toStdString());
        const QString tool = QString::fromLatin1(c.tool);
        QStringList expected = LoggedFiles(tool);
        const QStringList paths = RunTogether(c.arguments, kProcesses);
        EXPECT_EQ(QSet<QString>(paths.begin(), paths.end()).size(), kProcesses) << paths.join(' ').toStdString();
        for (const QString& path : paths) {
            const QByteArray bytes = ReadBytes(path);
            EXPECT_TRUE(!bytes.isEmpty() && bytes != "<missing>" && bytes.contains(c.holds)) << path.toStdString();
        }
        expected += paths;
        expected.sort();
        EXPECT_EQ(LoggedFiles(tool), expected) << "each run's record names its own file";
    }
}

} // namespace
