#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "dubbing/LongSpeechTask.h"
#include "service/PolledSteps.h"
#include "service/TaskRun.h"
#include "service/TransLog.h"
#include "support/MessageSink.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <vector>

namespace {

const char* const kCreate = "/tts/v1/create";
const char* const kQuery = "/tts/v1/query";

class DubbingClients : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Server().Reset();
        m_env.GrantTokens("tts-token");
    }

    QString Output(const char* name) const
    {
        return m_out.filePath(QString::fromLatin1(name));
    }

    // Waits (bounded) until the server has received a request to path.
    bool WaitForRequest(const std::string& path)
    {
        return m_sink.WaitUntil([this, path] { return !m_env.Server().RequestsTo(path).empty(); });
    }

    // The voice is below one, which the service knows as voice 0.
    static CTxt2AudioNetOper::Request Long(const QString& path)
    {
        return {"长文本\r\n第二段", path.toStdString(), "mp3-16k", -1, 6, 7, 8};
    }
    // The long task as the windows and the command line run it, with what it reported.
    struct LongRun
    {
        explicit LongRun(const QString& path)
            : task(LongSpeechTask::Make({QStringLiteral("长文本\r\n第二段"), path, 6, 7, 8, -1, 3}))
        {
            QObject::connect(&task, &Task::progress, [this](int code, const QString&) { codes.push_back(code); });
            QObject::connect(&task, &Task::ended, [this](const TaskEnd& done) { end = done; });
            task.Start();
        }
        bool WaitForEnd() { return DeliverUntil(&task, [this] { return end.has_value(); }); }

        ServiceTask task;
        std::vector<int> codes;
        std::optional<TaskEnd> end;
    };

    TestEnvironment& m_env = TestEnvironment::Get();
    QTemporaryDir m_out;
    MessageSink m_sink;
};

TEST_F(DubbingClients, ShortFormCarriesEveryFieldAndTheTextIntact)
{
    m_env.Server().Reply("POST", TestEnvironment::kShortSpeechPath, 200, std::string(4000, 'A'), "audio/mp3");
    CTxt2AudioShortNetOper client;
    std::string error;
    const QString path = Output("Audio.mp3");
    ASSERT_TRUE(client.Synthesize("a&b=c+d%e 中\r\n文", error, path.toStdString(), 5, 6, 7, -1, 3)) << error;

    const auto requests = m_env.Server().RequestsTo(TestEnvironment::kShortSpeechPath);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].contentType, "text/plain; charset=utf-8");
    EXPECT_EQ(requests[0].body, "tex=a%26b%3Dc%2Bd%25e%20%E4%B8%AD%0D%0A%E6%96%87&lan=zh&cuid=test-cuid&ctp=1&spd=5"
                                "&pit=6&vol=7&per=0&aue=3&tok=tts-token");
    httplib::Params fields;
    httplib::detail::parse_query_text(requests[0].body, fields);
    EXPECT_EQ(fields.find("tex")->second, "a&b=c+d%e 中\r\n文") << "a form parser gets the text back unchanged";

    EXPECT_EQ(QFileInfo(path).size(), 4000);
    bool logged = false;
    for (const TransLogItem& item : GetDubbingLog().Items())
        logged = logged || (item.SrcInfo == QStringLiteral("a&b=c+d%e 中|文") && item.Files == path);
    EXPECT_TRUE(logged);
}

TEST_F(DubbingClients, ShortRepliesOfTwoHundredBytesOrLessAreErrors)
{
    const struct
    {
        size_t bytes;
        bool audio;
    } cases[] = {{200, false}, {201, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        m_env.Server().Reply("POST", TestEnvironment::kShortSpeechPath, 200, std::string(c.bytes, 'x'), "audio/wav");
        CTxt2AudioShortNetOper client;
        std::string error;
        const QString path = Output(c.audio ? "yes.wav" : "no.wav");
        EXPECT_EQ(client.Synthesize("文本", error, path.toStdString(), 5, 5, 5, 1, 6), c.audio);
        EXPECT_EQ(QFile::exists(path), c.audio) << "no broken audio file is left behind";
        EXPECT_EQ(error.empty(), c.audio);
        EXPECT_NE(m_env.Server().RequestsTo(TestEnvironment::kShortSpeechPath).back().body.find("&per=1&"),
                  std::string::npos) << "voice one is sent as itself";
    }
    m_env.Server().Reply("POST", TestEnvironment::kShortSpeechPath, 200, R"({"err_no":502,"err_msg":"token invalid"})");
    CTxt2AudioShortNetOper client;
    std::string error;
    EXPECT_FALSE(client.Synthesize("文本", error, Output("e.mp3").toStdString(), 5, 5, 5, 1, 3));
    EXPECT_EQ(error, "语音合成失败：token invalid");
}

// Codes the service's table does not know are explained all the same.
TEST_F(DubbingClients, ACreateReplyRefusesWithAReasonOrStartsPolling)
{
    m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":1,"error_code":999,"error_msg":"?"})");
    {
        CTxt2AudioNetOper client(Long(Output("x.mp3")));
        EXPECT_EQ(client.Start(), CTxt2AudioNetOper::NotCreated);
        EXPECT_EQ(client.GetErrorText(), "错误信息:未知错误。");
        const QList<TransLogItem> items = GetDubbingLog().Items();
        ASSERT_FALSE(items.isEmpty());
        EXPECT_EQ(items.back().Files, QStringLiteral("错误信息:未知错误。")) << "the log's files hold the reason";
        EXPECT_EQ(items.back().SrcInfo, QStringLiteral("长文本|第二段"));
    }
    EXPECT_TRUE(m_env.Server().RequestsTo(kQuery).empty());

    // A reply that refuses nothing is a creation, with or without a task identifier: it polls. The
    // client destroyed during a poll neither waits for the reply nor reports anything.
    m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":1})");
    m_env.Server().Stall("POST", kQuery);
    std::vector<int> codes;
    {
        LongRun run(Output("x.mp3"));
        ASSERT_TRUE(WaitForRequest(kQuery));
        QCoreApplication::sendPostedEvents();
        codes = run.codes;
        EXPECT_FALSE(run.end) << "the task ended while its poll waited";
    }
    EXPECT_EQ(m_env.Server().Answered(kQuery), 0u) << "destruction waited for the reply instead of cancelling";
    EXPECT_EQ(codes, (std::vector<int>{PolledSteps::kCreated})) << "nothing but the creation was reported";
}

