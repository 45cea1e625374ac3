#include "TranscriptionService.h"
#include "service/TaskRun.h"
#include "service/TransLog.h"
#include "subtitles/CWaveToText.h"
#include "support/ProgressRecorder.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

const char* const kAppId = "test-app";
const char* const kKey = "test-key+/=";

const char* const kSentences =
    R"({"ok":0,"err_no":0,"failed":null,"data":"[{\"bg\":\"1500\",\"ed\":\"2800\",\"onebest\":\"第一句\",\"speaker\":\"1\"},)"
    R"({\"bg\":\"3000\",\"ed\":\"3723004\",\"onebest\":\"second\",\"speaker\":\"0\"}]"})";

class WaveToText : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Server().Reset();
        ScriptTranscription(Server(), "task-7", kSentences);
        m_object.InitEnv(QString::fromUtf8(kAppId), QString::fromUtf8(kKey));
    }

    FakeServer& Server() { return m_env.Server(); }

    QString Audio(const char* name = "speech.wav", const std::string& bytes = std::string("RIFF\0\r\n\x1a", 8))
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        return path;
    }

    QString Srt(const char* name = "speech.srt") const { return m_dir.filePath(QString::fromUtf8(name)); }

    static std::string ReadAll(const QString& path) { return ReadBytes(path).toStdString(); }

    // The task manager's part: the subtitles are written from the callback that reports the end.
    void SaveOnFinish(ProgressRecorder& reports)
    {
        reports.onCode = [this](int32_t code) {
            if (code == 9)
                m_object.SaveToSrtFile();
        };
    }

    static void ExpectSigned(const RecordedRequest& request, const std::string& appId, const std::string& key)
    {
        const auto field = [&](const char* name) {
            if (const auto found = request.files.find(name); found != request.files.end())
                return found->second.content;
            const auto found = request.params.find(name);
            return found == request.params.end() ? std::string("<none>") : found->second;
        };
        EXPECT_EQ(field("app_id"), appId) << request.path;
        EXPECT_EQ(field("signa"), ExpectedSigna(appId, key, field("ts"))) << request.path;
        EXPECT_LE(std::llabs(std::stoll(field("ts")) - std::time(nullptr)), 60) << "ts: the second it was signed in";
    }

    TestEnvironment& m_env = TestEnvironment::Get();
    QTemporaryDir m_dir;
    CWaveToText m_object;
};

