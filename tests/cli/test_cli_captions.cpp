// qovaigc captions: an SRT laid out beside its input or where asked, never over another file of
// the user's unless named, and the failures a user meets, none leaving a file. Then subtitles
// with the same options, against the local services.
#include "LocalServices.h"

#include "mediakit/SrtReader.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <vector>

namespace {

class CaptionsCommand : public LocalServices
{
protected:
    QStringList Files() const { return QDir(m_folders.Root()).entryList(QDir::Files, QDir::Name); }
};

const QByteArray kTalk = "\xEF\xBB\xBF"
                         "1\r\n00:00:00,500 --> 00:00:10,500\r\n"
                         "So what we did was take the recordings from every meeting, run them through the "
                         "recogniser, and then, because nobody reads a wall of text, cut them into captions.\r\n\r\n"
                         "2\r\n00:00:10,500 --> 00:00:12,000\r\nShort one.\r\n\r\n";

TEST_F(CaptionsCommand, WritesBesideTheInputAndNeverOverAnotherFile)
{
    const QString input = Write("talk.srt", kTalk);
    const QString beside = Path("talk.captions.srt");
    const Outcome first = Run({"captions", input});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, beside + '\n');
    const QByteArray written = ReadBytes(beside);
    EXPECT_TRUE(written.startsWith("1\r\n00:00:00,500 --> "));
    EXPECT_TRUE(written.endsWith("\r\n00:00:10,500 --> 00:00:12,000\r\nShort one.\r\n\r\n")) << "a cue that fits";
    EXPECT_GT(written.count("-->"), 2);

    // Run again with other limits: the first result stays, the second takes the next free name.
    const Outcome second = Run({"captions", input, "--max-chars=20"});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, m_folders.Root() + "/talk.captions_2.srt\n");
    EXPECT_EQ(ReadBytes(beside), written);

    // A path given is the user's choice: written there, over what was there.
    const QString chosen = Write("chosen.vtt", "old");
    const QJsonObject json = JsonOf(Run({"captions", input, "--output", chosen, "--format", "vtt", "--json"}));
    EXPECT_EQ(json.value("path").toString(), chosen);
    EXPECT_EQ(json.value("cues").toInt(), 2);
    EXPECT_GT(json.value("captions").toInt(), 2);
    EXPECT_TRUE(ReadBytes(chosen).startsWith("WEBVTT\n\n1\n00:00:00.500 --> "));
}

