// The cloud recognition client against the local services running in this process: the audio
// goes through the object store and the recognition service as it would through the real ones.
// Settings are read once per process, so this suite has an executable of its own.
#include "service/TransLog.h"
#include "subtitles/CAudio2TxtNetOper.h"
#include "support/ProgressRecorder.h"
#include "support/TestEnvironment.h"

#include "EmulatorServer.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A recording of "go forward ten meters", 16 kHz mono samples without a header.
const char* const kGoForward = "/usr/share/pocketsphinx/test/data/goforward.raw";

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

size_t StoredObjects(const std::filesystem::path& dataFolder)
{
    const std::filesystem::path objects = dataFolder / "store" / "objects";
    if (!std::filesystem::is_directory(objects))
        return size_t(-1);
    size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(objects))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

// The paths of the requests the services recorded for one of their endpoints.
std::vector<std::string> RecordedPaths(int port, const char* endpoint)
{
    httplib::Client control("127.0.0.1", port);
    const auto reply = control.Get((std::string("/__control/requests?endpoint=") + endpoint).c_str());
    std::vector<std::string> paths;
    if (!reply || reply->status != 200)
        return paths;
    const web::json::value requests = web::json::value::parse(reply->body);
    for (const web::json::value& request : requests.as_array())
        paths.push_back(request.at("path").as_string());
    return paths;
}

TEST(CloudRecognitionOnLocalServices, AnEnglishRecordingBecomesSubtitlesAndLeavesNoObjectBehind)
{
    ScratchFolders folders;
    EmulatorOptions options;
    options.recognitionStepMs = 300;
    options.dataDir = (folders.Root() + QStringLiteral("/services")).toStdString();
    EmulatorServer services(options);
    const int port = services.Start();
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(port);
    TestEnvironment::WriteSettings(
        folders.App(), QStringLiteral("[Token]\nURL=%1/oauth/2.0/token\n\n"
                                      "[Audio2Txt]\nURL=%1\nAPIKey=%2\nSecretKey=%3\n\n"
                                      "[ObjectStore]\nEndpoint=127.0.0.1:%4\nAccessKeyId=%5\nSecretAccessKey=%6\n"
                                      "Bucket=%7\n")
                           .arg(base, QString::fromStdString(options.clientId),
                                QString::fromStdString(options.clientSecret), QString::number(port),
                                QString::fromStdString(options.storeAccessKey),
                                QString::fromStdString(options.storeSecretKey),
                                QString::fromStdString(options.storeBucket)));
    const QString audio = folders.Work() + QStringLiteral("/go forward.pcm");
    ASSERT_TRUE(QFile::copy(QString::fromLatin1(kGoForward), audio)) << "pocketsphinx-testdata is missing";
    const QString srt = folders.Work() + QStringLiteral("/go forward_0_75.srt");

    ProgressRecorder progress;
    CAudio2TxtNetOper client;
    client.SetProgressCallback(&ProgressRecorder::Record);
    ASSERT_EQ(client.Start(audio.toStdString(), 1737, &progress, srt.toStdString()), CAudio2TxtNetOper::Started)
        << client.GetErrorText();
    ASSERT_TRUE(progress.WaitUntil(
        [](const std::vector<int32_t>& codes) { return !codes.empty() && (codes.back() == 2 || codes.back() == -1); },
        std::chrono::seconds(60)))
        << client.GetErrorText();
    client.Stop();

    const std::vector<int32_t> codes = progress.Codes();
    ASSERT_EQ(codes.back(), CAudio2TxtNetOper::PollFinished) << client.GetErrorText();
    EXPECT_EQ(codes.front(), CAudio2TxtNetOper::PollPending) << "the task is seen running first";
    const QString subtitles = QString::fromUtf8(ReadAll(srt));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^1\r\n00:00:0\\d,\\d{3} --> 00:00:0\\d,\\d{3}\r\n"
                                                  "go forward ten meters\r\n\r\n$"))
                    .match(subtitles)
                    .hasMatch())
        << subtitles.toStdString();
    EXPECT_EQ(ReadAll(folders.Work() + QStringLiteral("/go forward_0_75.txt")), "go forward ten meters");
    const auto logged = GetSubtitlesLog().FindTask(QString::fromStdString(client.GetTaskID()));
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->Stat, 2);
    EXPECT_EQ(logged->Files, srt);
    const std::string object = "/qov-subtitles/" + client.GetObjectKey();
    EXPECT_NE(object.find("_goforward.pcm"), std::string::npos);
    EXPECT_EQ(RecordedPaths(port, "store-put"), std::vector<std::string>{object});
    EXPECT_EQ(RecordedPaths(port, "store-delete"), std::vector<std::string>{object});
    EXPECT_EQ(StoredObjects(services.DataPath()), 0u) << "the recording was deleted once the task ended";
    services.Stop();
}

} // namespace
