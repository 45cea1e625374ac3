// qovaigc mux read back with the ffmpeg programs: the picture copied packet for packet, subtitle
// streams as each container holds them, captions drawn only where captions go, the original
// lowered while the track speaks, the loudness asked for, and failures and Ctrl-C leaving nothing.
#include "CliFixture.h"

#include "MediaFixtures.h"
#include "PtyProcess.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <vector>

namespace {

using namespace std::chrono_literals;

QString Program(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, QStringList{"-v", "error"} + arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

QByteArray Raw(const QStringList& arguments)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-nostdin", "-v", "error"} + arguments + QStringList{"-"});
    EXPECT_TRUE(ffmpeg.waitForFinished(120000));
    return ffmpeg.readAllStandardOutput();
}

// Level (dB) of one frequency over [from, to) seconds of mono samples at 48000 Hz.
double Level(const std::vector<float>& samples, double from, double to, double frequency)
{
    const double coefficient = 2.0 * std::cos(2.0 * M_PI * frequency / 48000.0);
    double previous = 0.0;
    double before = 0.0;
    const size_t first = size_t(from * 48000);
    const size_t last = size_t(to * 48000);
    for (size_t i = first; i < last; ++i) {
        const double next = samples[i] + coefficient * previous - before;
        before = previous;
        previous = next;
    }
    const double power = previous * previous + before * before - coefficient * previous * before;
    return 10.0 * std::log10(power / double((last - first) * (last - first)) + 1e-20);
}

class MuxCommand : public CommandLine
{
protected:
    void SetUp() override
    {
        CommandLine::SetUp();
        ASSERT_TRUE(QDir().mkpath(Dir()));
    }
    QString Dir() const { return m_folders.Root() + "/media"; }
    QString At(const QString& name) const { return Dir() + '/' + name; }

