#include "service/TransLog.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

const QDateTime kCreated(QDate(2024, 3, 5), QTime(14, 7, 9));

class TaskLog : public ::testing::Test
{
protected:
    QString Folder() const
    {
        return m_root.path() + QStringLiteral("/AI文案/");
    }

    // Log files get the dates the test gives them; files it does not name count as today.
    TransLog::FileDateSource Dates()
    {
        return [this](const QString& path) { return m_dates.value(path, QDateTime::currentDateTime()); };
    }

    QString AddFile(const QString& name, const QDateTime& date, const QByteArray& bytes)
    {
        QDir().mkpath(Folder());
        const QString path = Folder() + name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        m_dates.insert(path, date);
        return path;
    }

    QTemporaryDir m_root;
    QHash<QString, QDateTime> m_dates;
};

TEST_F(TaskLog, RecordsAreWrittenWithTheirExactBytes)
{
    TransLog log(Folder(), kCreated);
    EXPECT_TRUE(QDir(Folder()).exists()) << "the folder is made with the log";
    EXPECT_EQ(log.LogFile(), Folder() + QStringLiteral("Log2024_03_05_14_07_09.txt"));
    EXPECT_EQ(log.RangeStart(), kCreated.addDays(-7));
    EXPECT_EQ(log.RangeEnd(), kCreated);

    // Typed text brings "\n", pasted text "\r\n" or a lone "\r": each is one bar, so a record
    // stays on its line.
    log.AddTask(QStringLiteral("雪山\r\n湖泊"), QStringLiteral("T-1"));
    const QString id = log.AddFinishedTask(QStringLiteral("\n话\r题\r\r\n"), QStringLiteral("/w/a.txt"));
    const QByteArray bytes = ReadBytes(log.LogFile());

    const QRegularExpression layout(QStringLiteral(
        "^\r\r\n\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  : TaskID=T-1, SrcInfo=雪山\\|湖泊"
        "\r\r\n\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  : TaskID=%1, SrcInfo=\\|话\\|题\\|\\|, Stat=2, Files=/w/a.txt$")
                                        .arg(id));
    EXPECT_TRUE(layout.match(QString::fromUtf8(bytes)).hasMatch()) << bytes.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"))
                    .match(id)
                    .hasMatch());

    const auto finished = log.FindTask(id);
    ASSERT_TRUE(finished);
    EXPECT_EQ(finished->Stat, 0) << "a finished record keeps state 0 in memory";
    EXPECT_EQ(finished->SrcInfo, QStringLiteral("|话|题||"));
    EXPECT_EQ(finished->Files, QStringLiteral("/w/a.txt"));
}

TEST_F(TaskLog, UpdatesReplaceOrKeepTheFiles)
{
    TransLog log(Folder(), kCreated);
    log.AddTask(QStringLiteral("src"), QStringLiteral("Id"));
    log.AddTask(QStringLiteral("other"), QStringLiteral("id"));

    const QStringList two{QStringLiteral("/a.png"), QStringLiteral("/b.png")};
    EXPECT_TRUE(log.UpdateTask(QStringLiteral("Id"), 1, &two));
    EXPECT_EQ(log.FindTask(QStringLiteral("Id"))->Files, QStringLiteral("/a.png|/b.png|"));
    EXPECT_EQ(log.FindTask(QStringLiteral("id"))->Files, QString()) << "identifiers compare with case";

    EXPECT_TRUE(log.UpdateTask(QStringLiteral("Id"), 2));
    EXPECT_EQ(log.FindTask(QStringLiteral("Id"))->Files, QStringLiteral("/a.png|/b.png|"));
    EXPECT_EQ(log.FindTask(QStringLiteral("Id"))->Stat, 2);

    const QStringList none;
    EXPECT_TRUE(log.UpdateTask(QStringLiteral("Id"), 2, &none));
    EXPECT_EQ(log.FindTask(QStringLiteral("Id"))->Files, QString());

    EXPECT_TRUE(log.UpdateTask(QStringLiteral("id"), -1, QStringLiteral("/x.mp3")));
    EXPECT_EQ(log.FindTask(QStringLiteral("id"))->Files, QStringLiteral("/x.mp3"));

    const qint64 size = QFileInfo(log.LogFile()).size();
    EXPECT_FALSE(log.UpdateTask(QStringLiteral("ID"), 2, QStringLiteral("/y")));
    EXPECT_EQ(QFileInfo(log.LogFile()).size(), size) << "an unknown task writes nothing";
    EXPECT_TRUE(ReadBytes(log.LogFile()).endsWith("TaskID=id, SrcInfo=other, Stat=-1, Files=/x.mp3"));
}

