// qovaigc subtitles and qovaigc account against the local services: whole runs on both engines
// from audio and from video, the failures a user meets, and Ctrl-C on a terminal. Last, every
// command over HTTPS, its output scanned for the secrets it was given or handed.
#include "CliFixture.h"
#include "PtyProcess.h"

#include "AudioEncoder.h"
#include "GeneratedSpeech.h"
#include "MediaFixtures.h"
#include "host/QOVStringTable.h"
#include "support/TestCertificates.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>
#include <httplib.h>

#include <fstream>
#include <memory>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

const char* const kAccountId = "qovlocal";
const char* const kAccountKey = "qov-local-transcription-key";

class SubtitlesCommand : public CommandLine
{
protected:
    void SetUp() override
    {
        CommandLine::SetUp();
        PointAt(m_port);
    }

    // Settings of the recognition services at port (the emulator's, or one where nothing listens).
    void PointAt(int port)
    {
        const EmulatorOptions options;
        TestEnvironment::WriteSettings(
            m_folders.App(),
            QStringLiteral("[Token]\nURL=http://127.0.0.1:%1/oauth/2.0/token\n"
                           "[Audio2Txt]\nURL=http://127.0.0.1:%1\nAPIKey=%2\nSecretKey=%3\n"
                           "[ObjectStore]\nEndpoint=127.0.0.1:%1\nAccessKeyId=%4\nSecretAccessKey=%5\nBucket=%6\n"
                           "[FileTranscription]\nURL=http://127.0.0.1:%1/api\n")
                .arg(port)
                .arg(QString::fromStdString(options.clientId), QString::fromStdString(options.clientSecret),
                     QString::fromStdString(options.storeAccessKey), QString::fromStdString(options.storeSecretKey),
                     QString::fromStdString(options.storeBucket)));
    }

    void SetAccount(const char* key = kAccountKey)
    {
        const Outcome set = Run({QStringLiteral("account"), QStringLiteral("--id"), QString::fromLatin1(kAccountId),
                                 QStringLiteral("--key"), QString::fromLatin1(key)});
        ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    }

    // Two spoken sentences; as a video too when asked.
    QString Speech(bool video)
    {
        const QString audio = m_folders.Root() + QStringLiteral("/讲话.mp3");
        if (!QFile::exists(audio)) {
            const GeneratedSpeech speech = GeneratedSpeech::Make({"今天天气很好", "我们明天见"}, {400, 700, 400});
            std::ofstream(audio.toStdString(), std::ios::binary)
                << AudioEncoder::Encode(speech.pcm, SpeechFormat::Mp3);
        }
        const QString path = m_folders.Root() + QStringLiteral("/讲话.MOV");
        if (!video || QFile::exists(path))
            return video ? path : audio;
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                      QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("color=c=gray:s=64x48:r=25"),
                      QStringLiteral("-i"), audio, QStringLiteral("-shortest"), QStringLiteral("-c:v"),
                      QStringLiteral("mpeg4"), QStringLiteral("-c:a"), QStringLiteral("aac"), path});
        EXPECT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
        return path;
    }

    QStringList Outputs() const
    {
        return QDir(m_folders.Work() + QStringLiteral("/AITxt")).entryList(QDir::Files | QDir::Hidden);
    }
};

TEST_F(SubtitlesCommand, EachEngineTurnsAudioAndVideoIntoSubtitlesTheFfmpegProgramReads)
{
    SetAccount();
    const struct
    {
        const char* engine;
        bool video;
    } cases[] = {{"file", false}, {"file", true}, {"cloud", false}, {"cloud", true}};
    QStringList written;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.engine) + (c.video ? " video" : " audio"));
        const QString source = Speech(c.video);
        const Outcome outcome = Run({QStringLiteral("subtitles"), source, QStringLiteral("--engine"),
                                     QString::fromLatin1(c.engine), QStringLiteral("--json")});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
        const QJsonObject result = JsonOf(outcome);
        const QString srt = result.value(QStringLiteral("path")).toString();
        // Named as the window names them: source, first and last frame, the next free number.
        EXPECT_TRUE(srt.startsWith(m_folders.Work() + QStringLiteral("/AITxt/讲话_0_25")) &&
                    srt.endsWith(QStringLiteral(".srt")) && !written.contains(srt))
            << srt.toStdString();
        written << srt;
        EXPECT_EQ(result.value(QStringLiteral("video")).toBool(), c.video);
        EXPECT_FALSE(result.value(QStringLiteral("task_id")).toString().isEmpty());

        const QStringList states = outcome.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_FALSE(states.isEmpty());
        EXPECT_EQ(states.front(), c.video ? QStringLiteral("视频提取音频中...") : QStringLiteral("生成任务中"));
        EXPECT_TRUE(states.contains(QStringLiteral("生成中，请稍候..."))) << outcome.err.toStdString();
        EXPECT_EQ(states.back(), QStringLiteral("生成成功！"));

        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-nostdin"), QStringLiteral("-v"),
                                                QStringLiteral("error"), QStringLiteral("-i"), srt,
                                                QStringLiteral("-f"), QStringLiteral("srt"), QStringLiteral("-")});
        ASSERT_TRUE(ffmpeg.waitForFinished(60000));
        EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
        EXPECT_EQ(ffmpeg.readAllStandardOutput().count("-->"), 2);
    }
    // The plain form prints the path alone; the same source again gets the next free name.
    const Outcome again = Run({QStringLiteral("subtitles"), Speech(false), QStringLiteral("--engine"),
                               QStringLiteral("cloud"), QStringLiteral("--model"), QStringLiteral("80006")});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.endsWith(QStringLiteral("/讲话_0_25_%1.srt\n").arg(written.size())))
        << again.out.toStdString();
}

