// Whole subtitle tasks through the manager against the local services running in this process: an
// audio file and a video, on each engine, as the subtitles window runs them, ending in SRT files
// the ffmpeg program reads. Settings are read once per process, so this suite has its own.
#include "AudioEncoder.h"
#include "EmulatorServer.h"
#include "GeneratedSpeech.h"
#include "subtitles/CWaveToTextMgr.h"
#include "support/MessageSink.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>

namespace {

constexpr int kMessage = 8027;

QString RunFfmpeg(const QStringList& arguments, bool* ok)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-nostdin"), QStringLiteral("-v"),
                                                       QStringLiteral("error")} +
                                               arguments);
    *ok = ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
    return QString::fromUtf8(ffmpeg.readAllStandardOutput() + ffmpeg.readAllStandardError());
}

// The services and the media, once for the process: the settings that point at them are read once,
// so they are made only in a process that runs these suites and not for the layer's other cases.
class LocalServices : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (!Needed())
            return;
        TestEnvironment::Get();
        EmulatorOptions options;
        options.recognitionStepMs = 100;
        s_services = std::make_unique<EmulatorServer>(options);
        const int port = s_services->Start();
        ASSERT_GT(port, 0);
        s_folders = std::make_unique<ScratchFolders>();
        TestEnvironment::WriteSettings(
            s_folders->App(),
            QStringLiteral("[Token]\nURL=http://127.0.0.1:%1/oauth/2.0/token\n\n"
                           "[Audio2Txt]\nURL=http://127.0.0.1:%1\nAPIKey=%2\nSecretKey=%3\n\n"
                           "[ObjectStore]\nEndpoint=127.0.0.1:%1\nAccessKeyId=%4\nSecretAccessKey=%5\nBucket=%6\n\n"
                           "[FileTranscription]\nURL=http://127.0.0.1:%1/api\n")
                .arg(port)
                .arg(QString::fromStdString(options.clientId), QString::fromStdString(options.clientSecret),
                     QString::fromStdString(options.storeAccessKey), QString::fromStdString(options.storeSecretKey),
                     QString::fromStdString(options.storeBucket)));
        s_account = {QString::fromStdString(options.transcriptionAppId),
                     QString::fromStdString(options.transcriptionKey)};

        // Two spoken sentences, as a recording and as the sound of a short video.
        const GeneratedSpeech speech = GeneratedSpeech::Make({"今天天气很好", "我们明天见"}, {500, 900, 500});
        s_audio = s_folders->Root() + QStringLiteral("/访谈 录音.mp3");
        std::ofstream(s_audio.toStdString(), std::ios::binary) << AudioEncoder::Encode(speech.pcm, SpeechFormat::Mp3);
        s_video = s_folders->Root() + QStringLiteral("/访谈 片段.mp4");
        bool ok = false;
        const QString output = RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                          QStringLiteral("color=c=navy:s=64x48:r=25"), QStringLiteral("-i"), s_audio,
                                          QStringLiteral("-shortest"), QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                                          QStringLiteral("-c:a"), QStringLiteral("aac"), s_video},
                                         &ok);
        ASSERT_TRUE(ok) << output.toStdString();
    }

    void TearDown() override
    {
        if (!s_services)
            return;
        s_services->Stop();
        s_services.reset();
        s_folders.reset();
    }

    static bool Needed()
    {
        const ::testing::UnitTest* unit = ::testing::UnitTest::GetInstance();
        for (int i = 0; i < unit->total_test_suite_count(); ++i) {
            const ::testing::TestSuite* suite = unit->GetTestSuite(i);
            if (suite->test_to_run_count() > 0 && std::strstr(suite->name(), "SubtitleTasksOnLocalServices"))
                return true;
        }
        return false;
    }

    static std::unique_ptr<EmulatorServer> s_services;
    static std::unique_ptr<ScratchFolders> s_folders;
    static std::pair<QString, QString> s_account;
    static QString s_audio;
    static QString s_video;
};

std::unique_ptr<EmulatorServer> LocalServices::s_services;
std::unique_ptr<ScratchFolders> LocalServices::s_folders;
std::pair<QString, QString> LocalServices::s_account;
QString LocalServices::s_audio;
QString LocalServices::s_video;

[[maybe_unused]] ::testing::Environment* const kServices = ::testing::AddGlobalTestEnvironment(new LocalServices);

class SubtitleTasksOnLocalServices : public ::testing::TestWithParam<std::tuple<int, bool>>
{
protected:
    static const std::pair<QString, QString>& Account() { return LocalServices::s_account; }
    static const QString& Audio() { return LocalServices::s_audio; }
    static const QString& Video() { return LocalServices::s_video; }
};