TEST_F(WaveToText, AWholeRunSignsEveryRequestUploadsTheFileAndWritesTheSubtitles)
{
    // A poll without a readable answer is no end: it is reported and asked again.
    Server().ReplyInTurn("POST", kProgress, {R"({"err_no":[0]})", ProgressReply(4), ProgressReply(9)});
    const std::string bytes("RIFF\0\r\n\x1a-audio-", 15);
    const QString audio = Audio("会议 录音.wav", bytes);
    ProgressRecorder reports;
    SaveOnFinish(reports);
    ASSERT_EQ(m_object.Start(audio, Srt(), 50, &ProgressRecorder::Record, &reports), 0);
    EXPECT_EQ(m_object.GetTaskID(), QStringLiteral("task-7"));
    ASSERT_TRUE(reports.WaitForCodes(3));
    EXPECT_EQ(m_object.Stop(), 0);
    EXPECT_EQ(reports.Codes(), (std::vector<int32_t>{-1, 3, 9}));

    const std::vector<RecordedRequest> requests = Server().Requests();
    std::vector<std::string> paths;
    for (const RecordedRequest& request : requests)
        paths.push_back(request.path);
    EXPECT_EQ(paths, (std::vector<std::string>{kPrepare, kUpload, kMerge, kProgress, kProgress, kProgress, kResult}));

    const std::vector<std::string> asked = {"app_id", "signa", "task_id", "ts"}; // the polls and the result
    const std::vector<std::vector<std::string>> names = {
        {"app_id", "file_len", "file_name", "signa", "slice_num", "ts"}, {},
        {"app_id", "file_name", "signa", "task_id", "ts"}, asked, asked, asked, asked};
    for (size_t i = 0; i < requests.size() && i < names.size(); ++i) {
        SCOPED_TRACE(requests[i].target);
        EXPECT_EQ(requests[i].method, "POST");
        EXPECT_EQ(QueryNames(requests[i].target), names[i]) << "parameters by name, and only in the query";
        ExpectSigned(requests[i], kAppId, kKey);
        if (i != 1) {
            EXPECT_EQ(requests[i].contentType, "application/x-www-form-urlencoded; charset=UTF-8");
            EXPECT_EQ(requests[i].body, "");
        }
    }
    EXPECT_EQ(requests[0].params.find("file_name")->second, "会议 录音.wav");
    EXPECT_EQ(requests[0].params.find("file_len")->second, "15");
    EXPECT_EQ(requests[0].params.find("slice_num")->second, "1");
    EXPECT_EQ(requests[2].params.find("file_name")->second, audio.toStdString()) << "the merge names the full path";
    for (size_t i = 2; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].params.find("task_id")->second, "task-7");

    const RecordedRequest& upload = requests[1];
    EXPECT_EQ(upload.target, kUpload) << "the upload carries no query";
    EXPECT_EQ(upload.contentType.rfind("multipart/form-data; boundary=----CppRestSdkClient", 0), 0u);
    ASSERT_EQ(upload.files.size(), 6u);
    const auto part = [&](const char* name) { return upload.files.find(name)->second; };
    EXPECT_EQ(part("slice_id").content, "aaaaaaaaaa");
    EXPECT_EQ(part("task_id").content, "task-7");
    EXPECT_EQ(part("content").content, bytes);
    EXPECT_EQ(part("content").content_type, "application/octet-stream");
    EXPECT_EQ(part("content").filename, "\xBB\xE1\xD2\xE9 \xC2\xBC\xD2\xF4.wav") << "the file name in code page 936";

    EXPECT_EQ(ReadAll(Srt()), "1\r\n00:00:01,500 --> 00:00:02,800\r\n第一句\r\n\r\n"
                              "2\r\n00:00:03,000 --> 01:02:03,004\r\nsecond\r\n\r\n");
    const std::optional<TransLogItem> record = GetSubtitlesLog().FindTask(QStringLiteral("task-7"));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->SrcInfo, audio);
    EXPECT_EQ(record->Stat, 2);
    EXPECT_EQ(record->Files, Srt());

    // A second run writes its own sentences only.
    Server().Reply("POST", kResult, 200,
                   R"({"err_no":0,"data":"[{\"bg\":\"0\",\"ed\":\"10\",\"onebest\":\"only\",\"speaker\":\"2\"}]"})");
    ProgressRecorder second;
    SaveOnFinish(second);
    ASSERT_EQ(m_object.Start(Audio(), Srt("second.srt"), 50, &ProgressRecorder::Record, &second), 0);
    ASSERT_TRUE(second.WaitForCodes(1));
    EXPECT_EQ(m_object.Stop(), 0);
    EXPECT_EQ(m_object.GetSrtFile(), Srt("second.srt"));
    EXPECT_EQ(ReadAll(Srt("second.srt")), "1\r\n00:00:00,000 --> 00:00:00,010\r\nonly\r\n\r\n");
}

TEST_F(WaveToText, AFileThatIsMissingOrCannotBeNamedInTheCodePageIsNotUploaded)
{
    EXPECT_EQ(m_object.Start(m_dir.filePath(QStringLiteral("missing.wav")), Srt(), 1000, nullptr, nullptr), -1);
    EXPECT_EQ(m_object.Start(m_dir.path(), Srt(), 1000, nullptr, nullptr), -1) << "a folder is no audio file";
    EXPECT_TRUE(Server().Requests().empty());

    EXPECT_EQ(m_object.Start(Audio("录音😀.wav"), Srt(), 1000, nullptr, nullptr), CWaveToText::UploadFailed);
    EXPECT_EQ(Server().RequestsTo(kUpload).size(), 0u);
    EXPECT_EQ(Server().RequestsTo(kMerge).size(), 0u);
}

TEST_F(WaveToText, PollingEndsAfterReportingAnyCodeButRunning)
{
    const std::pair<std::string, int32_t> cases[] = {
        {R"({"ok":-1,"err_no":26602,"failed":"no task"})", 26602},
        {R"({"ok":0,"err_no":0})", 0},
        {R"({"ok":0,"err_no":26605})", 26605},
        {ProgressReply(9), 9},
    };
    for (const auto& [reply, code] : cases) {
        SCOPED_TRACE(code);
        SetUp();
        Server().Reply("POST", kProgress, 200, reply);
        CWaveToText object;
        ProgressRecorder reports;
        ASSERT_EQ(object.Start(Audio(), Srt(), 50, &ProgressRecorder::Record, &reports), 0);
        ASSERT_TRUE(reports.WaitForCodes(1));
        // The poller ends by itself after that report: once it has, no query or report can follow.
        ASSERT_TRUE(TaskRun::WaitForAll(std::chrono::seconds(5)));
        EXPECT_EQ(reports.Codes(), std::vector<int32_t>{code});
        EXPECT_EQ(Server().RequestsTo(kProgress).size(), 1u);
        EXPECT_EQ(object.Start(Audio(), Srt(), 50, &ProgressRecorder::Record, &reports), -1)
            << "a run that ended by itself stays busy until Stop";
        EXPECT_EQ(object.Stop(), 0);
    }
}