TEST_F(CaptionsCommand, FailuresSayWhyAndLeaveNoFile)
{
    const QString input = Write("talk.srt", kTalk);
    const QString notes = Write("notes.srt", "Buy milk.\nCall Anna at 10:30.\n");
    const QString missing = Path("missing.srt");
    const QString noFolder = Path("no/such/folder/out.srt");
    const QString link = Path("links/talk.srt");
    QDir().mkpath(Path("links"));
    QFile::link(input, link);
    const struct
    {
        QStringList arguments;
        int exitCode;
        QString says;
    } cases[] = {
        {{notes}, 1, notes + " is not subtitles: it holds no cue"},
        {{missing}, 1, QStringLiteral("cannot open %1: No such file").arg(missing)},
        {{input, "--output", noFolder}, 1, "cannot write " + noFolder + ": No such file or directory\n"},
        {{input, "--max-chars", "0"}, 2, "--max-chars takes"},
        {{input, "--max-seconds", "-1"}, 2, "--max-seconds takes"},
        {{input, "--format", "txt"}, 2, "--format takes srt, vtt or ass"},
        {{input, "--output", input}, 2, "--output names INPUT itself"},
        {{input, "--output", link}, 2, "--output names INPUT itself"},
        {{input, input}, 2, "captions takes one INPUT"},
        {{Path("links")}, 1, Path("links") + ": it is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Outcome outcome = Run(QStringList{"captions"} + c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_TRUE(outcome.out.isEmpty()) << outcome.out.toStdString();
        EXPECT_TRUE(outcome.err.contains(c.says)) << outcome.err.toStdString();
        EXPECT_EQ(outcome.err.contains("usage: qovaigc captions INPUT"), c.exitCode == 2);
        EXPECT_EQ(Files(), (QStringList{"notes.srt", "talk.srt"}));
    }
    EXPECT_EQ(ReadBytes(input), kTalk);
}

TEST_F(CaptionsCommand, ACharacterSetThatCannotBeToldIsNamedNotGuessed)
{
    const QByteArray cue = "1\r\n00:00:01,000 --> 00:00:02,000\r\n";
    const QString western = Write("western.srt", cue + "\xC7" "a va? Tr\xE8s bien\r\n");
    const QString unsure = Write("unsure.srt", cue + "caf\xFF\xFE\x80\x81\r\n");
    const struct
    {
        QStringList arguments;
        int exitCode;
        QString says; // on standard error, or the text of the caption written
    } cases[] = {
        {{western}, 0, QStringLiteral("Ça va? Très bien")},
        {{unsure}, 1, unsure + " is not subtitles: it is not UTF-8, and which character set it is in cannot be told"},
        {{unsure, "--encoding", "KOI8-R"}, 0, QStringLiteral("cafЪЧ─│")},
        {{western, "--encoding", "latin-9000"}, 2, "--encoding takes a character set such as"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Outcome outcome = Run(QStringList{"captions"} + c.arguments + QStringList{"--output", Path("out.srt")});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.err.toStdString();
        if (c.exitCode != 0) {
            EXPECT_TRUE(outcome.err.contains(c.says)) << outcome.err.toStdString();
            EXPECT_FALSE(QFile::exists(Path("out.srt")));
            continue;
        }
        std::vector<Caption> written;
        QString error;
        ASSERT_TRUE(SrtReader::Read(Path("out.srt"), written, error)) << error.toStdString();
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0].text, c.says);
        QFile::remove(Path("out.srt"));
    }
}

TEST_F(CaptionsCommand, SubtitlesWithALayoutOptionAlsoWritesTheCaptions)
{
    PointAt(m_port, true);
    const QString audio = Speech();
    const Outcome outcome =
        Run({"subtitles", audio, "--engine", "cloud", "--max-chars", "4", "--max-lines=1", "--format", "vtt"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QStringList lines = Lines(outcome.out);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(".srt"));
    EXPECT_EQ(lines[1], lines[0].chopped(4) + ".captions.vtt");
    const QString captions = QString::fromUtf8(ReadBytes(lines[1]));
    EXPECT_TRUE(captions.startsWith("WEBVTT\n"));
    EXPECT_EQ(ReadBytes(lines[0]).count("-->"), 2);
    EXPECT_GT(captions.count("-->"), 2) << captions.toStdString();

    // The English recogniser times its words and the sentence is cut where they were spoken: "ten"
    // begins 1.17 s in, where cutting "go forward ten meters" by length would be 0.24 s late.
    const QString english =
        Write("go forward.wav", QByteArray::fromStdString(speech_test::WavOfRaw(speech_test::kGoForward)));
    const QStringList layout{"--max-chars=10", "--max-lines=1"};
    const QStringList paths =
        Lines(Run(QStringList{"subtitles", english, "--engine=cloud", "--model=1737"} + layout).out);
    ASSERT_EQ(paths.size(), 2);
    const QString byLength = Path("by-length.srt");
    Run(QStringList{"captions", paths[0], "--output", byLength} + layout);
    std::vector<Caption> spoken, shared;
    QString error;
    ASSERT_TRUE(SrtReader::Read(paths[1], spoken, error) && SrtReader::Read(byLength, shared, error))
        << error.toStdString();
    ASSERT_EQ(spoken.size(), 2u);
    ASSERT_EQ(shared.size(), 2u);
    EXPECT_EQ(spoken[1].text, "ten meters");
    EXPECT_NEAR(spoken[1].start, 1170, 60);
    EXPECT_GT(shared[1].start, 1170 + 100) << "the recording no longer tells the two apart";
}

} // namespace
