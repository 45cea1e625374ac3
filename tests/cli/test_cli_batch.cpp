// Many sources, or many lines of a file, in one command: a result each, printed as it comes, a
// failure named by its source or line while the others still finish, and Ctrl-C mid-batch.
#include "LocalServices.h"

#include <QDir>
#include <QJsonDocument>
#include <QMap>
#include <QSet>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace std::chrono_literals;

class Batch : public LocalServices
{
protected:
    // A copy of file at NAME under a folder of its own.
    QString CopyAs(const QString& file, const QString& folder, const QString& name)
    {
        const QString path = m_folders.Root() + '/' + folder + '/' + name;
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()) && QFile::copy(file, path));
        return path;
    }

    // Each line of standard output as the object it must be.
    static QList<QJsonObject> Objects(const Outcome& outcome)
    {
        QList<QJsonObject> objects;
        for (const QString& line : Lines(outcome.out))
            objects << QJsonDocument::fromJson(line.toUtf8()).object();
        return objects;
    }
};

TEST_F(Batch, EverySourceKeepsItsOwnResultAndAMissingOneIsNamed)
{
    const QString video = MediaFixtures::VideoWithAudio();
    const QString a = CopyAs(video, "a", "clip.mp4");
    const QString b = CopyAs(video, "b", "clip.mp4");
    const QString missing = Path("missing.mp4");
    const QString out = Path("out");
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
        EXPECT_TRUE(plain.err.startsWith(missing + ": cannot open")) << plain.err.toStdString();
        const QStringList paths = Lines(plain.out);
        ASSERT_EQ(paths.size(), 2) << plain.err.toStdString();
        EXPECT_NE(paths[0], paths[1]);
        for (const QString& path : paths)
            EXPECT_GT(QFileInfo(path).size(), 0) << path.toStdString();

        const Outcome json = Run(c.arguments + QStringList{"--json"});
        EXPECT_EQ(json.exitCode, 1);
        QSet<QString> failed;
        QSet<QString> printed;
        for (const QJsonObject& object : Objects(json)) {
            const QString source = object.value("source").toString();
            if (object.value("ok").toBool())
                printed << object.value(QLatin1String(c.result)).toString();
            else
                failed << source;
        }
        EXPECT_EQ(failed, QSet<QString>{missing}) << json.out.toStdString();
        EXPECT_EQ(printed.size(), 2) << "a result of its own beside the earlier run's: " << json.out.toStdString();
        EXPECT_FALSE(printed.contains(paths[0]) || printed.contains(paths[1]));
    }
}