TEST_F(TaskLog, LoadingTakesFilesOfTheRangeNewestFirst)
{
    // The range runs from 2024-02-27 14:07:09 to 2024-03-05 14:07:09, and a file counts for
    // 00:00 of its day: a file of 2024-02-27 falls before the range, one of today inside.
    AddFile(QStringLiteral("Log2024_02_27_09_00_00.txt"), QDateTime(QDate(2024, 2, 27), QTime(9, 0)),
            "\r\r\n2024-02-27 09:00:01  : TaskID=old, SrcInfo=too old");
    AddFile(QStringLiteral("Log2024_02_28_09_00_00.txt"), QDateTime(QDate(2024, 2, 28), QTime(23, 59)),
            "\r\r\n2024-02-28 09:00:01  : TaskID=A, SrcInfo=first run"
            "\r\r\n2024-02-28 09:00:02  : TaskID=A, SrcInfo=first run, Stat=2, Files=/a1.png|");
    AddFile(QStringLiteral("log2024_03_05_08_00_00.txt"), QDateTime(QDate(2024, 3, 5), QTime(8, 0)),
            "\r\r\n2024-03-05 08:00:01  : TaskID=B, SrcInfo=second run"
            "\r\r\n\r\r\n   \r\r\nno keys on this line"
            "\r\r\n2024-03-05 08:00:02  : TaskID=onlyid"
            "\r\r\n2024-03-05 08:00:03  : TaskID=B, SrcInfo=second run, Stat=2, Files=/b.png|"
            "\r\r\n2024-03-05 08:00:04  : TaskID=A, SrcInfo=ignored source, Stat=2, Files=/a2.png|");
    AddFile(QStringLiteral("Log2024_03_06_08_00_00.txt"), QDateTime(QDate(2024, 3, 6), QTime(8, 0)),
            "\r\r\n2024-03-06 08:00:01  : TaskID=future, SrcInfo=after the range");
    AddFile(QStringLiteral("notes.md"), QDateTime(QDate(2024, 3, 5), QTime(8, 0)), "TaskID=md, SrcInfo=not a log");

    TransLog log(Folder(), kCreated, Dates());
    log.LoadLogs();
    const QList<TransLogItem> items = log.Items();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].TaskID, QStringLiteral("B"));
    EXPECT_EQ(items[0].SrcInfo, QStringLiteral("second run"));
    EXPECT_EQ(items[0].Files, QStringLiteral("/b.png|"));
    EXPECT_EQ(items[0].Stat, 0) << "the state is not read back";
    EXPECT_EQ(items[1].TaskID, QStringLiteral("A"));
    EXPECT_EQ(items[1].SrcInfo, QStringLiteral("ignored source")) << "the newest file made the record";
    EXPECT_EQ(items[1].Files, QStringLiteral("/a1.png|")) << "the older file's line came last";

    log.LoadLogs();
    EXPECT_EQ(log.ItemCount(), 2) << "loading again refreshes, never duplicates";

    log.SetRange(QDateTime(QDate(2024, 2, 27), QTime(0, 0)), QDateTime(QDate(2024, 3, 6), QTime(0, 0)));
    log.ClearItems();
    log.LoadLogs();
    EXPECT_EQ(log.ItemCount(), 4) << "both ends of the range are inclusive";
}

