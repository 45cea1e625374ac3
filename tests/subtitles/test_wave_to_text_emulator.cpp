#include "AudioEncoder.h"
#include "EmulatorServer.h"
#include "GeneratedSpeech.h"
#include "ProgressReports.h"
#include "SignatureCheck.h"
#include "subtitles/CWaveToText.h"
#include "subtitles/WttParams.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kAppId = "qovlocal";
const char* const kKey = "qov-local-transcription-key";

// One emulator for the whole process, since the settings that point at it are read once.
class TranscriptionAgainstEmulator : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        EmulatorOptions options;
        options.recognitionStepMs = 50;
        s_server = std::make_unique<EmulatorServer>(options);
        const int port = s_server->Start();
        ASSERT_GT(port, 0);
        s_folders = std::make_unique<ScratchFolders>();
        TestEnvironment::WriteSettings(s_folders->App(),
                                       QStringLiteral("[FileTranscription]\nURL=http://127.0.0.1:%1/api\n").arg(port));
    }

    static void TearDownTestSuite()
    {
        s_server->Stop();
        s_server.reset();
        s_folders.reset();
    }

    static QString Work(const char* name) { return s_folders->Work() + QLatin1Char('/') + QString::fromUtf8(name); }

    // Two spoken sentences as an MP3 file; speech, when given, learns where they lie.
    static QString Recording(const char* name, GeneratedSpeech* speech = nullptr)
    {
        const GeneratedSpeech made = GeneratedSpeech::Make({"今天天气很好", "我们明天见"}, {500, 900, 500});
        const QString path = Work(name);
        std::ofstream(path.toStdString(), std::ios::binary) << AudioEncoder::Encode(made.pcm, SpeechFormat::Mp3);
        if (speech)
            *speech = made;
        return path;
    }

    static std::unique_ptr<EmulatorServer> s_server;
    static std::unique_ptr<ScratchFolders> s_folders;
};

std::unique_ptr<EmulatorServer> TranscriptionAgainstEmulator::s_server;
std::unique_ptr<ScratchFolders> TranscriptionAgainstEmulator::s_folders;

TEST_F(TranscriptionAgainstEmulator, ARecordingBecomesASubtitleFileFfmpegReads)
{
    CWaveToText object;
    object.InitEnv(QString::fromUtf8(kAppId), QString::fromUtf8(kKey));
    ProgressReports reports(&object, true);
    const QString srt = Work("会议.srt");
    GeneratedSpeech speech;
    ASSERT_EQ(object.Start(Recording("会议.mp3", &speech), srt, 100, &ProgressReports::Callback, &reports), 0);
    ASSERT_TRUE(reports.WaitForEnd(60));
    EXPECT_EQ(object.Stop(), 0);
    const std::vector<int32_t> codes = reports.Codes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), 9);
    for (size_t i = 0; i + 1 < codes.size(); ++i)
        EXPECT_EQ(codes[i], 3);

    QFile file(srt);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    // Each block's times lie where its sentence was spoken, give or take the detector's edges.
    const QList<QByteArray> lines = text.split('\n');
    std::vector<std::pair<double, double>> times;
    for (const QByteArray& line : lines) {
        int h1, m1, s1, ms1, h2, m2, s2, ms2;
        if (std::sscanf(line.constData(), "%d:%d:%d,%d --> %d:%d:%d,%d", &h1, &m1, &s1, &ms1, &h2, &m2, &s2, &ms2) == 8)
            times.emplace_back(((h1 * 60 + m1) * 60 + s1) * 1000.0 + ms1, ((h2 * 60 + m2) * 60 + s2) * 1000.0 + ms2);
    }
    ASSERT_EQ(times.size(), speech.sentences.size()) << text.toStdString();
    for (size_t i = 0; i < times.size(); ++i) {
        EXPECT_NEAR(times[i].first, speech.sentences[i].beginMs, 300) << text.toStdString();
        EXPECT_NEAR(times[i].second, speech.sentences[i].endMs, 300) << text.toStdString();
    }
    EXPECT_TRUE(text.startsWith("1\r\n")) << text.toStdString();

    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                                            QStringLiteral("-i"), srt, QStringLiteral("-f"), QStringLiteral("srt"),
                                            QStringLiteral("-")});
    ASSERT_TRUE(ffmpeg.waitForFinished(60000));
    EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
    EXPECT_EQ(ffmpeg.readAllStandardOutput().count("-->"), 2);
}

TEST_F(TranscriptionAgainstEmulator, AWrongKeyOrAStaleTimeIsRefused)
{
    CWaveToText wrong;
    wrong.InitEnv(QString::fromUtf8(kAppId), QStringLiteral("not-the-key"));
    EXPECT_EQ(wrong.Start(Recording("refused.mp3"), Work("refused.srt"), 0, nullptr, nullptr),
              CWaveToText::PrepareFailed);

    // The same request signed correctly, once for now and once for six minutes ago.
    CWaveToText object;
    object.InitEnv(QString::fromUtf8(kAppId), QString::fromUtf8(kKey));
    const auto prepare = [&](long long ts) {
        const std::string time = std::to_string(ts);
        nsWtt::ParamMap params{{"app_id", kAppId}, {"file_len", "1000"}, {"file_name", "a.mp3"},
                               {"signa", ExpectedSigna(kAppId, kKey, time)}, {"slice_num", "1"}, {"ts", time}};
        std::string out;
        return object.Request(nsWtt::kPreparePath, params, out);
    };
    EXPECT_EQ(prepare(std::time(nullptr)), 0);
    EXPECT_EQ(prepare(std::time(nullptr) - 360), 26610);

    nsWtt::ParamMap wrongKey{{"app_id", kAppId}, {"file_len", "1000"}, {"file_name", "a.mp3"},
                             {"signa", ExpectedSigna(kAppId, "not-the-key", std::to_string(std::time(nullptr)))},
                             {"slice_num", "1"}, {"ts", std::to_string(std::time(nullptr))}};
    std::string out;
    EXPECT_EQ(object.Request(nsWtt::kPreparePath, wrongKey, out), 26601);
    EXPECT_FALSE(out.empty()) << "the service says why";
}

} // namespace