    // The ffmpeg program's arguments, split at blanks, ending in the file's name under Dir().
    QString Make(const QString& name, const QString& arguments)
    {
        bool ok = false;
        const QString said = MediaFixtures::RunFfmpeg(arguments.split(' ') + QStringList{At(name)}, &ok);
        EXPECT_TRUE(ok) << said.toStdString();
        return At(name);
    }
    // A clock of 10 gives the file a clock that starts at 10 s, as a broadcast recording's does.
    QString Video(const QString& name, int seconds = 6, int clock = 0)
    {
        return Make(name, QString("-f lavfi -i smptebars=size=320x240:rate=25:duration=%1 -f lavfi "
                                  "-i sine=f=440:duration=%1 -vf setsar=4/3 -c:v libx264 -preset ultrafast "
                                  "-pix_fmt yuv420p -c:a aac -shortest -output_ts_offset %2")
                              .arg(seconds)
                              .arg(clock));
    }
    QString Srt(const QString& name)
    {
        WriteBytes(At(name), "1\n00:00:01,000 --> 00:00:02,500\n你好 hello\n\n2\n00:00:03,000 --> 00:00:04,000\nBye\n");
        return At(name);
    }
    // Mono samples at 48000 Hz of a file's sound.
    std::vector<float> Samples(const QString& path)
    {
        const QByteArray raw = Raw({"-i", path, "-map", "0:a", "-ac", "1", "-ar", "48000", "-f", "f32le"});
        std::vector<float> samples(size_t(raw.size()) / sizeof(float));
        std::memcpy(samples.data(), raw.constData(), samples.size() * sizeof(float));
        return samples;
    }
    // Draws burn.srt on video into burned and checks where the picture changed.
    void BurnedAt(const QString& video, const QString& burned, QSize size = QSize(320, 240));
    // A grey picture of path at second t.
    QByteArray Frame(const QString& path, double t)
    {
        // Decoded from the start: a broadcast recording has too few key frames to seek to.
        return Raw({"-i", path, "-ss", QString::number(t), "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gray"});
    }
};

TEST_F(MuxCommand, PictureCopiedAndSubtitleStreamsAsEachContainerHoldsThem)
{
    const QString spanish = Srt("film.es.srt");
    const QString ass = At("film.ass");
    WriteBytes(ass, "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\nFormat: Name, Fontname, Fontsize\n"
                    "Style: Default,Arial,20\n\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, "
                    "MarginR, MarginV, Effect, Text\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Hallo\n");
    const struct
    {
        QString extension;
        QString codecs; // of the subtitle streams
    } cases[] = {{"mp4", "mov_text,mov_text"}, {"mkv", "subrip,ass"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension.toStdString());
        const QString video = Video("film." + c.extension);
        const Outcome outcome = Run({"mux", video, "--subtitles", spanish, "--subtitles", ass + ":de"});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
        const QString output = At("film.dubbed." + c.extension);
        EXPECT_EQ(Lines(outcome.out).last(), output);
        const QStringList copied = {"-map", "0:v", "-c", "copy", "-f", "md5", "-"};
        EXPECT_EQ(Program("ffmpeg", QStringList{"-i", output} + copied), Program("ffmpeg", QStringList{"-i", video} + copied));
        const QString streams = Program("ffprobe", {"-select_streams", "s", "-show_entries",
                                                    "stream=codec_name:stream_tags=language:stream_disposition=default",
                                                    "-of", "csv=p=0", output});
        EXPECT_EQ(streams.split('\n', Qt::SkipEmptyParts),
                  (QStringList{c.codecs.section(',', 0, 0) + ",1,spa", c.codecs.section(',', 1, 1) + ",0,ger"}));
        // MP4 fills the gaps between cues with empty samples (two bytes of length): those are no cues.
        for (const auto& [stream, cues] : {std::pair{"s:0", 2}, std::pair{"s:1", 1}}) {
            const QStringList sizes = Program("ffprobe", {"-select_streams", stream, "-show_entries", "packet=size",
                                                          "-of", "csv=p=0", output})
                                          .split('\n', Qt::SkipEmptyParts);
            EXPECT_EQ(std::count_if(sizes.begin(), sizes.end(), [](const QString& size) { return size.toInt() > 2; }),
                      cues)
                << stream;
        }
    }
}

TEST_F(MuxCommand, TheVideosOwnSubtitlesStayAfterTheAddedOnesWhereTheContainerHoldsThem)
{
    WriteBytes(At("own.srt"), "1\n00:00:00,500 --> 00:00:01,000\nOwn\n\n2\n00:00:02,000 --> 00:00:02,500\nTwo\n\n"
                              "3\n00:00:03,000 --> 00:00:03,500\nThree\n");
    const QString video = Make("own.mkv", "-i " + Video("own-picture.mp4") + " -i " + At("own.srt") +
                                              " -map 0 -map 1 -c copy -c:s srt -metadata:s:s:0 language=eng");
    const QString added = Srt("own.es.srt");
    const QString mkv = At("own-out.mkv");
    Outcome outcome = Run({"mux", video, "--subtitles", added, "--output", mkv});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(Program("ffprobe", {"-select_streams", "s", "-show_entries",
                                  "stream=codec_name:stream_tags=language:stream_disposition=default", "-of",
                                  "csv=p=0", mkv})
                  .split('\n', Qt::SkipEmptyParts),
              (QStringList{"subrip,1,spa", "subrip,0,eng"}));
    EXPECT_EQ(QString::fromUtf8(Raw({"-i", mkv, "-map", "0:s:1", "-f", "srt"})).count("-->"), 3);
    // MP4 holds no SRT stream: it is named and left out, and the rest is written.
    const QString mp4 = At("own-out.mp4");
    outcome = Run({"mux", video, "--subtitles", added, "--output", mp4});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(Lines(outcome.err), QStringList{"the video's subtitle stream 2 (subrip) cannot go into a mp4 file and is left out"});
    EXPECT_EQ(Program("ffprobe", {"-select_streams", "s", "-show_entries", "stream=codec_name", "-of", "csv=p=0", mp4})
                  .trimmed(),
              "mov_text");
}

TEST_F(MuxCommand, OverlappingCuesKeepTheirTimesInMp4)
{
    // MP4 shows one caption at a time: overlapping cues used to push each later one further on.
    // (Read back, a line break in MP4's captions is a carriage return and a line feed.)
    WriteBytes(At("overlap.srt"), "1\n00:00:01,000 --> 00:00:03,000\nfirst\n\n2\n00:00:02,000 --> 00:00:04,000\n"
                                  "second\n\n3\n00:00:00,500 --> 00:00:01,500\nearlier\n");
    const QString output = At("overlap.mp4");
    const Outcome outcome = Run({"mux", Video("overlap-video.mp4"), "--subtitles", At("overlap.srt"), "--output", output});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(Raw({"-i", output, "-map", "0:s", "-f", "srt"})),
              "1\n00:00:00,500 --> 00:00:01,000\nearlier\n\n"
              "2\n00:00:01,000 --> 00:00:01,500\nearlier\r\nfirst\n\n"
              "3\n00:00:01,500 --> 00:00:02,000\nfirst\n\n"
              "4\n00:00:02,000 --> 00:00:03,000\nfirst\r\nsecond\n\n"
              "5\n00:00:03,000 --> 00:00:04,000\nsecond\n\n");
}

