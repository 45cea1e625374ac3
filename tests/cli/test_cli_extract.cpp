#include "CliFixture.h"

#include "MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using namespace MediaFixtures;

class ExtractCommand : public CommandLine
{
protected:
    QString Out(const QString& name) const { return m_folders.Root() + QStringLiteral("/out/") + name; }
    void SetUp() override
    {
        CommandLine::SetUp();
        QDir().mkpath(m_folders.Root() + QStringLiteral("/out"));
    }
    QStringList LeftInOut() const
    {
        return QDir(m_folders.Root() + QStringLiteral("/out")).entryList(QDir::Files | QDir::Hidden);
    }
};

TEST_F(ExtractCommand, EachFailureIsOneSentenceNamingTheFileAndItsCode)
{
    const QString notes = m_folders.Root() + QStringLiteral("/notes.txt");
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a film\n");
    file.close();
    const QString missing = m_folders.Root() + QStringLiteral("/none.mp4");
    struct Case
    {
        QStringList arguments; // after "extract"
        int code;
        QString message;
    };
    const Case cases[] = {
        {{missing, Out("a.mp3")}, -1, QStringLiteral("cannot open %1: No such file or directory").arg(missing)},
        {{notes, Out("a.mp3")},
         -1,
         QStringLiteral("cannot open %1: it is not a media file that can be read").arg(notes)},
        {{VideoWithoutAudio(), Out("a.mp3")}, -2, QStringLiteral("%1 has no audio stream").arg(VideoWithoutAudio())},
        {{VideoWithAudio(), Out("a.xyz")},
         -3,
         QStringLiteral("cannot tell which audio format to write from the name %1: end it in .mp3, .wav or another "
                        "audio extension")
             .arg(Out("a.xyz"))},
        {{VideoWithAudio(), Out("absent/a.mp3")},
         -7,
         QStringLiteral("cannot write %1: No such file or directory").arg(Out("absent/a.mp3"))},
        {{VideoWithAudio(), Out("a.mp3"), "--codec", "pcm"},
         -8,
         QStringLiteral("cannot store audio of the chosen codec in %1: choose another codec or file extension")
             .arg(Out("a.mp3"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        const QStringList arguments = QStringList{QStringLiteral("extract")} + c.arguments;
        const Outcome plain = Run(arguments);
        EXPECT_EQ(plain.exitCode, 1);
        EXPECT_TRUE(plain.out.isEmpty());
        // One line and nothing else: the media libraries' own diagnostics stay quiet.
        EXPECT_EQ(plain.err, c.message + QLatin1Char('\n'));

        const Outcome json = Run(arguments + QStringList{QStringLiteral("--json")});
        EXPECT_EQ(json.exitCode, 1);
        const QJsonObject object = JsonOf(json);
        EXPECT_FALSE(object.value(QStringLiteral("ok")).toBool(true)) << json.out.toStdString();
        EXPECT_EQ(object.value(QStringLiteral("code")).toInt(), c.code);
        EXPECT_EQ(object.value(QStringLiteral("error")).toString(), c.message);
        EXPECT_EQ(json.err, c.message + QLatin1Char('\n'));
    }
    EXPECT_TRUE(LeftInOut().isEmpty()) << "no failure leaves a file, partial or whole: "
                                       << LeftInOut().join(QLatin1Char(' ')).toStdString();
}

TEST_F(ExtractCommand, TheMediaLibrariesSpeakOnlyWhenDebugOutputIsOn)
{
    const QStringList arguments{QStringLiteral("extract"), VideoWithAudio(), Out("a.xyz")};
    const Outcome quiet = Run(arguments);
    EXPECT_EQ(quiet.err.count(QLatin1Char('\n')), 1) << quiet.err.toStdString();
    const Outcome debug = Run(arguments, {QStringLiteral("QOV_DEBUG_OUTPUT=1")});
    EXPECT_EQ(debug.exitCode, 1);
    EXPECT_GT(debug.err.count(QLatin1Char('\n')), 1) << "the libraries' own words are there to debug with";
    EXPECT_TRUE(debug.err.endsWith(quiet.err));
}

TEST_F(ExtractCommand, SuccessAsJsonNamesTheResultAndItsLength)
{
    const Outcome outcome = Run({QStringLiteral("extract"), VideoWithAudio(), Out("part.wav"),
                                 QStringLiteral("--codec"), QStringLiteral("pcm"), QStringLiteral("--channels"),
                                 QStringLiteral("2"),
                                 QStringLiteral("--start"), QStringLiteral("2"), QStringLiteral("--end"),
                                 QStringLiteral("5"), QStringLiteral("--json")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.isEmpty());
    const QJsonObject object = JsonOf(outcome);
    EXPECT_TRUE(object.value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(object.value(QStringLiteral("command")).toString(), QStringLiteral("extract"));
    EXPECT_EQ(object.value(QStringLiteral("destination")).toString(), Out("part.wav"));
    EXPECT_EQ(object.value(QStringLiteral("channels")).toInt(), 2);
    EXPECT_EQ(object.value(QStringLiteral("codec")).toString(), QStringLiteral("pcm"));
    EXPECT_NEAR(object.value(QStringLiteral("seconds")).toDouble(), 3.0, 0.01);
    const Decoded decoded = Decode(Out("part.wav"));
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_NEAR(decoded.Seconds(), 3.0, 0.002);
    EXPECT_EQ(LeftInOut(), QStringList{QStringLiteral("part.wav")});
}

TEST_F(ExtractCommand, DurationFailsWithAMessageAndKeepsTheNumber)
{
    const QString missing = m_folders.Root() + QStringLiteral("/none.wav");
    struct Case
    {
        QString file;
        int exitCode;
        QString number;
        QString message;
    };
    const Case cases[] = {
        {SpeechFormatWav(), 0, QStringLiteral("4.000"), QString()},
        {missing, 1, QStringLiteral("-1.000"),
         QStringLiteral("cannot open %1: No such file or directory").arg(missing)},
        {VideoWithoutAudio(), 1, QStringLiteral("-2.000"),
         QStringLiteral("%1 has no audio stream").arg(VideoWithoutAudio())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const Outcome plain = Run({QStringLiteral("duration"), c.file});
        EXPECT_EQ(plain.exitCode, c.exitCode);
        EXPECT_EQ(plain.out, c.number + QLatin1Char('\n'));
        EXPECT_EQ(plain.err, c.message.isEmpty() ? QString() : c.message + QLatin1Char('\n'));

        const Outcome json = Run({QStringLiteral("duration"), c.file, QStringLiteral("--json")});
        EXPECT_EQ(json.exitCode, c.exitCode);
        const QJsonObject object = JsonOf(json);
        EXPECT_EQ(object.value(QStringLiteral("ok")).toBool(), c.exitCode == 0) << json.out.toStdString();
        EXPECT_EQ(object.value(QStringLiteral("path")).toString(), c.file);
        EXPECT_DOUBLE_EQ(object.value(QStringLiteral("seconds")).toDouble(), c.number.toDouble());
        EXPECT_EQ(object.value(QStringLiteral("error")).toString(), c.message);
    }
}

} // namespace