TEST_F(WaveToText, StartIsRefusedWhilePollingStopEndsItPromptlyAndANewAccountSignsWhatFollows)
{
    Server().ReplyInTurn("POST", kProgress, {ProgressReply(3)});
    ProgressRecorder reports;
    // A one-minute interval: the first query goes out at once, the next not before Stop.
    ASSERT_EQ(m_object.Start(Audio(), Srt(), 60000, &ProgressRecorder::Record, &reports), 0);
    ASSERT_TRUE(reports.WaitForCodes(1));
    EXPECT_EQ(m_object.Start(Audio(), Srt(), 60000, &ProgressRecorder::Record, &reports), -1);
    EXPECT_EQ(Server().RequestsTo(kPrepare).size(), 1u);

    auto stopped = std::async(std::launch::async, [this] { return m_object.Stop(); });
    ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready) << "Stop waits for no interval";
    EXPECT_EQ(stopped.get(), 0);
    EXPECT_EQ(reports.Codes(), std::vector<int32_t>{3});

    ProgressRecorder again;
    EXPECT_EQ(m_object.Start(Audio(), Srt(), 50, &ProgressRecorder::Record, &again), 0) << "idle again after Stop";
    ASSERT_TRUE(again.WaitForCodes(1));
    // A new account signs the queries that follow it.
    m_object.InitEnv(QStringLiteral("second-app"), QStringLiteral("second-key"));
    ASSERT_TRUE(again.WaitForCodes(again.Codes().size() + 2));
    EXPECT_EQ(m_object.Stop(), 0);
    ExpectSigned(Server().RequestsTo(kProgress).back(), "second-app", "second-key");
}

TEST_F(WaveToText, StopDuringAQueryCancelsItAndNothingIsReportedAfterwards)
{
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    std::atomic<bool> queried{false};
    Server().On("POST", kProgress, [&, released](const httplib::Request&, httplib::Response& response) {
        queried = true;
        released.wait_for(10s);
        response.set_content(ProgressReply(9), "application/json");
    });
    ProgressRecorder reports;
    ASSERT_EQ(m_object.Start(Audio(), Srt(), 50, &ProgressRecorder::Record, &reports), 0);
    while (!queried)
        std::this_thread::sleep_for(5ms);

    auto stopped = std::async(std::launch::async, [this] { return m_object.Stop(); });
    const bool stoppedInTime = stopped.wait_for(5s) == std::future_status::ready;
    release->set_value();
    ASSERT_TRUE(stoppedInTime) << "Stop does not wait for the query's reply";
    EXPECT_EQ(stopped.get(), 0);
    EXPECT_TRUE(reports.Codes().empty());
}

TEST_F(WaveToText, ResultsThatReadAsNoSentencesLeaveTheCallersListAlone)
{
    struct Case
    {
        const char* reply;
        int32_t code;
        size_t count;
    };
    const Case cases[] = {
        {kSentences, 0, 2},
        {R"({"err_no":0,"data":"{\"not\":\"an array\"}"})", 0, 1},
        {R"({"err_no":0,"data":"[{\"bg\":1500}]"})", 0, 1},
        {R"({"err_no":26606,"failed":"empty"})", 26606, 1},
        {R"({"err_no":0,"data":[1,2]})", -1, 1},
        {"not json", -1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        Server().Reply("POST", kResult, 200, c.reply);
        std::vector<nsWtt::stWavResult> results(1);
        results[0].text = "kept";
        EXPECT_EQ(m_object.GetResult(results), c.code);
        EXPECT_EQ(results.size(), c.count);
    }
}

TEST_F(WaveToText, SaveMarksTheLogFirstAndWritesOnlyASubtitleFileOfAGoodResult)
{
    struct Case
    {
        const char* name;
        const char* result;
        const char* srt; // null: no file
        bool withPath;
    };
    const Case cases[] = {
        {"sentences", kOneSentence, "1\r\n00:00:01,500 --> 00:00:02,800\r\n第一句\r\n\r\n", true},
        {"no array", R"({"err_no":0,"data":"\"text\""})", "", true},
        {"refused", R"({"err_no":26604,"failed":"limit"})", nullptr, true},
        {"no path", kOneSentence, nullptr, false},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string taskId = "save-" + std::to_string(++run);
        ScriptTranscription(Server(), taskId, c.result);
        const QString srt = c.withPath ? Srt((taskId + ".srt").c_str()) : QString();
        ASSERT_EQ(m_object.Start(Audio(), srt, 0, nullptr, nullptr), 0);
        m_object.SaveToSrtFile();
        const std::optional<TransLogItem> record = GetSubtitlesLog().FindTask(QString::fromStdString(taskId));
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(record->Stat, 2);
        EXPECT_EQ(record->Files, srt);
        EXPECT_EQ(ReadAll(Srt((taskId + ".srt").c_str())), c.srt ? c.srt : "<missing>");
        EXPECT_FALSE(QFileInfo::exists(Srt((taskId + ".txt").c_str()))) << "no plain-text companion";
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QStringList{QStringLiteral("*.srt")}).size(), 2);
}

