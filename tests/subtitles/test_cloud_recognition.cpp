#include "service/TaskRun.h"
#include "service/TransLog.h"
#include "subtitles/CAudio2TxtNetOper.h"
#include "subtitles/SrtWriter.h"
#include "support/Delivery.h"
#include "support/FileSizeLimit.h"
#include "support/ProgressRecorder.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;

const char* const kCreate = "/aasr/v1/create";
const char* const kQuery = "/aasr/v1/query";

// A query reply about one task; "@id" stands for the identifier of the test's task.
std::string Tasks(const std::string& status, const std::string& result = "")
{
    return R"({"log_id":2,"tasks_info":[{"task_id":"@id","task_status":")" + status + "\"" +
           (result.empty() ? "" : ",\"task_result\":" + result) + "}]}";
}

class CloudRecognition : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Server().Reset();
        m_env.GrantTokens("asr-token");
        m_env.Server().OnPrefix("PUT", m_storePrefix, [](const httplib::Request&, httplib::Response& response) {
            response.status = 200;
        });
        m_env.Server().OnPrefix("DELETE", m_storePrefix, [](const httplib::Request&, httplib::Response& response) {
            response.status = 204;
        });
        NextTask();
    }

    // The service names every task differently, so each task's log record is its own.
    void NextTask()
    {
        static std::atomic<int> count{0};
        m_taskId = "asr-" + std::to_string(++count);
        m_env.Server().Reply("POST", kCreate, 200,
                             R"({"log_id":1,"task_id":")" + m_taskId + R"(","task_status":"Created"})");
    }

    std::string WithId(std::string reply) const
    {
        for (size_t at = reply.find("@id"); at != std::string::npos; at = reply.find("@id"))
            reply.replace(at, 3, m_taskId);
        return reply;
    }

    std::optional<TransLogItem> Logged() const { return GetSubtitlesLog().FindTask(QString::fromStdString(m_taskId)); }

    QString Audio(const QString& name, const QByteArray& content = "ID3 fake audio")
    {
        const QString path = m_in.filePath(name);
        EXPECT_TRUE(WriteBytes(path, content));
        return path;
    }

    QString Srt(const char* name = "task.srt") const { return m_out.filePath(QString::fromLatin1(name)); }

    // Each query gets the next reply; the last one repeats.
    void ScriptQueries(std::vector<std::string> replies)
    {
        for (std::string& reply : replies)
            reply = WithId(reply);
        m_env.Server().ReplyInTurn("POST", kQuery, std::move(replies));
    }

    // Starts the client and polls it as a subtitle task's run does, every code recorded.
    int Start(CAudio2TxtNetOper& client, ProgressRecorder& progress, const QString& audio, const QString& srt,
              int32_t model = 80001)
    {
        StopPolling();
        const int started = client.Begin(audio.toStdString(), model, srt.toStdString());
        if (started != CAudio2TxtNetOper::Started)
            return started;
        m_polling.Start([&client, &progress](TaskControl& control) {
            while (!control.Stopping()) {
                const int32_t code = client.Poll(control.Token());
                if (control.Stopping())
                    break;
                ProgressRecorder::Record(&progress, code);
                if (code == CAudio2TxtNetOper::PollFinished || code == CAudio2TxtNetOper::PollError ||
                    !control.Pause(std::chrono::milliseconds(CAudio2TxtNetOper::kPollIntervalMs)))
                    break;
            }
        });
        return started;
    }
    // Ends the polling, cancelling a query in flight; 0.
    int StopPolling()
    {
        m_polling.StopAndWait();
        return 0;
    }

    size_t Count(const char* method) const
    {
        size_t count = 0;
        for (const RecordedRequest& request : m_env.Server().Requests())
            count += request.method == method ? 1 : 0;
        return count;
    }

    // The decoded path the store saw for the client's object.
    std::string StorePath(const CAudio2TxtNetOper& client) const { return m_storePrefix + client.GetObjectKey(); }

    TestEnvironment& m_env = TestEnvironment::Get();
    const std::string m_storePrefix = std::string("/") + TestEnvironment::kStoreBucket + "/";
    QTemporaryDir m_in;
    QTemporaryDir m_out;
    std::string m_taskId;
    TaskRun m_polling;
};