TEST_F(TaskLog, LinesAreCutAtTheFirstKeyOfEachKind)
{
    AddFile(QStringLiteral("Log2024_03_05_00_00_00.txt"), kCreated,
            "\r\r\n2024-03-05 10:00:00  : TaskID=S, SrcInfo=a source with Stat=3 inside"
            "\r\r\n2024-03-05 10:00:01  : TaskID=F, SrcInfo=x, Stat=2, Files="
            "\r\r\n2024-03-05 10:00:02  : TaskID=, SrcInfo=no id");
    TransLog log(Folder(), kCreated, Dates());
    log.LoadLogs();
    ASSERT_EQ(log.ItemCount(), 3);
    // The reader assumes ", " before every key, so two more characters go.
    EXPECT_EQ(log.FindTask(QStringLiteral("S"))->SrcInfo, QStringLiteral("a source wit"));
    EXPECT_EQ(log.FindTask(QStringLiteral("F"))->Files, QString());
    EXPECT_EQ(log.FindTask(QString())->SrcInfo, QStringLiteral("no id"));
}

TEST_F(TaskLog, ThisRunsRecordsTakeFilesFromTheirOwnFile)
{
    TransLog log(Folder(), QDateTime::currentDateTime());
    log.AddTask(QStringLiteral("prompt"), QStringLiteral("T"));
    log.WriteLine(QStringLiteral("TaskID=T, SrcInfo=prompt, Stat=2, Files=/from/file.png|"));
    log.LoadLogs();
    ASSERT_EQ(log.ItemCount(), 1) << "the default file date puts a new file inside the default range";
    EXPECT_EQ(log.FindTask(QStringLiteral("T"))->Files, QStringLiteral("/from/file.png|"));
}

TEST_F(TaskLog, ConcurrentWritersLoseNoLine)
{
    constexpr int kThreads = 8;
    constexpr int kTasks = 250;
    TransLog log(Folder(), QDateTime::currentDateTime());
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&log, t] {
            for (int i = 0; i < kTasks; ++i) {
                const QString id = QStringLiteral("w%1-%2").arg(t).arg(i);
                log.AddTask(QStringLiteral("source %1").arg(i), id);
                const QStringList files{QStringLiteral("/out/%1.png").arg(id)};
                log.UpdateTask(id, 2, &files);
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();

    const QByteArray bytes = ReadBytes(log.LogFile());
    EXPECT_EQ(bytes.count("\r\r\n"), kThreads * kTasks * 2);

    TransLog reader(Folder(), QDateTime::currentDateTime());
    reader.LoadLogs();
    ASSERT_EQ(reader.ItemCount(), kThreads * kTasks);
    for (const TransLogItem& item : reader.Items())
        ASSERT_EQ(item.Files, QStringLiteral("/out/%1.png|").arg(item.TaskID));
}

TEST(ToolLogs, LiveInTheirFoldersBelowTheApplicationRoot)
{
    const TestEnvironment& env = TestEnvironment::Get();
    const std::pair<TransLog&, const char*> cases[] = {{GetPaintingLog(), "AI作画"},
                                                        {GetDubbingLog(), "AI语音"},
                                                        {GetSubtitlesLog(), "AI字幕"},
                                                        {GetCopywritingLog(), "AI文案"}};
    for (const auto& [log, folder] : cases) {
        SCOPED_TRACE(folder);
        const QString expected = env.AppDir() + QStringLiteral("/AppLocalFiles/AILog/") + QString::fromUtf8(folder) +
                                 QLatin1Char('/');
        EXPECT_EQ(log.Folder(), expected);
        EXPECT_TRUE(QDir(expected).exists());
        EXPECT_TRUE(QFileInfo(log.LogFile()).fileName().startsWith(QStringLiteral("Log")));
    }
    EXPECT_EQ(&GetCopywritingLog(), &GetCopywritingLog());
}

} // namespace
