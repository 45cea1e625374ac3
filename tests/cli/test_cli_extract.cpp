// qovaigc extract and duration on a file each: what a success reports, and every failure as one
// sentence naming the file, plain and in the --json reply with its code; no failure leaves a file.
#include "CliFixture.h"

#include "MediaFixtures.h"
#include "support/TestFiles.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using namespace MediaFixtures;

class ExtractCommand : public CommandLine
{
protected:
    void SetUp() override
    {
        CommandLine::SetUp();
        ASSERT_TRUE(QDir().mkpath(Out({})));
    }
    QString Out(const QString& name) const { return m_folders.Root() + "/out/" + name; }

    // Runs arguments plain and with --json: both end with exitCode and print the message alone on
    // standard error, nothing when it is empty. Returns the reply; printed gets the plain output.
    QJsonObject Both(const QStringList& arguments, int exitCode, const QString& message, QString& printed)
    {
        const QString said = message.isEmpty() ? QString() : message + '\n';
        const Outcome plain = Run(arguments);
        const Outcome json = Run(arguments + QStringList{"--json"});
        for (const Outcome& outcome : {plain, json}) {
            EXPECT_EQ(outcome.exitCode, exitCode);
            // One line and nothing else: the media libraries' own diagnostics stay quiet.
            EXPECT_EQ(outcome.err, said);
        }
        printed = plain.out;
        const QJsonObject reply = JsonOf(json);
        EXPECT_EQ(reply.value("ok").toBool(exitCode != 0), exitCode == 0) << json.out.toStdString();
        EXPECT_EQ(reply.value("error").toString(), message);
        return reply;
    }
};

TEST_F(ExtractCommand, EachFailureIsOneSentenceNamingTheFileAndItsCode)
{
    const QString notes = m_folders.Root() + "/notes.txt";
    ASSERT_TRUE(::WriteBytes(notes, "not a film\n"));
    const QString missing = m_folders.Root() + "/none.mp4";
    const struct
    {
        QStringList arguments; // after "extract"
        int code;
        QString message;
    } cases[] = {
        {{missing, Out("a.mp3")}, -1, QString("cannot open %1: No such file or directory").arg(missing)},
        {{notes, Out("a.mp3")}, -1, QString("cannot open %1: it is not a media file that can be read").arg(notes)},
        {{VideoWithoutAudio(), Out("a.mp3")}, -2, QString("%1 has no audio stream").arg(VideoWithoutAudio())},
        {{VideoWithAudio(), Out("a.xyz")},
         -3,
         QString("cannot tell which audio format to write from the name %1: end it in .mp3, .wav or another "
                 "audio extension")
             .arg(Out("a.xyz"))},
        {{VideoWithAudio(), Out("absent/a.mp3")},
         -7,
         QString("cannot write %1: No such file or directory").arg(Out("absent/a.mp3"))},
        {{VideoWithAudio(), Out("a.mp3"), "--codec", "pcm"},
         -8,
         QString("cannot store audio of the chosen codec in %1: choose another codec or file extension")
             .arg(Out("a.mp3"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        QString printed;
        EXPECT_EQ(Both(QStringList{"extract"} + c.arguments, 1, c.message, printed).value("code").toInt(), c.code);
        EXPECT_TRUE(printed.isEmpty()) << printed.toStdString();
    }
    EXPECT_TRUE(FilesIn(Out({})).isEmpty()) << "no failure leaves a file, partial or whole: "
                                       << FilesIn(Out({})).join(' ').toStdString();

    const QStringList unnamed{"extract", VideoWithAudio(), Out("a.xyz")};
    const Outcome debug = Run(unnamed, {"QOV_DEBUG_OUTPUT=1"});
    EXPECT_EQ(debug.exitCode, 1);
    EXPECT_GT(debug.err.count('\n'), 1) << "the libraries' own words are there to debug with";
    EXPECT_TRUE(debug.err.endsWith(Run(unnamed).err));
}

TEST_F(ExtractCommand, SuccessPrintsNothingOrAReplyNamingTheResultAndItsLength)
{
    QString printed;
    const QJsonObject reply = Both({"extract", VideoWithAudio(), Out("part.wav"), "--codec", "pcm", "--channels", "2",
                                    "--start", "2", "--end", "5"},
                                   0, {}, printed);
    EXPECT_TRUE(printed.isEmpty()) << printed.toStdString();
    EXPECT_EQ(reply.value("command").toString(), "extract");
    EXPECT_EQ(reply.value("destination").toString(), Out("part.wav"));
    EXPECT_EQ(reply.value("channels").toInt(), 2);
    EXPECT_EQ(reply.value("codec").toString(), "pcm");
    EXPECT_NEAR(reply.value("seconds").toDouble(), 3.0, 0.01);
    const Decoded decoded = Decode(Out("part.wav"));
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_NEAR(decoded.Seconds(), 3.0, 0.002);
    EXPECT_EQ(FilesIn(Out({})), QStringList{"part.wav"});
}

TEST_F(ExtractCommand, DurationFailsWithAMessageAndKeepsTheNumber)
{
    const QString missing = m_folders.Root() + "/none.wav";
    const struct
    {
        QString file;
        int exitCode;
        QString number;
        QString message;
    } cases[] = {
        {SpeechFormatWav(), 0, "4.000", {}},
        {missing, 1, "-1.000", QString("cannot open %1: No such file or directory").arg(missing)},
        {VideoWithoutAudio(), 1, "-2.000", QString("%1 has no audio stream").arg(VideoWithoutAudio())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        QString printed;
        const QJsonObject reply = Both({"duration", c.file}, c.exitCode, c.message, printed);
        EXPECT_EQ(printed, c.number + '\n');
        EXPECT_EQ(reply.value("path").toString(), c.file);
        EXPECT_DOUBLE_EQ(reply.value("seconds").toDouble(), c.number.toDouble());
    }
}

} // namespace