TEST_F(CloudRecognition, ASuccessfulTaskWritesBothFilesLogsAndDeletesTheObject)
{
    ScriptQueries({Tasks("Running"), R"({"log_id":2})",
                   Tasks("Success", R"({"result":["你好，","世界"],"detailed_result":[)"
                                    R"({"res":["你好，"],"begin_time":1500,"end_time":2800},)"
                                    R"({"res":["世","界"],"begin_time":3000,"end_time":3723004}]})")});
    ProgressRecorder progress;
    CAudio2TxtNetOper client;
    const QString audio = Audio(QStringLiteral("my file.MP3"), "0123456789");
    ASSERT_EQ(Start(client, progress, audio, Srt(), 80006), CAudio2TxtNetOper::Started) << client.GetErrorText();
    ASSERT_TRUE(progress.WaitForCodes(3));
    StopPolling();
    EXPECT_EQ(progress.Codes(), (std::vector<int32_t>{1, 1, 2}));

    // The object: a new GUID, an underscore and the name without its blank.
    const std::string key = client.GetObjectKey();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}_myfile\\.MP3$"))
                    .match(QString::fromStdString(key))
                    .hasMatch())
        << key;
    const auto puts = m_env.Server().RequestsTo(StorePath(client));
    ASSERT_EQ(puts.size(), 2u) << "the upload and, at the end, the delete";
    EXPECT_EQ(puts[0].method, "PUT");
    EXPECT_EQ(puts[0].body, "0123456789");
    EXPECT_EQ(puts[1].method, "DELETE");
    EXPECT_EQ(m_env.Server().Requests().back().method, "DELETE") << "deleted after the last poll";

    const auto creates = m_env.Server().RequestsTo(kCreate);
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0].params.find("access_token")->second, "asr-token");
    const web::json::value created = web::json::value::parse(creates[0].body);
    const std::string address = "https://test-bucket.127.0.0.1:" + std::to_string(m_env.Server().Port()) + "/" + key;
    EXPECT_EQ(created.at("speech_url").as_string(), address);
    EXPECT_EQ(client.GetSpeechUrl(), address);
    EXPECT_EQ(created.at("format").as_string(), "mp3");
    EXPECT_EQ(created.at("pid").as_integer(), 80006);
    EXPECT_EQ(created.at("rate").as_integer(), 16000);
    EXPECT_EQ(m_env.Server().RequestsTo(kQuery).front().body, WithId(R"({"task_ids":["@id"]})"));

    EXPECT_EQ(QString::fromUtf8(ReadBytes(Srt())),
              QStringLiteral("1\r\n00:00:01,500 --> 00:00:02,800\r\n你好，\r\n\r\n"
                             "2\r\n00:00:03,000 --> 01:02:03,004\r\n世界\r\n\r\n"));
    EXPECT_EQ(QString::fromUtf8(ReadBytes(m_out.filePath(QStringLiteral("task.txt")))), QStringLiteral("你好，世界"));
    EXPECT_EQ(client.GetResultText(), "你好，世界");
    ASSERT_EQ(client.GetLines().size(), 2u);
    EXPECT_EQ(client.GetTaskID(), m_taskId);
    const auto logged = Logged();
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->Stat, 2);
    EXPECT_EQ(logged->SrcInfo, audio);
    EXPECT_EQ(logged->Files, Srt());
}

// A disk that fills up while the subtitles are written: the task fails and says so, and no
// truncated file is left to be handed to the editor.
TEST_F(CloudRecognition, SubtitlesThatCannotBeWrittenWholeFailTheTaskAndLeaveNothing)
{
    const std::string sentence(6000, 'a');
    ScriptQueries({Tasks("Success", R"({"result":[")" + sentence + R"("],"detailed_result":[)"
                                    R"({"res":[")" + sentence + R"("],"begin_time":0,"end_time":2000}]})")});
    ProgressRecorder progress;
    CAudio2TxtNetOper client;
    const QString audio = Audio(QStringLiteral("full.mp3"));
    {
        FileSizeLimit full(4096);
        ASSERT_TRUE(full.IsSet());
        ASSERT_EQ(Start(client, progress, audio, Srt()), CAudio2TxtNetOper::Started) << client.GetErrorText();
        ASSERT_TRUE(progress.WaitForCodes(1));
        StopPolling();
    }
    EXPECT_EQ(progress.Codes(), std::vector<int32_t>{CAudio2TxtNetOper::PollError});
    EXPECT_EQ(client.GetErrorText().rfind("无法写入文件", 0), 0u) << client.GetErrorText();
    EXPECT_TRUE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    const auto logged = Logged();
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->Stat, -1);
}