TEST_F(MuxCommand, BurnedCaptionsChangeTheCaptionRegionOnlyWhileTheyShow)
{
    // Captions count from the start of the sound, whatever the source's clock reads there.
    for (const auto& [name, clock] : {std::pair{"burn.mp4", 0}, std::pair{"burn.ts", 10}}) {
        SCOPED_TRACE(name);
        BurnedAt(Video(name, 6, clock), At(QString(name) + ".mkv"));
    }
}

TEST_F(MuxCommand, APhonesPictureStoredOnItsSideIsShownUpright)
{
    const QString phone = Make("phone.mp4", "-i " + Video("lying.mp4") + " -c copy -metadata:s:v:0 rotate=90");
    const auto turn = [&](const QString& path) {
        return Program("ffprobe", {"-select_streams", "v", "-show_entries", "stream_side_data=rotation", "-of",
                                   "csv=p=0", path})
            .trimmed();
    };
    ASSERT_FALSE(turn(phone).isEmpty());
    // Copied, the picture keeps the turn players give it.
    const Outcome copied = Run({"mux", phone, "--audio", Make("phone.wav", "-f lavfi -i sine=duration=6"),
                                "--output", At("copied.mp4")});
    ASSERT_EQ(copied.exitCode, 0) << copied.err.toStdString();
    EXPECT_EQ(turn(At("copied.mp4")), turn(phone));
    // Drawn, it is turned first, so the captions lie along its bottom as it is watched.
    BurnedAt(phone, At("phone-burned.mp4"), QSize(240, 320));
    EXPECT_EQ(turn(At("phone-burned.mp4")), "");
}

TEST_F(MuxCommand, ASourceClockNotStartingAtZeroKeepsTheTrackAndCaptionsWithThePicture)
{
    const QString video = Video("clock.ts", 6, 10);
    const QString track = Make("clock.wav", "-f lavfi -i sine=f=1000:duration=6");
    for (const QString extension : {"mp4", "mkv"}) {
        SCOPED_TRACE(extension.toStdString());
        const QString output = At("clock." + extension);
        const Outcome outcome =
            Run({"mux", video, "--audio", track, "--subtitles", Srt("clock.srt") + ":en", "--output", output});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
        const QStringList starts = Program("ffprobe", {"-show_entries", "stream=start_time", "-of", "csv=p=0", output})
                                       .split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(starts.size(), 3);
        for (const QString& start : starts)
            EXPECT_LT(std::abs(start.toDouble()), 0.1) << start.toStdString();
    }
}

