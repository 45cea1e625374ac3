// qovaigc subtitles and qovaigc account against the local services: whole runs on both engines
// from audio and from video, and the failures a user meets. Last, every command over HTTPS, its
// output scanned for the secrets it was given or handed.
#include "LocalServices.h"

#include "host/QOVStringTable.h"
#include "support/TestCertificates.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

using SubtitlesCommand = LocalServices;

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
        const Outcome outcome = Run({"subtitles", source, "--engine", QString::fromLatin1(c.engine), "--json"});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
        const QJsonObject result = JsonOf(outcome);
        const QString srt = result.value("path").toString();
        // Named as the window names them: source, first and last frame, the next free number.
        EXPECT_TRUE(srt.startsWith(m_folders.Work() + "/AITxt/讲话_0_25") && srt.endsWith(".srt") &&
                    !written.contains(srt))
            << srt.toStdString();
        written << srt;
        EXPECT_EQ(result.value("video").toBool(), c.video);
        EXPECT_FALSE(result.value("task_id").toString().isEmpty());

        const QStringList states = outcome.err.split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(states.isEmpty());
        EXPECT_EQ(states.front(), c.video ? "视频提取音频中..." : "生成任务中");
        EXPECT_TRUE(states.contains("生成中，请稍候...")) << outcome.err.toStdString();
        EXPECT_EQ(states.back(), "生成成功！");

        bool read = false;
        const QString cues = MediaFixtures::RunFfmpeg({"-i", srt, "-f", "srt", "-"}, &read);
        EXPECT_TRUE(read) << cues.toStdString();
        EXPECT_EQ(cues.count("-->"), 2) << cues.toStdString();
    }
    // The plain form prints the path alone; the same source again gets the next free name.
    const Outcome again = Run({"subtitles", Speech(false), "--engine", "cloud", "--model", "80006"});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.endsWith(QStringLiteral("/讲话_0_25_%1.srt\n").arg(written.size())))
        << again.out.toStdString();
}