TEST_F(SubtitlesCommand, SubtitlesMadeAtOnceFromOneSourceKeepAFileAndARecordEach)
{
    SetAccount();
    const QString source = Speech(false);
    constexpr int kRuns = 8;
    QStringList paths = RunTogether({QStringLiteral("subtitles"), source}, kRuns);
    EXPECT_EQ(QSet<QString>(paths.begin(), paths.end()).size(), kRuns) << paths.join(' ').toStdString();
    for (const QString& path : paths) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.readAll().contains("-->")) << path.toStdString();
    }
    paths.sort();
    EXPECT_EQ(LoggedFiles(QStringLiteral("subtitles")), paths) << "each run's record names its own file";
}

TEST_F(SubtitlesCommand, BadInputEndsWithAClearMessageAndNoSubtitles)
{
    const QString speech = Speech(false);
    struct Case
    {
        const char* name;
        QStringList arguments;
        int exit;
        QString says;
    };
    const Case withoutAccount[] = {
        {"no account", {"subtitles", speech}, 1, QStringLiteral("语音转写用户信息为空")},
        {"missing source", {"subtitles", m_folders.Root() + QStringLiteral("/none.mp3")}, 1,
         QStringLiteral("cannot open")},
        {"unknown engine", {"subtitles", speech, "--engine", "fast"}, 2, QStringLiteral("--engine")},
        {"negative start", {"subtitles", speech, "--start", "-1"}, 2, QStringLiteral("--start takes seconds")},
        {"unknown flag", {"subtitles", speech, "--clear"}, 2, QStringLiteral("--clear is not an option")},
    };
    for (const Case& c : withoutAccount) {
        const Outcome outcome = Run(c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exit) << c.name << ": " << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.contains(c.says)) << c.name << ": " << outcome.err.toStdString();
    }

    SetAccount("not-the-key");
    const Outcome refused = Run({QStringLiteral("subtitles"), speech});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.endsWith(QStringLiteral("转写失败, 转写任务准备失败，%1.\n")
                                         .arg(ZuLoadString(QStringLiteral("NLE_CHECK_INFO")))))
        << refused.err.toStdString();

    SetAccount();
    const Outcome silent = Run({QStringLiteral("subtitles"), MediaFixtures::VideoWithoutAudio()});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_EQ(silent.err.count(QStringLiteral("视频提取音频失败！")), 1) << "one line per event: " << silent.err.toStdString();
    EXPECT_TRUE(silent.err.contains(QStringLiteral("has no audio stream"))) << silent.err.toStdString();

    // Nothing listens where the settings point.
    PointAt(1);
    for (const char* engine : {"file", "cloud"}) {
        const Outcome unreachable = Run({QStringLiteral("subtitles"), speech, QStringLiteral("--engine"),
                                         QString::fromLatin1(engine)});
        EXPECT_EQ(unreachable.exitCode, 1) << engine;
        EXPECT_TRUE(unreachable.err.contains(QStringLiteral("转写失败, "))) << unreachable.err.toStdString();
    }
    const Outcome cloud = Run({QStringLiteral("subtitles"), speech, QStringLiteral("--engine"), QStringLiteral("cloud")});
    EXPECT_TRUE(cloud.err.contains(QStringLiteral("无法连接到服务"))) << "the cloud client says why: "
                                                                     << cloud.err.toStdString();
    EXPECT_TRUE(Outputs().filter(QStringLiteral(".srt")).isEmpty()) << Outputs().join(QLatin1Char(' ')).toStdString();
}