TEST_F(DubbingClients, LongTaskPollsUntilSuccessThenDownloads)
{
    m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":5,"task_id":"t-1","task_status":"Created"})");
    m_env.Server().Reply("GET", "/speech/t-1.mp3", 200, std::string(3000, 'M'), "audio/mp3");
    const std::string url = m_env.Server().Url("/speech/t-1.mp3") + "?sign=1";
    m_env.Server().ReplyInTurn("POST", kQuery,
        {R"({"log_id":6,"tasks_info":[{"task_id":"t-1","task_status":"Running"}]})",
         R"({"log_id":6})",
         R"({"log_id":7,"tasks_info":[{"task_id":"t-1","task_status":"Success","task_result":{"speech_url":")" +
             url + R"("}}]})"});
    const QString path = Output("Audio_long.mp3");
    LongRun run(path);
    ASSERT_TRUE(run.WaitForEnd());
    ASSERT_TRUE(run.end->Succeeded()) << run.end->error.text.toStdString();
    EXPECT_EQ(run.codes, (std::vector<int>{PolledSteps::kCreated, 1, 1, 2}));
    EXPECT_EQ(QFileInfo(path).size(), 3000);
    EXPECT_EQ(run.end->value.toString(), path);

    const web::json::value created =
        web::json::value::parse(m_env.Server().RequestsTo(kCreate).front().body);
    EXPECT_EQ(created.at("text").at(0).as_string(), "长文本\r\n第二段");
    EXPECT_EQ(created.at("format").as_string(), "mp3-16k");
    EXPECT_EQ(created.at("voice").as_integer(), 0) << "a voice below one is sent as 0";
    EXPECT_EQ(created.at("lang").as_string(), "zh");
    EXPECT_EQ(created.at("enable_subtitle").as_integer(), 2);
    EXPECT_EQ(web::json::value::parse(m_env.Server().RequestsTo(kQuery).front().body).serialize(),
              R"({"task_ids":["t-1"]})");
    const auto logged = GetDubbingLog().FindTask(QStringLiteral("t-1"));
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->Stat, 2);
    EXPECT_EQ(logged->Files, path);
}

TEST_F(DubbingClients, StoppingDuringTheDownloadCancelsIt)
{
    m_env.Server().Reply("POST", kCreate, 200, R"({"task_id":"t-5"})");
    m_env.Server().Stall("GET", "/speech/stalled.mp3");
    m_env.Server().ReplyInTurn("POST", kQuery,
        {R"({"tasks_info":[{"task_id":"t-5","task_status":"Success","task_result":{"speech_url":")" +
             m_env.Server().Url("/speech/stalled.mp3") + R"("}}]})"});
    LongRun run(Output("stalled.mp3"));
    ASSERT_TRUE(WaitForRequest("/speech/stalled.mp3"));
    run.task.Stop();
    ASSERT_TRUE(run.WaitForEnd());
    EXPECT_TRUE(run.end->Stopped());
    EXPECT_EQ(m_env.Server().Answered("/speech/stalled.mp3"), 0u) << "Stop waited for the download";
    EXPECT_TRUE(std::find(run.codes.begin(), run.codes.end(), 2) == run.codes.end());
    EXPECT_EQ(GetDubbingLog().FindTask(QStringLiteral("t-5"))->Stat, 0);
    EXPECT_TRUE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "no file, not even a part";
}

// An unusable service address, in a child process with its own settings.
void ExpectUnusableAddress(const QString& url)
{
    ScratchFolders folders;
    FakeServer tokens;
    tokens.Reply("POST", "/token", 200, R"({"access_token":"t"})");
    TestEnvironment::WriteSettings(folders.App(), QStringLiteral("[Token]\nURL=%1\n[Txt2Audio]\nURL=%2\n")
                                                      .arg(QString::fromStdString(tokens.Url("/token")), url));
    CTxt2AudioNetOper client({"文本", (folders.Work() + QStringLiteral("/a.mp3")).toStdString(), "wav", 0, 5, 5, 5});
    const int result = client.Start();
    std::cerr << "result " << result << " error " << client.GetErrorText() << '\n';
    std::exit(result == CTxt2AudioNetOper::NotCreated && !client.GetErrorText().empty() ? 0 : 1);
}

TEST(DubbingAddress, EmptyOrMalformedAddressesFailTheStart)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* url : {"", "not an address", "ftp://127.0.0.1/tts", "http://127.0.0.1:1"}) {
        SCOPED_TRACE(url);
        EXPECT_EXIT(ExpectUnusableAddress(QString::fromUtf8(url)), ::testing::ExitedWithCode(0), "");
    }
}

} // namespace