TEST_F(CloudRecognition, SuccessesWithoutSentencesOrWithoutASubtitlePath)
{
    const struct
    {
        std::string result;
        const char* srtName; // null: no subtitle path
        const char* srt;
        const char* text;
    } cases[] = {
        {R"({"result":["只有文本"]})", "text-only.srt", "", "只有文本"},
        {R"({"detailed_result":[]})", "nothing.srt", "", ""},
        {R"({"result":["a"],"detailed_result":[{"res":["a"],"begin_time":0,"end_time":10}]})", nullptr, nullptr,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        NextTask();
        ScriptQueries({Tasks("Success", c.result)});
        ProgressRecorder progress;
        CAudio2TxtNetOper client;
        const QString srt = c.srtName ? Srt(c.srtName) : QString();
        ASSERT_EQ(Start(client, progress, Audio(QStringLiteral("a.mp3")), srt), CAudio2TxtNetOper::Started);
        ASSERT_TRUE(progress.WaitForCodes(1));
        StopPolling();
        EXPECT_EQ(progress.Codes(), std::vector<int32_t>{2});
        const auto logged = Logged();
        ASSERT_TRUE(logged);
        EXPECT_EQ(logged->Stat, 2);
        EXPECT_EQ(logged->Files, srt);
        if (c.srtName) {
            EXPECT_EQ(ReadBytes(srt), QByteArray(c.srt));
            EXPECT_EQ(ReadBytes(SrtWriter::CompanionPath(srt)), QByteArray(c.text));
        }
    }
    EXPECT_EQ(QDir(m_out.path()).entryList(QDir::Files).size(), 4) << "the empty path wrote nothing";
}

TEST_F(CloudRecognition, EachQueryReplyGivesItsCode)
{
    const struct
    {
        std::string reply;
        int32_t code;
        const char* error; // the whole error text, or with a leading '~' a part of it
    } cases[] = {
        {R"({"error_code":6,"error_msg":"x","error_info":["a","b"]})", 0, "xa;b;"},
        {R"({"error_code":6,"error_info":["a"]})", 0, "a;"},
        {R"({"error_code":7})", 0, "查询识别任务失败，错误代码：7"},
        {R"({"log_id":3,"error_msg":"fine"})", 1, "fine"},
        {Tasks("Running"), 1, ""},
        {Tasks("Failure", R"({"err_msg":"audio too short"})"), -1, "audio too short"},
        {Tasks("Failure", "{}"), -1, "识别任务失败，服务没有说明原因"},
        {Tasks("Success"), -1, "~task_result"},
        {Tasks("Failure"), -1, "~task_result"},
        {"[]", -1, "~不是JSON对象"},
        {R"({"tasks_info":[3]})", -1, "~不是JSON对象"},
        {R"({"error_code":6,"error_info":"a"})", -1, "~识别服务的回复格式有误："},
        {Tasks("Success", "\"x\""), -1, "~不是JSON对象"},
        {Tasks("Success", R"({"result":[1]})"), -1, "~识别服务的回复格式有误："},
        {Tasks("Success", R"({"detailed_result":[{"res":["a"],"begin_time":"10"}]})"), -1,
         "~识别服务的回复格式有误："},
        {Tasks("Success", R"({"detailed_result":[{"res":"a"}]})"), -1, "~识别服务的回复格式有误："},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        NextTask();
        m_env.Server().Reply("POST", kQuery, 200, WithId(c.reply));
        const size_t deletesBefore = Count("DELETE");
        ProgressRecorder progress;
        CAudio2TxtNetOper client;
        ASSERT_EQ(Start(client, progress, Audio(QStringLiteral("b.mp3")), Srt("b.srt")), CAudio2TxtNetOper::Started);
        ASSERT_TRUE(progress.WaitForCodes(1));
        // Stop returns once the worker has ended, so a task's end has deleted its object by now.
        StopPolling();
        EXPECT_EQ(progress.Codes().front(), c.code);
        const std::string error = client.GetErrorText();
        if (c.error[0] == '~')
            EXPECT_NE(error.find(c.error + 1), std::string::npos) << error;
        else
            EXPECT_EQ(error, c.error);
        const bool ended = c.code == CAudio2TxtNetOper::PollError;
        EXPECT_EQ(Count("DELETE") - deletesBefore, ended ? 1u : 0u);
        if (ended) {
            EXPECT_EQ(progress.Codes().size(), 1u) << "a failed task polls no more";
            ASSERT_TRUE(Logged());
            EXPECT_EQ(Logged()->Stat, -1);
            EXPECT_EQ(Logged()->Files, QString());
        }
    }
    EXPECT_FALSE(QFile::exists(Srt("b.srt")));
}

TEST_F(CloudRecognition, ACreateReplyWithoutATaskIdIsStillAStart)
{
    // The service's reply names no task: the start succeeds, and the polls (which a stop ends) say
    // what became of it.
    m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":9})");
    ProgressRecorder progress;
    CAudio2TxtNetOper client;
    EXPECT_EQ(Start(client, progress, Audio(QStringLiteral("a.mp3")), Srt()), CAudio2TxtNetOper::Started);
    EXPECT_TRUE(client.GetTaskID().empty());
    EXPECT_EQ(Count("DELETE"), 0u) << "the object stays while the task may still use it";
    StopPolling();
}

