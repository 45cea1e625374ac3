#include "MediaFixtures.h"

#include "host/QOVVideoTool.h"
#include "subtitles/AudioTranscode.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <vector>

namespace {

using namespace MediaFixtures;

struct Format
{
    int codec = 1; // MP3
    int channels = 0;
    int rate = 0;
    int bits = 0;
};

int Extract(const QString& source, const QString& destination, int start, int end, Format format = {})
{
    const FFAPI::emACodec codec = FFAPI::emACodec(format.codec);
    const FFAPI::emAChannel channels = FFAPI::emAChannel(format.channels);
    const FFAPI::emASampleRate rate = FFAPI::emASampleRate(format.rate);
    const FFAPI::emASampleBit bits = FFAPI::emASampleBit(format.bits);
    return VideoTranscodeAudio(source, destination, start, end, codec, channels, rate, bits);
}

QString Out(const char* name)
{
    QDir().mkpath(Folder() + QStringLiteral("/out"));
    return Folder() + QStringLiteral("/out/") + QString::fromUtf8(name);
}

struct OutputCase
{
    const char* name;
    int start;
    int end;
    Format format;
    const char* codec;
    int rate;
    int channels;
    double seconds;
    double tolerance;
};

TEST(AudioExtraction, OutputsHaveTheRequestedFormatAndRange)
{
    const OutputCase cases[] = {
        {"whole.mp3", 0, 0, {1, 0, 0, 0}, "mp3float", 16000, 1, 10.0, 0.1},
        {"first3.mp3", 0, 3, {1, 0, 0, 0}, "mp3float", 16000, 1, 3.0, 0.1},
        {"from7.mp3", 7, 0, {1, 0, 0, 0}, "mp3float", 16000, 1, 3.0, 0.1},
        {"提取 音频.wav", 2, 5, {0, 0, 0, 0}, "pcm_s16le", 16000, 1, 3.0, 0.002},
        {"stereo8k.wav", 0, 0, {0, 1, 1, 0}, "pcm_s16le", 8000, 2, 10.0, 0.02},
        {"stereo8k.mp3", 1, 4, {1, 1, 1, 0}, "mp3float", 8000, 2, 3.0, 0.15},
        {"eightbit.wav", 0, 0, {0, 0, 0, 1}, "pcm_u8", 16000, 1, 10.0, 0.02},
    };
    // Chinese names, with blanks, for the source and one result.
    const QString source = Out("原始 视频.mp4");
    ASSERT_TRUE(QFile::exists(source) || QFile::copy(VideoWithAudio(), source));
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString destination = Out(c.name);
        ASSERT_EQ(Extract(source, destination, c.start, c.end, c.format), TRANSCODE_OK);
        const Decoded decoded = Decode(destination);
        ASSERT_TRUE(decoded.ok);
        EXPECT_EQ(decoded.codec, QString::fromLatin1(c.codec));
        EXPECT_EQ(decoded.sampleRate, c.rate);
        EXPECT_EQ(decoded.channels, c.channels);
        EXPECT_NEAR(decoded.Seconds(), c.seconds, c.tolerance);
    }
}

struct FailureCase
{
    const char* name;
    QString source;
    QString destination;
    int start;
    int end;
    int codec;
    int expected;
};

TEST(AudioExtraction, FailuresReturnTheirCodesAndLeaveNoFile)
{
    const QString missing = Folder() + QStringLiteral("/no-such-file.mp4");
    const FailureCase cases[] = {
        {"range checked before opening", missing, Out("a.mp3"), 5, 3, 1, TRANSCODE_BAD_RANGE},
        {"empty range", VideoWithAudio(), Out("b.mp3"), 5, 5, 1, TRANSCODE_BAD_RANGE},
        {"missing source", missing, Out("c.mp3"), 0, 0, 1, TRANSCODE_CANNOT_OPEN_SOURCE},
        {"no audio", VideoWithoutAudio(), Out("d.mp3"), 0, 0, 1, TRANSCODE_NO_AUDIO},
        {"unknown container", VideoWithAudio(), Out("e.nosuchformat"), 0, 0, 1, TRANSCODE_NO_CONTAINER},
        {"missing folder", VideoWithAudio(), Folder() + QStringLiteral("/absent/f.mp3"), 0, 0, 1,
         TRANSCODE_CANNOT_OPEN_DESTINATION},
        {"codec the container refuses", VideoWithAudio(), Out("g.mp3"), 0, 0, 0, TRANSCODE_NO_HEADER},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Extract(c.source, c.destination, c.start, c.end, Format{c.codec, 0, 0, 0}), c.expected);
        EXPECT_FALSE(QFile::exists(c.destination));
    }
    const QStringList leftovers = QDir(Folder() + QStringLiteral("/out")).entryList(QDir::Files | QDir::Hidden);
    EXPECT_TRUE(leftovers.isEmpty()) << leftovers.join(QLatin1Char(' ')).toStdString();

    // A failed run keeps an earlier file of the same name.
    ASSERT_TRUE(WriteBytes(Out("keep.mp3"), "earlier result"));
    EXPECT_EQ(Extract(VideoWithAudio(), Out("keep.mp3"), 0, 0, Format{0, 0, 0, 0}), TRANSCODE_NO_HEADER);
    EXPECT_EQ(ReadBytes(Out("keep.mp3")), QByteArray("earlier result"));
}

std::atomic<int> g_hostLines{0};

