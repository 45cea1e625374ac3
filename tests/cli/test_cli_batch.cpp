// Many sources, or many lines of a file, in one command: a result each, printed as it comes, a
// failure named by its source or line while the others still finish, and Ctrl-C mid-batch.
#include "CliFixture.h"
#include "PtyProcess.h"

#include "MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class Batch : public CommandLine
{
protected:
    void SetUp() override
    {
        CommandLine::SetUp();
        const EmulatorOptions options;
        QFile settings(m_folders.App() + QStringLiteral("/InitFile/AIGC.ini"));
        ASSERT_TRUE(settings.open(QIODevice::Append));
        settings.write(QStringLiteral("[Audio2Txt]\nURL=http://127.0.0.1:%1\nAPIKey=%2\nSecretKey=%3\n"
                                      "[ObjectStore]\nEndpoint=127.0.0.1:%1\nAccessKeyId=%4\nSecretAccessKey=%5\n"
                                      "Bucket=%6\n")
                           .arg(m_port)
                           .arg(QString::fromStdString(options.clientId), QString::fromStdString(options.clientSecret),
                                QString::fromStdString(options.storeAccessKey),
                                QString::fromStdString(options.storeSecretKey),
                                QString::fromStdString(options.storeBucket))
                           .toUtf8());
    }

    // A copy of file at NAME under a folder of its own.
    QString CopyAs(const QString& file, const QString& folder, const QString& name)
    {
        const QString path = m_folders.Root() + QLatin1Char('/') + folder + QLatin1Char('/') + name;
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()) && QFile::copy(file, path));
        return path;
    }

    QString Lines(const QString& text)
    {
        const QString path = m_folders.Root() + QStringLiteral("/lines.txt");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) > 0);
        return path;
    }

    // Each line of standard output as the object it must be.
    static QList<QJsonObject> Objects(const Outcome& outcome)
    {
        QList<QJsonObject> objects;
        for (const QString& line : outcome.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            objects << QJsonDocument::fromJson(line.toUtf8()).object();
        return objects;
    }
};

TEST_F(Batch, EverySourceKeepsItsOwnResultAndAMissingOneIsNamed)
{
    const QString video = MediaFixtures::VideoWithAudio();
    const QString a = CopyAs(video, QStringLiteral("a"), QStringLiteral("clip.mp4"));
    const QString b = CopyAs(video, QStringLiteral("b"), QStringLiteral("clip.mp4"));
    const QString missing = m_folders.Root() + QStringLiteral("/missing.mp4");
    const QString out = m_folders.Root() + QStringLiteral("/out");
    ASSERT_TRUE(QDir().mkpath(out));
    const struct
    {
        QStringList arguments;
        const char* result; // the member of each object that holds the path printed
    } cases[] = {
        {{"subtitles", a, missing, b, "--engine", "cloud", "--jobs", "1"}, "path"},
        {{"extract", a, missing, b, "--output-dir", out, "--jobs", "1"}, "destination"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front().toStdString());
        const Outcome plain = Run(c.arguments);
        EXPECT_EQ(plain.exitCode, 1) << plain.err.toStdString();
        EXPECT_TRUE(plain.err.startsWith(missing + QStringLiteral(": cannot open"))) << plain.err.toStdString();
        const QStringList paths = plain.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(paths.size(), 2) << plain.err.toStdString();
        EXPECT_NE(paths[0], paths[1]);
        for (const QString& path : paths)
            EXPECT_GT(QFileInfo(path).size(), 0) << path.toStdString();

        const Outcome json = Run(c.arguments + QStringList{QStringLiteral("--json")});
        EXPECT_EQ(json.exitCode, 1);
        QSet<QString> failed;
        QSet<QString> printed;
        for (const QJsonObject& object : Objects(json)) {
            const QString source = object.value(QStringLiteral("source")).toString();
            if (object.value(QStringLiteral("ok")).toBool())
                printed << object.value(QLatin1String(c.result)).toString();
            else
                failed << source;
        }
        EXPECT_EQ(failed, QSet<QString>{missing}) << json.out.toStdString();
        EXPECT_EQ(printed.size(), 2) << "a result of its own beside the earlier run's: " << json.out.toStdString();
        EXPECT_FALSE(printed.contains(paths[0]) || printed.contains(paths[1]));
    }
}

TEST_F(Batch, LinesOfAFileAreItemsNamedByTheirNumbersAndBlankOnesAreSkipped)
{
    SetFault("chat", R"({"status":502,"times":1})");
    const QString file = Lines(QStringLiteral("春天的花\r\n\n   \n秋天的叶\n"));
    const Outcome outcome =
        Run({QStringLiteral("write"), QStringLiteral("--from"), file, QStringLiteral("--jobs=1"), QStringLiteral("--json")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.startsWith(file + QStringLiteral(":1: 文案服务请求失败"))) << outcome.err.toStdString();
    const QList<QJsonObject> objects = Objects(outcome);
    ASSERT_EQ(objects.size(), 2) << outcome.out.toStdString();
    EXPECT_EQ(objects[0].value(QStringLiteral("line")).toInt(), 1);
    EXPECT_FALSE(objects[0].value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(objects[1].value(QStringLiteral("line")).toInt(), 4);
    EXPECT_EQ(objects[1].value(QStringLiteral("topic")).toString(), QStringLiteral("秋天的叶"));
    EXPECT_TRUE(QFile::exists(objects[1].value(QStringLiteral("path")).toString()));

    const Outcome blank = Run({QStringLiteral("dub"), QStringLiteral("--from"), Lines(QStringLiteral("\n  \n"))});
    EXPECT_EQ(blank.exitCode, 2) << blank.err.toStdString();
}

TEST_F(Batch, CtrlCStopsWhatRunsAndKeepsWhatFinished)
{
    // The first request hangs; the other finishes and is printed while it does.
    SetFault("chat", R"({"delay_ms":600000,"times":1})");
    PtyProcess process(QStringLiteral(QOVAIGC_BIN),
                       WithFolders({QStringLiteral("write"), QStringLiteral("--from"),
                                    Lines(QStringLiteral("春天\n秋天\n")), QStringLiteral("--jobs"), QStringLiteral("2")}),
                       Environment());
    ASSERT_TRUE(process.Started());
    const QString folder = m_folders.Work() + QStringLiteral("/Copywriting");
    EXPECT_TRUE(process.WaitFor(folder.toUtf8(), 60s)) << process.Output().toStdString();
    EXPECT_TRUE(process.WaitFor("1 of 2 done, 1 running", 60s)) << process.Output().toStdString();
    process.TypeInterrupt();
    EXPECT_EQ(process.Finish(60s), 130) << process.Output().toStdString();
    EXPECT_TRUE(process.Output().contains(":1: interrupted") || process.Output().contains(":2: interrupted"))
        << process.Output().toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1) << "the finished text stays, nothing of the other";
}

} // namespace