void MuxCommand::BurnedAt(const QString& video, const QString& burned, QSize size)
{
    const Outcome outcome = Run({"mux", video, "--burn", Srt("burn.srt"), "--output", burned});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(Program("ffprobe", {"-select_streams", "v", "-show_entries",
                                  "stream=codec_name,width,height,sample_aspect_ratio,avg_frame_rate", "-of", "csv=p=0",
                                  burned})
                  .trimmed(),
              QString("h264,%1,%2,%3,25/1").arg(size.width()).arg(size.height()).arg(size.width() > 300 ? "4:3" : "3:4"));
    const int pixels = size.width() * size.height();
    const int top = size.width() * size.height() * 3 / 4;
    // Pixels changed by far more than encoding changes them, in the top three quarters and in the
    // bottom quarter where captions go.
    const auto changed = [&](double t) {
        const QByteArray before = Frame(video, t);
        const QByteArray after = Frame(burned, t);
        EXPECT_EQ(before.size(), pixels);
        EXPECT_EQ(after.size(), before.size());
        std::pair<int, int> counts{0, 0};
        for (int i = 0; i < std::min(before.size(), after.size()); ++i) {
            if (std::abs(int(uchar(before[i])) - int(uchar(after[i]))) > 48)
                ++(i < top ? counts.first : counts.second);
        }
        return counts;
    };
    for (const double t : {0.5, 1.5, 2.7, 3.5, 5.0}) {
        const bool showing = (t > 1.0 && t < 2.5) || (t > 3.0 && t < 4.0);
        const auto [top, bottom] = changed(t);
        EXPECT_LT(top, 10) << t;
        if (showing)
            EXPECT_GT(bottom, 40) << t;
        else
            EXPECT_LT(bottom, 10) << t;
    }
}

TEST_F(MuxCommand, DuckingLowersTheOriginalWhileTheTrackSpeaksAndCutsItAtTheEnd)
{
    const QString video = Video("tone.mp4");
    // Bursts of 1000 Hz (-4 dBFS) a second long, a second apart, over a noise floor louder than silence
    // (about -40 dBFS), running 2 s past the picture. This noise has 10 ms peaks above the speech
    // threshold between the bursts; they must not duck the original.
    const QString track = Make("speech.wav", "-f lavfi -i sine=f=1000:duration=8 -f lavfi "
                                             "-i anoisesrc=color=pink:amplitude=0.05:duration=8:seed=24 "
                                             "-filter_complex "
                                             "[0]volume='if(lt(mod(t,2),1),7,0)':eval=frame[s];"
                                             "[s][1]amix=inputs=2:normalize=0");
    const Outcome outcome = Run({"mux", video, "--audio", track});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(Lines(outcome.err), QStringList{track + " runs on past the end of the picture and is cut there"});
    const std::vector<float> samples = Samples(At("tone.dubbed.mp4"));
    ASSERT_NEAR(double(samples.size()) / 48000.0, 6.0, 0.05);
    for (int second = 0; second < 6; second += 2) {
        SCOPED_TRACE(second);
        const double speaking = Level(samples, second + 0.3, second + 0.8, 440.0);
        const double between = Level(samples, second + 1.4, second + 1.9, 440.0);
        EXPECT_LE(speaking, between - 10.0);
        EXPECT_GT(Level(samples, second + 0.3, second + 0.8, 1000.0), between - 20.0);
    }
}

TEST_F(MuxCommand, LoudnessLandsWithinOneLuWithPeaksBelowTheCeiling)
{
    const QString video = Video("quiet.mkv");
    const QString track = Make("voice.wav", "-f lavfi -i sine=f=300:duration=5 -af volume=0.05");
    for (const QString mix : {"replace", "add"}) {
        SCOPED_TRACE(mix.toStdString());
        const QString output = At("loud-" + mix + ".mkv");
        const Outcome outcome = Run({"mux", video, "--audio", track, "--mix", mix, "--loudness", "-16", "--output", output});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
        QProcess meter;
        meter.start("ffmpeg", {"-nostdin", "-hide_banner", "-nostats", "-i", output, "-map", "0:a", "-af",
                               "ebur128=peak=true", "-f", "null", "-"});
        ASSERT_TRUE(meter.waitForFinished(60000));
        const QString summary = QString::fromUtf8(meter.readAllStandardError()).section("Summary:", 1);
        const QRegularExpressionMatch integrated = QRegularExpression(R"(I:\s+(-?[\d.]+) LUFS)").match(summary);
        const QRegularExpressionMatch peak = QRegularExpression(R"(Peak:\s+(-?[\d.]+) dBFS)").match(summary);
        ASSERT_TRUE(integrated.hasMatch() && peak.hasMatch()) << summary.toStdString();
        EXPECT_NEAR(integrated.captured(1).toDouble(), -16.0, 1.0);
        EXPECT_LE(peak.captured(1).toDouble(), -1.0);
    }
}