TEST_F(CloudRecognition, FailedStartsSayWhyAndCleanUpWhatTheyMade)
{
    const QString folder = m_in.filePath(QStringLiteral("a folder.mp3"));
    QDir().mkpath(folder);
    const struct
    {
        const char* name;
        std::function<void(FakeServer&)> script;
        QString audio;
        int result;
        const char* error;
        size_t puts;
        size_t creates;
    } cases[] = {
        {"token refused", [](FakeServer& s) { s.Reply("POST", TestEnvironment::kTokenPath, 401, "{}"); },
         Audio(QStringLiteral("a.mp3")), -1, "Token获取失败，请检查配置文件，错误代码：401", 0, 0},
        {"store refuses",
         [this](FakeServer& s) {
             s.OnPrefix("PUT", m_storePrefix, [](const httplib::Request&, httplib::Response& r) { r.status = 403; });
         },
         Audio(QStringLiteral("my file.mp3")), -2, "my file.mp3上传失败!", 1, 0},
        {"missing audio", [](FakeServer&) {}, m_in.filePath(QStringLiteral("missing.mp3")), -2, "missing.mp3上传失败!",
         0, 0},
        {"unreadable audio", [](FakeServer&) {}, folder, -2, "a folder.mp3上传失败!", 0, 0},
        {"create refused",
         [](FakeServer& s) { s.Reply("POST", kCreate, 200, R"({"error_code":3,"error_msg":"bad format"})"); },
         Audio(QStringLiteral("a.mp3")), -3, "创建识别任务失败，错误代码：3，bad format", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.script(m_env.Server());
        ProgressRecorder progress;
        CAudio2TxtNetOper client;
        EXPECT_EQ(Start(client, progress, c.audio, Srt()), c.result);
        EXPECT_EQ(client.GetErrorText(), c.error);
        EXPECT_EQ(Count("PUT"), c.puts);
        EXPECT_EQ(m_env.Server().RequestsTo(kCreate).size(), c.creates);
        // An object that was stored but names no task is removed again, under the key it was stored under.
        const bool stored = c.result == CAudio2TxtNetOper::NotCreated;
        EXPECT_EQ(Count("DELETE"), stored ? 1u : 0u);
        if (stored) {
            EXPECT_EQ(m_env.Server().RequestsTo(StorePath(client)).size(), 2u);
        }
        StopPolling();
        EXPECT_TRUE(m_env.Server().RequestsTo(kQuery).empty());
        EXPECT_TRUE(progress.Codes().empty());
    }
}

TEST_F(CloudRecognition, StoppingOrRestartingDuringPollingIsSilentAndKeepsTheObject)
{
    // Queries hang until released, as a slow service's would.
    const auto release = std::make_shared<std::atomic<bool>>(false);
    m_env.Server().On("POST", kQuery, [release](const httplib::Request&, httplib::Response& response) {
        for (int i = 0; i < 2000 && !*release; ++i)
            std::this_thread::sleep_for(5ms);
        response.set_content(R"({"tasks_info":[{"task_status":"Success","task_result":{}}]})", "application/json");
    });
    ProgressRecorder progress;
    CAudio2TxtNetOper client;
    ASSERT_EQ(Start(client, progress, Audio(QStringLiteral("c.mp3")), Srt("c.srt")), CAudio2TxtNetOper::Started);
    ASSERT_TRUE(DeliverUntil(nullptr, [this] { return m_env.Server().RequestsTo(kQuery).size() >= 1; }));
    const std::string firstKey = client.GetObjectKey();

    // A new start stops the old worker first and stores the audio anew.
    ASSERT_EQ(Start(client, progress, Audio(QStringLiteral("c.mp3")), Srt("c.srt")), CAudio2TxtNetOper::Started);
    EXPECT_NE(client.GetObjectKey(), firstKey);
    EXPECT_EQ(Count("PUT"), 2u);
    ASSERT_TRUE(DeliverUntil(nullptr, [this] { return m_env.Server().RequestsTo(kQuery).size() >= 2; }));

    EXPECT_EQ(StopPolling(), 0);
    *release = true;
    // The stop has ended the worker; once no run is left, nothing can report, poll or write.
    ASSERT_TRUE(TaskRun::WaitForAll(std::chrono::seconds(5)));
    EXPECT_TRUE(progress.Codes().empty());
    EXPECT_EQ(Count("DELETE"), 0u);
    EXPECT_EQ(m_env.Server().RequestsTo(kQuery).size(), 2u) << "no poll after Stop";
    EXPECT_FALSE(QFile::exists(Srt("c.srt")));
}

} // namespace
