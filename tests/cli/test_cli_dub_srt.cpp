#include "CliFixture.h"
#include "PtyProcess.h"

#include "mediakit/CaptionWriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

QString Time(double seconds)
{
    return CaptionWriter::FormatSrtTime(int32_t(seconds * 1000.0 + 0.5));
}

// Where sound begins after at least 0.3 s of silence, and at the very start; not the end of a
// silence that lasts to the end of the file.
std::vector<double> Onsets(const QString& path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-nostdin"), QStringLiteral("-i"), path,
                                            QStringLiteral("-af"), QStringLiteral("silencedetect=noise=-40dB:d=0.3"),
                                            QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
    ffmpeg.waitForFinished(60000);
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    std::vector<double> onsets;
    if (!log.contains(QRegularExpression(QStringLiteral("silence_start: 0(\\.0+)?\\s"))))
        onsets.push_back(0.0);
    auto ends = QRegularExpression(QStringLiteral("silence_end: ([0-9.]+)")).globalMatch(log);
    while (ends.hasNext())
        onsets.push_back(ends.next().captured(1).toDouble());
    if (!onsets.empty() && onsets.back() > Seconds(path) - 0.01)
        onsets.pop_back();
    return onsets;
}

class DubSrt : public CommandLine
{
protected:
    // captions: start, end (seconds) and text.
    QString WriteSrt(const std::vector<std::tuple<double, double, QString>>& captions)
    {
        QString text;
        int number = 0;
        for (const auto& [start, end, words] : captions)
            text += QStringLiteral("%1\n%2 --> %3\n%4\n\n").arg(++number).arg(Time(start), Time(end), words);
        const QString path = m_folders.Root() + QStringLiteral("/captions.srt");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
        return path;
    }
    QString Scratch() const { return m_folders.Root() + QStringLiteral("/tmp"); }
    QStringList Left() const
    {
        return QDir(Scratch()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) +
               QDir(m_folders.Work() + QStringLiteral("/AIAudio")).entryList(QDir::Files);
    }
    Outcome Dub(const QStringList& arguments)
    {
        QDir().mkpath(Scratch());
        return Run(QStringList{QStringLiteral("dub")} + arguments, {QStringLiteral("TMPDIR=") + Scratch()});
    }
};