// A host that uses the media libraries itself keeps its own log callback and level: what it logs
// after an extraction still reaches it.
TEST(AudioExtraction, TheHostsMediaLogStaysTheHosts)
{
    av_log_set_callback([](void*, int, const char*, va_list) { ++g_hostLines; });
    av_log_set_level(AV_LOG_WARNING);
    EXPECT_EQ(Extract(VideoWithoutAudio(), Out("h.mp3"), 0, 0), TRANSCODE_NO_AUDIO);
    g_hostLines = 0;
    av_log(nullptr, AV_LOG_ERROR, "the host's own line\n");
    EXPECT_EQ(g_hostLines, 1);
    EXPECT_EQ(av_log_get_level(), AV_LOG_WARNING);
    av_log_set_callback(av_log_default_callback);
}

TEST(AudioExtraction, AudioAlreadyInTheOutputFormatPassesUnchanged)
{
    const QString destination = Out("copy.wav");
    ASSERT_EQ(Extract(SpeechFormatWav(), destination, 0, 0, Format{0, 0, 0, 0}), TRANSCODE_OK);
    const QByteArray samples = ReadBytes(SpeechFormatWav()).right(4 * 16000 * 2);
    EXPECT_EQ(ReadBytes(destination).right(samples.size()), samples) << "no resampling touched the samples";
    EXPECT_EQ(Decode(destination).samples, 4 * 16000);
}

TEST(AudioDuration, ReportsTheFirstAudioStream)
{
    // A missing file, one without audio and the 4-second WAV are the duration command's cases.
    EXPECT_NEAR(GetAudioDuration(SilentWav().toUtf8().constData()), 2.0, 0.001);
    EXPECT_NEAR(GetAudioDuration(VideoWithAudio().toUtf8().constData()), 10.0, 0.05);
    const QString mp3 = Out("duration.mp3");
    ASSERT_EQ(Extract(SpeechFormatWav(), mp3, 0, 0), TRANSCODE_OK);
    // An MP3 container declares the encoder's delay and last-frame padding as well.
    EXPECT_NEAR(GetAudioDuration(mp3.toUtf8().constData()), 4.0, 0.15);
}

TEST(EditorExtractor, WritesTheWholeTrackOrAsksForTheFallback)
{
    // The task's own MP3 is checked where a video task extracts it; here the WAV the name asks for.
    const QString wav = Out("editor.wav");
    ASSERT_EQ(SaveAudioFromMediaFile(wav, VideoWithAudio(), 1, 16000, 1, 0, 0), 0);
    const Decoded decoded = Decode(wav);
    EXPECT_EQ(decoded.codec, QStringLiteral("pcm_s16le"));
    EXPECT_NEAR(decoded.Seconds(), 10.0, 0.05);

    EXPECT_EQ(SaveAudioFromMediaFile(Out("x.mp3"), VideoWithoutAudio(), 1, 16000, 1, 0, 0), -1);
    EXPECT_EQ(SaveAudioFromMediaFile(Out("y.mp3"), Folder() + QStringLiteral("/none.mp4"), 1, 16000, 1, 0, 0), -1);
    EXPECT_LT(SaveAudioFromMediaFile(Folder() + QStringLiteral("/absent/z.mp3"), VideoWithAudio(), 1, 16000, 1, 0, 0),
              -1);
}

// A stop reaches the editor's extractor while it still probes the file, not only once it converts.
TEST(EditorExtractor, AStopReachesAProbeThatHangs)
{
    QTemporaryDir programs;
    ASSERT_TRUE(programs.isValid());
    const QString probe = programs.filePath(QStringLiteral("ffprobe"));
    ASSERT_TRUE(WriteBytes(probe, "#!/bin/sh\nexec sleep 30\n"));
    ASSERT_TRUE(QFile::setPermissions(probe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", programs.path().toUtf8() + ':' + path);
    std::atomic<int> looks{0};
    const int result = SaveAudioFromMediaFile(Out("stopped.mp3"), VideoWithAudio(), 1, 16000, 1, 0, 0,
                                              [&looks] { return ++looks >= 2; });
    qputenv("PATH", path);
    EXPECT_EQ(result, -4) << "the probe ran to its end before the stop was looked at";
    EXPECT_FALSE(QFile::exists(Out("stopped.mp3")));
}

// The range's progress; a stopped extraction and the reasons a file failed are the extract
// command's to show.
TEST(AudioExtraction, AWatchFollowsTheRangeFromItsStartToItsLength)
{
    std::vector<std::pair<double, double>> reports;
    AudioTranscodeWatch follow;
    follow.progress = [&reports](double done, double total) { reports.emplace_back(done, total); };
    ASSERT_EQ(WatchedTranscodeAudio(VideoWithAudio(), Out("range.wav"), 2, 7, FFAPI::ACODEC_PCM_S16LE,
                                    FFAPI::ACHANNEL_MONO, FFAPI::ASAMPLERATE_16000, FFAPI::ASAMPLEBIT_S16, follow),
              TRANSCODE_OK);
    ASSERT_GE(reports.size(), 3u);
    EXPECT_EQ(reports.front().first, 0.0);
    for (size_t i = 1; i < reports.size(); ++i) {
        EXPECT_GE(reports[i].first, reports[i - 1].first) << i;
        EXPECT_DOUBLE_EQ(reports[i].second, 5.0) << "the range's length, not the file's";
    }
    EXPECT_DOUBLE_EQ(reports.back().first, 5.0);
}

} // namespace