TEST_F(SubtitlesCommand, CtrlCStopsARunningTaskAndLeavesNoSubtitles)
{
    SetAccount();
    const QString speech = Speech(false);
    for (const char* engine : {"file", "cloud"}) {
        SCOPED_TRACE(engine);
        // Every progress query hangs: the task runs until the user gives up on it.
        SetFault(engine == std::string("file") ? "transcription-progress" : "aasr-query", R"({"delay_ms":600000})");
        PtyProcess process(QStringLiteral(QOVAIGC_BIN),
                           WithFolders({QStringLiteral("subtitles"), speech, QStringLiteral("--engine"),
                                        QString::fromLatin1(engine)}),
                           Environment());
        ASSERT_TRUE(process.Started());
        EXPECT_TRUE(process.WaitFor("\r\x1b[Ksubtitles  ", 60s)) << process.Output().toStdString();
        EXPECT_TRUE(process.WaitFor(QStringLiteral("生成任务中").toUtf8(), 60s)) << process.Output().toStdString();
        process.TypeInterrupt();
        EXPECT_EQ(process.Finish(60s), 130) << process.Output().toStdString();
        EXPECT_TRUE(process.Output().endsWith("interrupted\r\n")) << process.Output().toStdString();
        EXPECT_TRUE(Outputs().isEmpty()) << Outputs().join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(SubtitlesCommand, TheAccountIsShownByItsIdSetAndCleared)
{
    const auto account = [this](const QStringList& options) {
        return Run(QStringList{QStringLiteral("account")} + options);
    };
    EXPECT_EQ(account({}).out, QStringLiteral("no transcription account is set\n"));
    const Outcome set = account({QStringLiteral("--id"), QStringLiteral("my-app"), QStringLiteral("--key"),
                                 QStringLiteral("s3cret-key")});
    EXPECT_EQ(set.exitCode, 0);
    EXPECT_EQ(set.out, QStringLiteral("my-app\n"));
    QFile file(m_folders.Config() + QStringLiteral("/iTarn.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[WaveToText]\nID=my-app\nKey=s3cret-key\n"));
    struct stat status{};
    ASSERT_EQ(::stat(QFile::encodeName(file.fileName()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u) << "the key is its owner's alone";
    const Outcome shown = account({QStringLiteral("--json")});
    EXPECT_FALSE(shown.out.contains(QStringLiteral("s3cret"))) << "the key is never printed";
    EXPECT_EQ(JsonOf(shown).value(QStringLiteral("id")).toString(), QStringLiteral("my-app"));
    EXPECT_TRUE(JsonOf(shown).value(QStringLiteral("key_set")).toBool());

    EXPECT_EQ(account({QStringLiteral("--clear")}).out, QStringLiteral("no transcription account is set\n"));
    EXPECT_EQ(account({}).out, QStringLiteral("no transcription account is set\n"));

    for (const QStringList& wrong : {QStringList{QStringLiteral("--id"), QStringLiteral("a")},
                                     QStringList{QStringLiteral("--clear"), QStringLiteral("--key"), QStringLiteral("k")},
                                     QStringList{QStringLiteral("--id"), QString(), QStringLiteral("--key"),
                                                 QStringLiteral("k")},
                                     QStringList{QStringLiteral("extra")}})
        EXPECT_EQ(account(wrong).exitCode, 2) << wrong.join(QLatin1Char(' ')).toStdString();
}

// One run per tool end to end over HTTPS; then the same commands failing, on wrong secrets and
// on a certificate nothing trusts. No output of any run, plain or --json, holds a secret.
TEST_F(SubtitlesCommand, OverHttpsEveryToolWorksAndNoCommandPrintsASecret)
{
    EmulatorOptions options;
    options.clientSecret = "scan-client-secret-5e1d";
    options.storeSecretKey = "scan-store-secret-0b7c";
    options.transcriptionKey = "scan-transcription-key-93fa";
    options.recognitionStepMs = 100;
    options.tlsCertFile = TestCertificates::Get().Trusted().certFile;
    options.tlsKeyFile = TestCertificates::Get().Trusted().keyFile;
    EmulatorServer secure(options);
    const QString base = QStringLiteral("https://127.0.0.1:%1").arg(secure.Start());
    const QString wrongSecret = QStringLiteral("scan-wrong-secret-4410");
    const QString wrongKey = QStringLiteral("scan-wrong-transcription-key-c2a8");
    QList<std::pair<QString, Outcome>> printed;
    const auto run = [&](const QStringList& arguments, int exit) {
        const Outcome outcome = Run(arguments);
        if (exit >= 0) {
            EXPECT_EQ(outcome.exitCode, exit) << arguments.join(' ').toStdString() << ": " << outcome.err.toStdString();
        }
        printed.append({arguments.join(' '), outcome});
        return outcome;
    };

    const QString trusted =
        QStringLiteral("[Network]\nCaFile=%1\n").arg(QString::fromStdString(TestCertificates::Get().CaFile()));
    const auto settle = [&](const QString& secret, const QString& key, const QString& network) {
        const QString keys =
            QStringLiteral("APIKey=%1\nSecretKey=%2\n").arg(QString::fromStdString(options.clientId), secret);
        QString text = QStringLiteral("[Token]\nURL=%1/oauth/2.0/token\n[Copywriting]\nURL=%1/chat/v1/completions\n%2"
                                      "[Txt2Audio]\nURL=%1\nURLS=%1/text2audio\nCuid=scan\n%2[Txt2Img]\nURL=%1\n%2"
                                      "[Audio2Txt]\nURL=%1\n%2[FileTranscription]\nURL=%1/api\n"
                                      "[ObjectStore]\nEndpoint=%1\nAccessKeyId=%3\nSecretAccessKey=%4\nBucket=%5\n")
                           .arg(base, keys, QString::fromStdString(options.storeAccessKey),
                                QString::fromStdString(options.storeSecretKey),
                                QString::fromStdString(options.storeBucket));
        TestEnvironment::WriteSettings(m_folders.App(), text + network);
        run({QStringLiteral("account"), QStringLiteral("--id"), QString::fromStdString(options.transcriptionAppId),
             QStringLiteral("--key"), key},
            0);
    };
    const QString speech = Speech(false);
    const QList<QStringList> services = {{"write", "话题"},
                                         {"dub", "你好"},
                                         {"paint", "雪山", "--count", "1"},
                                         {"subtitles", speech, "--engine", "file"},
                                         {"subtitles", speech, "--engine", "cloud"}};
    const QList<QStringList> others = {{"history", "subtitles"}, {"account"}, {"duration", speech}, {"help"}};
    const QString secret = QString::fromStdString(options.clientSecret);
    const QString key = QString::fromStdString(options.transcriptionKey);
    settle(secret, key, trusted);
    for (const bool json : {false, true}) {
        const QStringList flag = json ? QStringList{QStringLiteral("--json")} : QStringList{};
        for (const QStringList& command : services + others)
            run(command + flag, 0);
        const QString extracted = m_folders.Work() + QStringLiteral("/out%1.wav").arg(int(json));
        run(QStringList{QStringLiteral("extract"), speech, extracted} + flag, 0);
    }
    settle(wrongSecret, wrongKey, trusted);
    for (const QStringList& command : services)
        run(command + QStringList{QStringLiteral("--json")}, 1);
    settle(secret, key, QString());
    for (const QStringList& command : services)
        run(command, 1);
    EXPECT_TRUE(printed.back().second.err.contains(QStringLiteral("服务的证书未通过校验：证书是自签名的")))
        << printed.back().second.err.toStdString();
    // Checking switched off on purpose: the service is trusted, and the user is told once.
    settle(secret, key, QStringLiteral("[Network]\nVerifyCertificates=0\n"));
    EXPECT_EQ(run(services.front(), 0).err.count(QStringLiteral("certificate checking is off")), 1);

    // The tokens the services were handed: the random part of each.
    httplib::Client control(base.toStdString());
    control.enable_server_certificate_verification(false);
    const auto requests = control.Get("/__control/requests");
    ASSERT_TRUE(requests && requests->status == 200);
    QStringList secrets = {secret, QString::fromStdString(options.storeSecretKey), key, wrongSecret, wrongKey};
    const qsizetype known = secrets.size();
    static const QRegularExpression token(QStringLiteral("([0-9a-f]{32})\\.\\d+\\.\\d+"));
    for (auto match = token.globalMatch(QString::fromStdString(requests->body)); match.hasNext();)
        secrets << match.next().captured(1);
    EXPECT_GT(secrets.size(), known) << "no access token was seen";
    // The task logs the runs kept hold none either.
    const qsizetype runs = printed.size();
    for (QDirIterator logs(m_folders.App() + QStringLiteral("/AppLocalFiles/AILog"), QDir::Files,
                           QDirIterator::Subdirectories);
         logs.hasNext();) {
        QFile log(logs.next());
        EXPECT_TRUE(log.open(QIODevice::ReadOnly));
        printed.append({log.fileName(), Outcome{0, QString::fromUtf8(log.readAll()), QString()}});
    }
    EXPECT_GE(printed.size() - runs, 4) << "a task log per tool";
    for (const auto& [command, outcome] : printed)
        for (const QString& hidden : secrets)
            EXPECT_FALSE(outcome.out.contains(hidden) || outcome.err.contains(hidden))
                << command.toStdString() << " printed " << hidden.toStdString();
}

} // namespace