// The prepare's query: the size in whole ten-mebibyte slices, and the account and file encoded
// the way the URI builder encodes a query by default. (A "?" stays as it is too, but the fake
// server refuses a target with a second one.)
TEST_F(WaveToText, ThePrepareCountsSlicesAndPercentEncodesItsQueryByteForByte)
{
    Server().Reply("POST", kPrepare, 200, R"({"ok":-1,"err_no":"26600"})");
    const std::pair<qint64, const char*> cases[] = {{0, "0"}, {10485760, "1"}, {10485761, "2"}, {31457281, "4"}};
    for (const auto& [size, slices] : cases) {
        SCOPED_TRACE(size);
        const QString audio = Audio("sized.wav", "");
        ASSERT_TRUE(QFile::resize(audio, size));
        ASSERT_EQ(m_object.Start(audio, Srt(), 0, nullptr, nullptr), CWaveToText::PrepareFailed);
        const RecordedRequest prepare = Server().RequestsTo(kPrepare).back();
        EXPECT_EQ(prepare.params.find("file_len")->second, std::to_string(size));
        EXPECT_EQ(prepare.params.find("slice_num")->second, slices);
    }

    const char* const appId = "a+b&c=d%e;f/g:h@i 中~!$'()*,";
    m_object.InitEnv(QString::fromUtf8(appId), QStringLiteral("密钥+/="));
    ASSERT_EQ(m_object.Start(Audio("x y.wav"), Srt(), 0, nullptr, nullptr), CWaveToText::PrepareFailed);
    const RecordedRequest prepare = Server().RequestsTo(kPrepare).back();
    EXPECT_EQ(prepare.target.substr(0, prepare.target.find("&file_len")),
              kPrepare + "?app_id=a%2Bb%26c%3Dd%25e%3Bf/g:h@i%20%E4%B8%AD~!$'()*,");
    EXPECT_NE(prepare.target.find("&file_name=x%20y.wav&"), std::string::npos);
    const std::string signa = prepare.params.find("signa")->second;
    std::string encoded;
    for (char c : signa)
        encoded += c == '+' ? std::string("%2B") : c == '=' ? std::string("%3D") : std::string(1, c);
    EXPECT_NE(prepare.target.find("&signa=" + encoded + "&"), std::string::npos);
    ExpectSigned(prepare, appId, "密钥+/=");
}

// An unusable service address, in a child process with its own settings.
void ExpectUnreachable(const QString& url)
{
    ScratchFolders folders;
    TestEnvironment::WriteSettings(folders.App(), QStringLiteral("[FileTranscription]\nURL=%1\n").arg(url));
    const QString audio = folders.Work() + QStringLiteral("/a.wav");
    std::ofstream(audio.toStdString()) << "RIFF";
    CWaveToText object;
    object.InitEnv(QStringLiteral("id"), QStringLiteral("key"));
    std::exit(object.Start(audio, folders.Work() + QStringLiteral("/a.srt"), 1000, nullptr, nullptr) ==
                      CWaveToText::PrepareFailed
                  ? 0
                  : 1);
}

TEST(WaveToTextAddress, ServiceDownOrAddressUnusableFailsThePrepare)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* url : {"", "not an address", "ftp://127.0.0.1/api", "http://127.0.0.1:1/api"}) {
        SCOPED_TRACE(url);
        EXPECT_EXIT(ExpectUnreachable(QString::fromUtf8(url)), ::testing::ExitedWithCode(0), "");
    }
}

} // namespace