TEST_F(MuxCommand, FailuresSayWhyAndLeaveNothing)
{
    const QString video = Video("good.mp4");
    const QString sound = Make("sound.wav", "-f lavfi -i sine=duration=1");
    const QString notes = At("notes.srt");
    WriteBytes(notes, "just some words\n");
    const QString vtt = At("notes.vtt");
    WriteBytes(vtt, "these are not captions\n");
    const struct
    {
        QStringList arguments; // after "mux"
        QString message;
    } cases[] = {
        {{sound}, sound + " has no picture"},
        {{notes}, "could not read " + notes + ": Invalid data found when processing input"},
        {{video, "--subtitles", notes},
         notes + " is not subtitles: it holds no cue with times such as \"00:00:01,000 --> 00:00:02,500\""},
        {{video, "--subtitles", vtt}, vtt + " is not subtitles: it does not begin as a WebVTT file does"},
        {{video, "--burn", vtt}, vtt + " is not subtitles: it does not begin as a WebVTT file does"},
    };
    const QStringList before = FilesIn(Dir());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        const Outcome outcome = Run(QStringList{"mux"} + c.arguments);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.err, c.message + '\n');
        EXPECT_EQ(FilesIn(Dir()), before);
    }
}

TEST_F(MuxCommand, CtrlCStopsTheMuxAndLeavesNothing)
{
    const QString video = Video("long.mp4", 120);
    const QString captions = Srt("long.srt");
    const QStringList before = FilesIn(Dir());
    PtyProcess process(QOVAIGC_BIN, WithFolders({"mux", video, "--burn", captions}), Environment());
    ASSERT_TRUE(process.Started());
    EXPECT_TRUE(process.WaitFor("%", 60s)) << process.Output().toStdString();
    process.TypeInterrupt();
    EXPECT_EQ(process.Finish(60s), 130) << process.Output().toStdString();
    EXPECT_EQ(FilesIn(Dir()), before);
}

TEST_F(MuxCommand, AFileUnderTheResultsNameIsNeverWrittenOverNorLeftUnfinished)
{
    const QString video = Video("kept.mp4", 120);
    const QString captions = Srt("kept.srt");
    const QStringList before = FilesIn(Dir());
    // Killed, a run leaves nothing under a name that looks finished: only its hidden file.
    {
        PtyProcess process(QOVAIGC_BIN, WithFolders({"mux", video, "--burn", captions}), Environment());
        ASSERT_TRUE(process.Started());
        EXPECT_TRUE(process.WaitFor("%", 60s)) << process.Output().toStdString();
        process.Kill();
        EXPECT_EQ(process.Finish(60s), 1000 + SIGKILL);
        for (const QString& name : FilesIn(Dir()))
            EXPECT_TRUE(before.contains(name) || name.startsWith('.')) << name.toStdString();
        EXPECT_EQ(FilesIn(Dir()).filter(QRegularExpression("^\\.")).size(), 1);
    }
    // The user's file that takes the name while a run is writing keeps it.
    PtyProcess process(QOVAIGC_BIN, WithFolders({"mux", video, "--audio", Make("kept.wav", "-f lavfi -i sine=duration=9")}),
                       Environment());
    ASSERT_TRUE(process.Started());
    EXPECT_TRUE(process.WaitFor("%", 60s)) << process.Output().toStdString();
    WriteBytes(At("kept.dubbed.mp4"), "the user's own");
    EXPECT_EQ(process.Finish(60s), 0) << process.Output().toStdString();
    EXPECT_EQ(ReadBytes(At("kept.dubbed.mp4")), "the user's own");
    EXPECT_TRUE(process.Output().trimmed().endsWith(At("kept.dubbed_2.mp4").toUtf8())) << process.Output().toStdString();
    // The killed run's hidden file went with the next run.
    EXPECT_EQ(FilesIn(Dir()).filter(QRegularExpression("^\\.")), QStringList());
}

} // namespace