// --jobs counts audio sources too, while they start: the upload and the task's creation. With one
// place, each source's task is created only after the one before it has been.
TEST_F(SubtitlesCommand, JobsLimitAudioSourcesWhileTheyStart)
{
    constexpr int kCreateMs = 400;
    const QString speech = Speech();
    QStringList sources;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        ASSERT_TRUE(QFile::copy(speech, Path(name)));
        sources << Path(name);
    }
    SetFault("aasr-create", "{\"delay_ms\":" + std::to_string(kCreateMs) + "}");
    const Outcome outcome = Run(QStringList{"subtitles"} + sources + QStringList{"--engine", "cloud", "--jobs", "1"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    httplib::Client control("127.0.0.1", m_port);
    const auto reply = control.Get("/__control/requests?endpoint=aasr-create");
    ASSERT_TRUE(reply && reply->status == 200);
    std::vector<int64_t> received;
    const web::json::value requests = web::json::value::parse(reply->body);
    for (const auto& request : requests.as_array())
        received.push_back(request.at("received_ms").as_number().to_int64());
    ASSERT_EQ(received.size(), 3u);
    std::sort(received.begin(), received.end());
    for (size_t i = 1; i < received.size(); ++i)
        EXPECT_GE(received[i] - received[i - 1], kCreateMs) << "two sources were starting at once";
}

TEST_F(SubtitlesCommand, BadInputEndsWithAClearMessageAndNoSubtitles)
{
    const QString speech = Speech();
    const std::string none, wrong = "not-the-key", right = EmulatorOptions{}.transcriptionKey;
    const struct
    {
        const std::string& key; // of the account set first, if any
        int port;               // where the settings point the services, if elsewhere
        QStringList arguments;  // after "subtitles"
        int exit;
        QStringList says; // each once; one that ends a line ends the output
    } cases[] = {
        {none, 0, {speech}, 1, {"语音转写用户信息为空"}},
        {none, 0, {Path("none.mp3")}, 1, {"cannot open"}},
        {none, 0, {m_folders.Work()}, 1, {m_folders.Work() + ": it is a folder"}},
        {none, 0, {speech, "--engine", "fast"}, 2, {"--engine takes"}},
        {none, 0, {speech, "--start", "-1"}, 2, {"--start takes seconds"}},
        {none, 0, {speech, "--clear"}, 2, {"--clear is not an option"}},
        {none, 0, {speech, "--max-lines", "0"}, 2, {"--max-lines takes"}},
        {wrong,
         0,
         {speech},
         1,
         {QStringLiteral("转写失败, 转写任务准备失败，%1\n").arg(ZuLoadString("NLE_CHECK_INFO"))}},
        {right, 0, {MediaFixtures::VideoWithoutAudio()}, 1, {"视频提取音频失败！", "has no audio stream"}},
        // Nothing listens there; either engine says why.
        {right, 1, {speech, "--engine", "file"}, 1, {"转写失败, ", "无法连接到服务"}},
        {right, 1, {speech, "--engine", "cloud"}, 1, {"转写失败, ", "无法连接到服务"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString() + " " + c.key);
        if (!c.key.empty())
            SetAccount(c.key);
        if (c.port)
            PointAt(c.port);
        const Outcome outcome = Run(QStringList{"subtitles"} + c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exit) << outcome.err.toStdString();
        for (const QString& text : c.says) {
            EXPECT_EQ(outcome.err.count(text), 1) << outcome.err.toStdString();
            EXPECT_TRUE(!text.endsWith('\n') || outcome.err.endsWith(text)) << outcome.err.toStdString();
        }
    }
    const QStringList made = FilesIn(m_folders.Work() + "/AITxt");
    EXPECT_TRUE(made.filter(".srt").isEmpty()) << made.join(' ').toStdString();
}

TEST_F(SubtitlesCommand, TheAccountIsShownByItsIdSetAndCleared)
{
    const auto account = [this](const QStringList& options) { return Run(QStringList{"account"} + options); };
    EXPECT_EQ(account({}).out, "no transcription account is set\n");
    const Outcome set = account({"--id", "my-app", "--key", "s3cret-key"});
    EXPECT_EQ(set.exitCode, 0);
    EXPECT_EQ(set.out, "my-app\n");
    const QString file = m_folders.Config() + "/iTarn.ini";
    EXPECT_EQ(ReadBytes(file), "[WaveToText]\nID=my-app\nKey=s3cret-key\n");
    struct stat status = {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u) << "the key is its owner's alone";
    const Outcome shown = account({"--json"});
    EXPECT_FALSE(shown.out.contains("s3cret")) << "the key is never printed";
    EXPECT_EQ(JsonOf(shown).value("id").toString(), "my-app");
    EXPECT_TRUE(JsonOf(shown).value("key_set").toBool());

    EXPECT_EQ(account({"--clear"}).out, "no transcription account is set\n");
    EXPECT_EQ(account({}).out, "no transcription account is set\n");

    for (const QStringList& wrong : {QStringList{"--id", "a"}, QStringList{"--clear", "--key", "k"},
                                     QStringList{"--id", QString(), "--key", "k"}, QStringList{"extra"}})
        EXPECT_EQ(account(wrong).exitCode, 2) << wrong.join(' ').toStdString();
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
    const QString wrongSecret = "scan-wrong-secret-4410";
    const QString wrongKey = "scan-wrong-transcription-key-c2a8";
    QList<std::pair<QString, Outcome>> printed;
    const auto run = [&](const QStringList& arguments, int exit) {
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitCode, exit) << arguments.join(' ').toStdString() << ": " << outcome.err.toStdString();
        printed.append({arguments.join(' '), outcome});
        return outcome;
    };

    const QString trusted =
        QStringLiteral("[Network]\nCaFile=%1\n").arg(QString::fromStdString(TestCertificates::Get().CaFile()));
    const auto settle = [&](const QString& secret, const QString& key, const QString& network) {
        TestEnvironment::WriteSettings(m_folders.App(), ServiceSettings(base, options, secret) + network);
        run({"account", "--id", QString::fromStdString(options.transcriptionAppId), "--key", key}, 0);
    };
    const QString speech = Speech();
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
        const QStringList flag = json ? QStringList{"--json"} : QStringList{};
        for (const QStringList& command : services + others)
            run(command + flag, 0);
        const QString extracted = m_folders.Work() + QStringLiteral("/out%1.wav").arg(int(json));
        run(QStringList{"extract", speech, extracted} + flag, 0);
    }
    settle(wrongSecret, wrongKey, trusted);
    for (const QStringList& command : services)
        run(command + QStringList{"--json"}, 1);
    settle(secret, key, QString());
    for (const QStringList& command : services)
        run(command, 1);
    EXPECT_TRUE(printed.back().second.err.contains("服务的证书未通过校验：证书是自签名的"))
        << printed.back().second.err.toStdString();
    settle(secret, key, "[Network]\nCaFile=" + speech + "\n");
    EXPECT_TRUE(run(services.front(), 1).err.contains("CaFile指定的文件“" + speech + "”不含证书"));
    // Checking switched off on purpose: the service is trusted, and the user is told once.
    settle(secret, key, "[Network]\nVerifyCertificates=0\n");
    EXPECT_EQ(run(services.front(), 0).err.count("certificate checking is off"), 1);

    // The tokens the services were handed: the random part of each.
    httplib::Client control(base.toStdString());
    control.enable_server_certificate_verification(false);
    const auto requests = control.Get("/__control/requests");
    ASSERT_TRUE(requests && requests->status == 200);
    QStringList secrets = {secret, QString::fromStdString(options.storeSecretKey), key, wrongSecret, wrongKey};
    const qsizetype known = secrets.size();
    static const QRegularExpression token("([0-9a-f]{32})\\.\\d+\\.\\d+");
    for (auto match = token.globalMatch(QString::fromStdString(requests->body)); match.hasNext();)
        secrets << match.next().captured(1);
    EXPECT_GT(secrets.size(), known) << "no access token was seen";
    // The task logs the runs kept hold none either.
    const qsizetype runs = printed.size();
    for (QDirIterator logs(m_folders.App() + "/AppLocalFiles/AILog", QDir::Files, QDirIterator::Subdirectories);
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