// Two videos of one name, started together: each has an audio file of its own, and its own
// subtitles.
TEST_F(Batch, VideosOfOneNameKeepTheirOwnAudioAndWords)
{
    const auto spoken = [&](const QString& folder, const std::string& sentence) {
        const QString audio = Path(folder + ".mp3");
        const GeneratedSpeech speech = GeneratedSpeech::Make({sentence}, {400, 400});
        std::ofstream(audio.toStdString(), std::ios::binary) << AudioEncoder::Encode(speech.pcm, SpeechFormat::Mp3);
        const QString movie = Path(folder + "/talk.mp4");
        EXPECT_TRUE(QDir().mkpath(Path(folder)));
        bool ok = false;
        const QString said = MediaFixtures::RunFfmpeg(QStringList{"-f", "lavfi", "-i", "color=c=gray:s=64x48:r=25", "-i",
                                                                  audio, "-shortest", "-c:v", "mpeg4", "-c:a", "aac", movie},
                                                      &ok);
        EXPECT_TRUE(ok) << said.toStdString();
        return movie;
    };
    const QString a = spoken("a", "今天天气很好");
    const QString b = spoken("b", "我们明天见");
    const Outcome outcome = Run({"subtitles", a, b, "--engine", "cloud", "--jobs", "2", "--json"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    QMap<QString, QJsonObject> bySource;
    for (const QJsonObject& object : Objects(outcome))
        bySource[object.value("source").toString()] = object;
    ASSERT_EQ(bySource.size(), 2) << outcome.out.toStdString();
    EXPECT_NE(bySource[a].value("audio").toString(), bySource[b].value("audio").toString());
    const QString wordsOfA = QString::fromUtf8(ReadBytes(bySource[a].value("path").toString()));
    const QString wordsOfB = QString::fromUtf8(ReadBytes(bySource[b].value("path").toString()));
    // The service hears speech of different lengths, so the subtitles of one audio file are the same.
    EXPECT_TRUE(wordsOfA.contains(QStringLiteral("-->")) && wordsOfB.contains(QStringLiteral("-->")));
    EXPECT_NE(wordsOfA, wordsOfB) << "both subtitles came from one audio file";
}

TEST_F(Batch, LinesOfAFileAreItemsNamedByTheirNumbersAndBlankOnesAreSkipped)
{
    SetFault("chat", R"({"status":502,"times":1})");
    const QString file = Write("lines.txt", "春天的花\r\n\n   \n秋天的叶\n");
    const Outcome outcome = Run({"write", "--from", file, "--jobs=1", "--json"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.startsWith(file + ":1: 文案服务请求失败")) << outcome.err.toStdString();
    const QList<QJsonObject> objects = Objects(outcome);
    ASSERT_EQ(objects.size(), 2) << outcome.out.toStdString();
    EXPECT_EQ(objects[0].value("line").toInt(), 1);
    EXPECT_FALSE(objects[0].value("ok").toBool());
    EXPECT_EQ(objects[1].value("line").toInt(), 4);
    EXPECT_EQ(objects[1].value("topic").toString(), "秋天的叶");
    EXPECT_TRUE(QFile::exists(objects[1].value("path").toString()));

    const Outcome blank = Run({"dub", "--from", Write("lines.txt", "\n  \n")});
    EXPECT_EQ(blank.exitCode, 2) << blank.err.toStdString();
}

TEST_F(Batch, ALineOfAControlCharacterFailsAloneInAFileWhoseCharacterSetIsTold)
{
    QStringEncoder gbk("GB18030");
    const QByteArray first = gbk.encode(QStringLiteral("春天的花\n"));
    const QByteArray third = gbk.encode(QStringLiteral("秋天的叶\tA\n"));
    const QString file = Write("gbk.txt", first + QByteArray("a\0b\n", 4) + third + "\x1B[31mred\n");
    const Outcome outcome = Run({"write", "--from", file, "--jobs=1", "--json"});
    EXPECT_EQ(outcome.exitCode, 1);
    const QStringList errors = Lines(outcome.err);
    ASSERT_EQ(errors.size(), 2) << outcome.err.toStdString();
    const QString refusal = QStringLiteral("%1:%2: the line holds the control character U+%3");
    EXPECT_TRUE(errors[0].startsWith(refusal.arg(file).arg(2).arg("0000"))) << outcome.err.toStdString();
    EXPECT_TRUE(errors[1].startsWith(refusal.arg(file).arg(4).arg("001B"))) << outcome.err.toStdString();
    QMap<int, QJsonObject> byLine;
    for (const QJsonObject& object : Objects(outcome))
        byLine.insert(object.value("line").toInt(), object);
    ASSERT_EQ(byLine.keys(), (QList<int>{1, 2, 3, 4})) << outcome.out.toStdString();
    EXPECT_EQ(byLine[1].value("topic").toString(), "春天的花");
    EXPECT_EQ(byLine[3].value("topic").toString(), "秋天的叶\tA") << "a tab is no control character to refuse";
    EXPECT_FALSE(byLine[2].value("ok").toBool());
    EXPECT_FALSE(byLine[4].value("ok").toBool());
    EXPECT_EQ(LoggedFiles(QStringLiteral("copywriting")).size(), 2) << "only the lines that were sent";

    const QString unsure = Write("unsure.txt", "caf\xFF\xFE\x80\x81\n");
    const Outcome refused = Run({"dub", "--from", unsure});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(unsure + ": it is not UTF-8, and which character set it is in cannot be told"))
        << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains("--encoding")) << refused.err.toStdString();
    const Outcome named = Run({"write", "--from", unsure, "--encoding", "KOI8-R", "--json"});
    EXPECT_EQ(named.exitCode, 0) << named.err.toStdString();
    EXPECT_EQ(JsonOf(named).value("topic").toString(), "cafЪЧ─│");
    const Outcome alone = Run({"write", "topic", "--encoding", "GBK"});
    EXPECT_EQ(alone.exitCode, 2);
    EXPECT_TRUE(alone.err.contains("--encoding goes with --from")) << alone.err.toStdString();
}

TEST_F(Batch, CtrlCStopsWhatRunsAndKeepsWhatFinished)
{
    // The first request hangs; the other finishes and is printed while it does.
    SetFault("chat", R"({"delay_ms":600000,"times":1})");
    const auto process = OnTerminal({"write", "--from", Write("lines.txt", "春天\n秋天\n"), "--jobs", "2"});
    ASSERT_TRUE(process->Started());
    const QString folder = m_folders.Work() + "/Copywriting";
    EXPECT_TRUE(process->WaitFor(folder.toUtf8(), 60s)) << process->Output().toStdString();
    EXPECT_TRUE(process->WaitFor("1 of 2 done, 1 running", 60s)) << process->Output().toStdString();
    process->TypeInterrupt();
    EXPECT_EQ(process->Finish(60s), 130) << process->Output().toStdString();
    EXPECT_TRUE(process->Output().contains(":1: interrupted") || process->Output().contains(":2: interrupted"))
        << process->Output().toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1) << "the finished text stays, nothing of the other";
}

} // namespace