TEST_P(SubtitleTasksOnLocalServices, ASourceBecomesASubtitleFileTheFfmpegProgramReads)
{
    const auto [engine, video] = GetParam();
    MessageSink sink;
    CWaveToTextMgr manager;
    manager.SetRecvWndMsg(&sink, kMessage);
    manager.SetUserIDandKey(Account().first, Account().second);
    const QString source = video ? Video() : Audio();
    const QUuid object = QUuid::createUuid();
    WaveTransSrt* task = manager.AddWave(engine, source, video ? 0 : 1, 0.0f, 1.0f, object, 80001);
    ASSERT_NE(task, nullptr);
    manager.StartTranslate(task);
    // The start worked; its first poll may already have moved the last code on.
    ASSERT_NE(task->GetStateCode(), WaveTransSrt::StateFailed) << task->GetState().toStdString();

    const auto ended = [&] {
        const QList<int> codes = sink.Codes();
        return codes.contains(WaveTransSrt::NotifyFinished) || codes.contains(WaveTransSrt::NotifyFailed);
    };
    ASSERT_TRUE(sink.WaitUntil(ended, std::chrono::seconds(90))) << task->GetState().toStdString();
    const QList<int> codes = sink.Codes();
    EXPECT_EQ(codes.back(), WaveTransSrt::NotifyFinished) << task->GetState().toStdString();
    EXPECT_EQ(task->GetStateCode(), WaveTransSrt::StateFinished);
    EXPECT_EQ(task->GetState(), QStringLiteral("转写成功！"));
    EXPECT_FALSE(task->GetTaskID().isEmpty());
    EXPECT_EQ(codes.front(), video ? WaveTransSrt::NotifyExtracting : WaveTransSrt::NotifyProgress);
    for (int code : codes.mid(1, codes.size() - 2))
        EXPECT_EQ(code, WaveTransSrt::NotifyProgress);

    const QString folder = TestEnvironment::Get().WorkDir() + QStringLiteral("/AITxt/");
    const QString name = video ? QStringLiteral("访谈 片段_0_25") : QStringLiteral("访谈 录音_0_25");
    EXPECT_TRUE(task->GetSrtPath().startsWith(folder + name)) << task->GetSrtPath().toStdString();
    if (video) {
        EXPECT_TRUE(task->GetAudioPath().startsWith(folder + name)) << task->GetAudioPath().toStdString();
        EXPECT_TRUE(task->GetAudioPath().endsWith(QStringLiteral(".mp3")));
    }
    bool ok = false;
    const QString read = RunFfmpeg({QStringLiteral("-i"), task->GetSrtPath(), QStringLiteral("-f"),
                                    QStringLiteral("srt"), QStringLiteral("-")},
                                   &ok);
    EXPECT_TRUE(ok) << read.toStdString();
    EXPECT_EQ(read.count(QStringLiteral("-->")), 2) << read.toStdString();

    // The window's second press finds the same task; a restart runs it again from an empty file.
    EXPECT_EQ(manager.FindData(source, video ? 0 : 1, 0.0f, 1.0f), task);
    sink.Clear();
    manager.RestartTranslate(task);
    EXPECT_NE(task->GetStateCode(), WaveTransSrt::StateFailed) << task->GetState().toStdString();
    ASSERT_TRUE(sink.WaitUntil(ended, std::chrono::seconds(90))) << task->GetState().toStdString();
    EXPECT_EQ(sink.Codes().back(), WaveTransSrt::NotifyFinished);
    QFile srt(task->GetSrtPath());
    ASSERT_TRUE(srt.open(QIODevice::ReadOnly));
    EXPECT_EQ(srt.readAll().count("-->"), 2);
}

INSTANTIATE_TEST_SUITE_P(EnginesAndSources, SubtitleTasksOnLocalServices,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == 0 ? "FileTranscription" : "Cloud") +
                                    (std::get<1>(info.param) ? "FromVideo" : "FromAudio");
                         });

TEST(SubtitleTasksOnLocalServicesAccount, AWrongAccountFailsWithTheServicesWord)
{
    MessageSink sink;
    CWaveToTextMgr manager;
    manager.SetRecvWndMsg(&sink, kMessage);
    manager.SetUserIDandKey(LocalServices::s_account.first, QStringLiteral("not-the-key"));
    WaveTransSrt* task = manager.AddWave(0, LocalServices::s_audio, 1, 0.0f, 1.0f, QUuid(), 0);
    ASSERT_NE(task, nullptr);
    manager.StartTranslate(task);
    EXPECT_EQ(task->GetStateCode(), WaveTransSrt::StateFailed);
    EXPECT_EQ(task->GetLastCode(), -2);
    EXPECT_EQ(task->GetState(), QStringLiteral("转写失败, %1.").arg(GetWavToTextErrorInfo(-2)));
}

} // namespace
