// qovaigc captions: an SRT laid out beside its input or where asked, never over another file of
// the user's unless named, and the failures a user meets, none leaving a file. Then subtitles
// with the same options, against the local services.
#include "CliFixture.h"

#include "AudioEncoder.h"
#include "GeneratedSpeech.h"
#include "subtitles/SrtReader.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace {

class CaptionsCommand : public CommandLine
{
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_folders.Root() + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList Files() { return QDir(m_folders.Root()).entryList(QDir::Files, QDir::Name); }
};

const QByteArray kTalk = "\xEF\xBB\xBF" "1\r\n00:00:00,500 --> 00:00:10,500\r\n"
                         "So what we did was take the recordings from every meeting, run them through the "
                         "recogniser, and then, because nobody reads a wall of text, cut them into captions.\r\n\r\n"
                         "2\r\n00:00:10,500 --> 00:00:12,000\r\nShort one.\r\n\r\n";

TEST_F(CaptionsCommand, WritesBesideTheInputAndNeverOverAnotherFile)
{
    const QString input = Write(QStringLiteral("talk.srt"), kTalk);
    const QString beside = m_folders.Root() + QStringLiteral("/talk.captions.srt");
    const Outcome first = Run({QStringLiteral("captions"), input});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, beside + QLatin1Char('\n'));
    const QByteArray written = Read(beside);
    EXPECT_TRUE(written.startsWith("1\r\n00:00:00,500 --> "));
    EXPECT_TRUE(written.endsWith("\r\n00:00:10,500 --> 00:00:12,000\r\nShort one.\r\n\r\n")) << "a cue that fits";
    EXPECT_GT(written.count("-->"), 2);

    // Run again with other limits: the first result stays, the second takes the next free name.
    const Outcome second = Run({QStringLiteral("captions"), input, QStringLiteral("--max-chars=20")});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, m_folders.Root() + QStringLiteral("/talk.captions_2.srt\n"));
    EXPECT_EQ(Read(beside), written);

    // A path given is the user's choice: written there, over what was there.
    const QString chosen = Write(QStringLiteral("chosen.vtt"), "old");
    const QJsonObject json = JsonOf(Run({QStringLiteral("captions"), input, QStringLiteral("--output"), chosen,
                                         QStringLiteral("--format"), QStringLiteral("vtt"), QStringLiteral("--json")}));
    EXPECT_EQ(json.value(QStringLiteral("path")).toString(), chosen);
    EXPECT_EQ(json.value(QStringLiteral("cues")).toInt(), 2);
    EXPECT_GT(json.value(QStringLiteral("captions")).toInt(), 2);
    EXPECT_TRUE(Read(chosen).startsWith("WEBVTT\n\n1\n00:00:00.500 --> "));
}