TEST_F(DubSrt, SpeechStartsAtEachCaptionsStart)
{
    const double starts[] = {0.6, 3.5, 6.2};
    const QString srt = WriteSrt(
        {{starts[0], 2.5, "Good morning."}, {starts[1], 5.0, "The weather is fine."}, {starts[2], 9.0, "See you soon."}});
    const QString typed = QDir::current().relativeFilePath(srt);
    const Outcome outcome = Dub({"--srt", typed, "--format", "wav", "--jobs", "2", "--json"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QJsonObject result = JsonOf(outcome);
    const QString track = result.value(QStringLiteral("path")).toString();
    EXPECT_TRUE(track.startsWith(m_folders.Work() + QStringLiteral("/AIAudio/Audio"))) << track.toStdString();
    EXPECT_TRUE(result.value(QStringLiteral("run_on")).toArray().isEmpty());
    const std::vector<double> onsets = Onsets(track);
    ASSERT_EQ(onsets.size(), 3u) << ::testing::PrintToString(onsets) << " in " << track.toStdString();
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(onsets[i], starts[i], 0.15) << "caption " << i + 1;
    EXPECT_NEAR(Seconds(track), 9.0, 0.1) << "the track runs to the last caption's end";
    EXPECT_EQ(LoggedFiles(QStringLiteral("dubbing")), QStringList{track}) << "the history shows the track alone";
    EXPECT_TRUE(Run({"history", "dubbing"}).out.contains('\t' + srt + '\t')) << "and the source's whole path";
    QFile::remove(track);
    EXPECT_TRUE(Left().isEmpty()) << Left().join(QLatin1Char(' ')).toStdString();
}

TEST_F(DubSrt, SpeechLongerThanItsSlotPlaysFasterUpToOneAndAHalfTimes)
{
    const QString text = QStringLiteral("This sentence takes a few seconds to say out loud.");
    const Outcome alone = Run({"dub", text, "--format", "wav"});
    ASSERT_EQ(alone.exitCode, 0) << alone.err.toStdString();
    const double spoken = Seconds(alone.out.trimmed());
    ASSERT_GT(spoken, 2.0);
    // The caption starts at 1 s; the slot is its own, as the last caption's.
    struct Case
    {
        double slot;   // in speech lengths
        double length; // the track's, after the start, in speech lengths
        bool runsOn;
    };
    const Case cases[] = {{1.25, 1.25, false}, {1.0 / 1.3, 1.0 / 1.3, false}, {0.5, 1.0 / 1.5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        const QString srt = WriteSrt({{1.0, 1.0 + c.slot * spoken, text}});
        const QString output = m_folders.Root() + QStringLiteral("/track.wav");
        const Outcome outcome = Dub({"--srt", srt, "--output", output});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
        const QStringList lines = outcome.out.trimmed().split(QLatin1Char('\n'));
        EXPECT_EQ(lines.last(), output) << "the path goes last; a WAV by --output's name";
        EXPECT_EQ(lines.size() == 2 && lines.first().startsWith(QStringLiteral("caption 1 runs on")), c.runsOn);
        EXPECT_NEAR(Seconds(output), 1.0 + c.length * spoken, 0.1);
        QFile::remove(output);
    }
}

TEST_F(DubSrt, ACaptionThatCannotBeSpokenFailsTheCommandAndLeavesNothing)
{
    const QString longText = QStringLiteral("今天的天气很好，我们一起去公园散步。").repeated(29); // 522 characters
    // The long caption goes to the long-text service, which refuses every task.
    SetFault("tts-create", R"({"status":503})");
    const QString srt = WriteSrt({{0.5, 2.0, "One."}, {2.5, 60.0, longText}, {61.0, 62.0, "Three."}});
    const Outcome outcome = Dub({QStringLiteral("--srt"), srt});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("caption 2: "))) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.isEmpty());
    EXPECT_TRUE(Left().isEmpty()) << Left().join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(LoggedFiles(QStringLiteral("dubbing")).isEmpty());

    const Outcome noFolder = Dub({"--srt", srt, "--output", m_folders.Root() + "/no/out.mp3"});
    EXPECT_TRUE(noFolder.err.contains("/no/out.mp3: its folder does not exist")) << noFolder.err.toStdString();

    const Outcome missing = Dub({"--srt", m_folders.Root() + "/none.srt"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("none.srt"))) << missing.err.toStdString();

    QFile unsure(m_folders.Root() + QStringLiteral("/unsure.srt"));
    ASSERT_TRUE(unsure.open(QIODevice::WriteOnly));
    unsure.write("1\r\n00:00:01,000 --> 00:00:02,000\r\ncaf\xFF\xFE\x80\x81\r\n");
    unsure.close();
    const Outcome refused = Dub({"--srt", unsure.fileName()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("cannot be told for sure; name it with --encoding")) << refused.err.toStdString();
    EXPECT_TRUE(LoggedFiles(QStringLiteral("dubbing")).isEmpty());
}

TEST_F(DubSrt, ACaptionMoreThanAnHourAfterTheOneBeforeItIsNamed)
{
    const QString srt = WriteSrt({{0.5, 2.0, "One."}, {3602.5, 3604.0, "Two."}});
    const QString output = m_folders.Root() + QStringLiteral("/track.wav");
    const Outcome outcome = Dub({"--srt", srt, "--output", output});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(Lines(outcome.err), QStringList{"caption 2 begins 1:00:00 after the caption before it ends, and the "
                                              "track is silent in between"});
    EXPECT_NEAR(Seconds(output), 3604.0, 0.1);
    QFile::remove(output);
}

TEST_F(DubSrt, CtrlCStopsTheRequestsAndLeavesNothing)
{
    SetFault("tts-short", R"({"delay_ms":600000})");
    const QString srt = WriteSrt({{0.5, 2.0, "One."}, {2.5, 4.0, "Two."}});
    QDir().mkpath(Scratch());
    PtyProcess process(QOVAIGC_BIN, WithFolders({"dub", "--srt", srt}), Environment() << "TMPDIR=" + Scratch());
    ASSERT_TRUE(process.Started());
    EXPECT_TRUE(process.WaitFor("speaking 1, 2", 60s)) << process.Output().toStdString();
    process.TypeInterrupt();
    EXPECT_EQ(process.Finish(60s), 130) << process.Output().toStdString();
    EXPECT_TRUE(Left().isEmpty()) << Left().join(QLatin1Char(' ')).toStdString();
}

} // namespace