TEST_F(CaptionsCommand, FailuresSayWhyAndLeaveNoFile)
{
    const QString input = Write(QStringLiteral("talk.srt"), kTalk);
    const QString notes = Write(QStringLiteral("notes.srt"), "Buy milk.\nCall Anna at 10:30.\n");
    const QString missing = m_folders.Root() + QStringLiteral("/missing.srt");
    const QString noFolder = m_folders.Root() + QStringLiteral("/no/such/folder/out.srt");
    const struct
    {
        QStringList arguments;
        int exitCode;
        QString says;
    } cases[] = {
        {{notes}, 1, notes + QStringLiteral(" is not subtitles: it holds no cue")},
        {{missing}, 1, QStringLiteral("cannot open %1: No such file").arg(missing)},
        {{input, QStringLiteral("--output"), noFolder}, 1, QStringLiteral("cannot write ") + noFolder},
        {{input, QStringLiteral("--max-chars"), QStringLiteral("0")}, 2, QStringLiteral("--max-chars takes")},
        {{input, QStringLiteral("--max-seconds"), QStringLiteral("-1")}, 2, QStringLiteral("--max-seconds takes")},
        {{input, QStringLiteral("--format"), QStringLiteral("txt")}, 2, QStringLiteral("--format takes srt, vtt or ass")},
        {{input, QStringLiteral("--output"), input}, 2, QStringLiteral("--output names INPUT itself")},
        {{input, input}, 2, QStringLiteral("captions takes one INPUT")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const Outcome outcome = Run(QStringList{QStringLiteral("captions")} + c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_TRUE(outcome.out.isEmpty()) << outcome.out.toStdString();
        EXPECT_TRUE(outcome.err.contains(c.says)) << outcome.err.toStdString();
        EXPECT_EQ(outcome.err.contains(QStringLiteral("usage: qovaigc captions INPUT")), c.exitCode == 2);
        EXPECT_EQ(Files(), (QStringList{QStringLiteral("notes.srt"), QStringLiteral("talk.srt")}));
    }
    EXPECT_EQ(Read(input), kTalk);
}

TEST_F(CaptionsCommand, SubtitlesWithALayoutOptionAlsoWritesTheCaptions)
{
    const EmulatorOptions service;
    TestEnvironment::WriteSettings(
        m_folders.App(),
        QStringLiteral("[Token]\nURL=http://127.0.0.1:%1/oauth/2.0/token\n"
                       "[Audio2Txt]\nURL=http://127.0.0.1:%1\nAPIKey=%2\nSecretKey=%3\nWordTimes=1\n"
                       "[ObjectStore]\nEndpoint=127.0.0.1:%1\nAccessKeyId=%4\nSecretAccessKey=%5\nBucket=%6\n")
            .arg(m_port)
            .arg(QString::fromStdString(service.clientId), QString::fromStdString(service.clientSecret),
                 QString::fromStdString(service.storeAccessKey), QString::fromStdString(service.storeSecretKey),
                 QString::fromStdString(service.storeBucket)));
    const QString audio = m_folders.Root() + QStringLiteral("/speech.mp3");
    const GeneratedSpeech speech = GeneratedSpeech::Make({"今天天气很好", "我们明天见"}, {400, 700, 400});
    std::ofstream(audio.toStdString(), std::ios::binary) << AudioEncoder::Encode(speech.pcm, SpeechFormat::Mp3);

    const Outcome outcome = Run({QStringLiteral("subtitles"), audio, QStringLiteral("--engine"),
                                 QStringLiteral("cloud"), QStringLiteral("--max-chars"), QStringLiteral("4"),
                                 QStringLiteral("--max-lines=1"), QStringLiteral("--format"), QStringLiteral("vtt")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QStringList lines = outcome.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(".srt")));
    EXPECT_EQ(lines[1], lines[0].chopped(4) + QStringLiteral(".captions.vtt"));
    const QString captions = QString::fromUtf8(Read(lines[1]));
    EXPECT_TRUE(captions.startsWith(QStringLiteral("WEBVTT\n")));
    EXPECT_EQ(Read(lines[0]).count("-->"), 2);
    EXPECT_GT(captions.count(QStringLiteral("-->")), 2) << captions.toStdString();

    const Outcome bad = Run({QStringLiteral("subtitles"), audio, QStringLiteral("--max-lines"), QStringLiteral("0")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("--max-lines takes"))) << bad.err.toStdString();

    // The English recogniser times its words and the sentence is cut where they were spoken: "ten"
    // begins 1.17 s in, where cutting "go forward ten meters" by length would be 0.24 s late.
    const std::string raw = speech_test::ReadFile(speech_test::kGoForward);
    std::vector<std::int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    const QString english = m_folders.Root() + QStringLiteral("/go forward.wav");
    std::ofstream(english.toStdString(), std::ios::binary) << speech_test::Wav(samples);
    const QStringList layout{QStringLiteral("--max-chars=10"), QStringLiteral("--max-lines=1")};
    const QStringList paths = Run(QStringList{QStringLiteral("subtitles"), english, QStringLiteral("--engine=cloud"),
                                              QStringLiteral("--model=1737")} + layout)
                                  .out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(paths.size(), 2);
    const QString byLength = m_folders.Root() + QStringLiteral("/by-length.srt");
    Run(QStringList{QStringLiteral("captions"), paths[0], QStringLiteral("--output"), byLength} + layout);
    std::vector<Caption> spoken, shared;
    QString error;
    ASSERT_TRUE(SrtReader::Read(paths[1], spoken, error) && SrtReader::Read(byLength, shared, error))
        << error.toStdString();
    ASSERT_EQ(spoken.size(), 2u);
    ASSERT_EQ(shared.size(), 2u);
    EXPECT_EQ(spoken[1].text, QStringLiteral("ten meters"));
    EXPECT_NEAR(spoken[1].start, 1170, 60);
    EXPECT_GT(shared[1].start, 1170 + 100) << "the recording no longer tells the two apart";
}

} // namespace
