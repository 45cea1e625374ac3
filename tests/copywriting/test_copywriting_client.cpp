#include "copywriting/CCopywritingNetOper.h"
#include "service/TaskRun.h"
#include "service/TransLog.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <iostream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Collects the completion handler's calls.
struct Completion
{
    std::promise<int32_t> code;
    std::atomic<int> calls{0};

    static void Handler(void* context, int32_t result)
    {
        auto* self = static_cast<Completion*>(context);
        if (self->calls++ == 0)
            self->code.set_value(result);
    }
};

class CopywritingClient : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Server().Reset();
        m_env.GrantTokens("chat-token");
        m_folder = m_env.WorkDir() + QStringLiteral("/Copywriting/");
    }

    // Runs one request to its end and returns the handler's code.
    int32_t Run(CCopywritingNetOper& client, const std::string& topic)
    {
        Completion done;
        client.SetCompletionHandler(&Completion::Handler);
        const int started = client.Start(topic, m_folder.toStdString(), &done);
        if (started != CCopywritingNetOper::Success)
            return started;
        auto future = done.code.get_future();
        if (future.wait_for(40s) != std::future_status::ready)
            return 0;
        return future.get();
    }

    void ReplyChat(int status, const std::string& body)
    {
        m_env.Server().Reply("POST", TestEnvironment::kChatPath, status, body);
    }

    TestEnvironment& m_env = TestEnvironment::Get();
    QString m_folder;
};

TEST_F(CopywritingClient, GeneratedTextBecomesAFileAndALogRecord)
{
    ReplyChat(200, R"({"error_code":0,"result":"春天来了。\n新品发布！"})");
    CCopywritingNetOper client;
    ASSERT_EQ(Run(client, "第一行\r\n第二行 & \"引号\""), CCopywritingNetOper::Success) << client.GetErrorText();

    const auto chats = m_env.Server().RequestsTo(TestEnvironment::kChatPath);
    ASSERT_EQ(chats.size(), 1u);
    EXPECT_EQ(chats[0].target, std::string(TestEnvironment::kChatPath) + "?access_token=chat-token");
    EXPECT_EQ(chats[0].contentType, "application/json");
    EXPECT_EQ(chats[0].body, R"({"messages":[{"content":"第一行\r\n第二行 & \"引号\"","role":"user"}]})");

    EXPECT_EQ(client.ResultText(), "春天来了。\n新品发布！");
    const QString path = QString::fromStdString(client.OutputPath());
    EXPECT_TRUE(path.startsWith(m_folder));
    EXPECT_TRUE(QFileInfo(path).fileName().contains(QRegularExpression(QStringLiteral(
        "^\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\.txt$"))));
    EXPECT_EQ(ReadBytes(path), QByteArray("春天来了。\n新品发布！"));

    bool logged = false;
    for (const TransLogItem& item : GetCopywritingLog().Items())
        logged = logged || (item.SrcInfo == QStringLiteral("第一行|第二行 & \"引号\"") && item.Files == path);
    EXPECT_TRUE(logged) << "the record carries the topic with '|' for the line break and the file";
}

TEST_F(CopywritingClient, AnIntegerResultIsWrittenInDecimal)
{
    ReplyChat(200, R"({"result":42})");
    CCopywritingNetOper client;
    ASSERT_EQ(Run(client, "数字"), CCopywritingNetOper::Success);
    EXPECT_EQ(ReadBytes(QString::fromStdString(client.OutputPath())), QByteArray("42"));
}

struct FailureCase
{
    const char* name;
    int status;
    const char* body;
    const char* error; // expected text, or the start of it when prefix is set
    bool prefix;
};

TEST_F(CopywritingClient, FailedRequestsReportMinusTwoWithAMessage)
{
    const FailureCase cases[] = {
        {"table code", 200, R"({"error_code":336101,"error_msg":"bad method"})", "非法的HTTP Method", false},
        {"token code", 200, R"({"error_code":110,"error_msg":"x"})", "access_token无效", false},
        {"unknown code", 200, R"({"error_code":5,"result":"ignored"})", "未知错误", false},
        {"status", 503, R"({"error":"busy"})", "文案服务请求失败，HTTP状态码：503", false},
        {"no result", 200, R"({"id":"as-1"})", "文案服务没有返回生成的文本，请稍后重试", false},
        {"empty result", 200, R"({"result":""})", "文案服务没有返回生成的文本，请稍后重试", false},
        {"malformed", 200, R"({"result":"trunc)", "文案服务的回复格式有误：", true},
        {"result object", 200, R"({"result":{"text":"x"}})", "文案服务的回复格式有误：", true},
        {"code as text", 200, R"({"error_code":"336003","result":"x"})", "文案服务的回复格式有误：", true},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReplyChat(c.status, c.body);
        const qsizetype logged = GetCopywritingLog().ItemCount();
        CCopywritingNetOper client;
        EXPECT_EQ(Run(client, "话题"), CCopywritingNetOper::RequestFailed);
        const std::string error = client.GetErrorText();
        if (c.prefix)
            EXPECT_TRUE(error.rfind(c.error, 0) == 0 && error.size() > std::string(c.error).size()) << error;
        else
            EXPECT_EQ(error, c.error);
        EXPECT_EQ(GetCopywritingLog().ItemCount(), logged) << "a failure is not logged";
    }
}

TEST_F(CopywritingClient, NoTokenMeansNotStartedAndNoHandlerCall)
{
    m_env.Server().Reply("POST", TestEnvironment::kTokenPath, 401, R"({"error":"invalid_client"})");
    CCopywritingNetOper client;
    Completion done;
    client.SetCompletionHandler(&Completion::Handler);
    EXPECT_EQ(client.Start("话题", m_folder.toStdString(), &done), CCopywritingNetOper::NoToken);
    EXPECT_EQ(client.GetErrorText(), "Token获取失败，请检查配置文件，错误代码：401");
    ASSERT_TRUE(TaskRun::WaitForAll(std::chrono::seconds(5)));
    EXPECT_EQ(done.calls, 0);
    EXPECT_TRUE(m_env.Server().RequestsTo(TestEnvironment::kChatPath).empty());
}

TEST_F(CopywritingClient, DestroyingTheClientEndsARunningRequestWithoutACallback)
{
    m_env.Server().Stall("POST", TestEnvironment::kChatPath);
    Completion done;
    {
        CCopywritingNetOper client;
        client.SetCompletionHandler(&Completion::Handler);
        ASSERT_EQ(client.Start("慢", m_folder.toStdString(), &done), CCopywritingNetOper::Success);
        for (int i = 0; i < 2000 && m_env.Server().RequestsTo(TestEnvironment::kChatPath).empty(); ++i)
            std::this_thread::sleep_for(10ms);
        ASSERT_FALSE(m_env.Server().RequestsTo(TestEnvironment::kChatPath).empty());
    }
    EXPECT_EQ(m_env.Server().Answered(TestEnvironment::kChatPath), 0u)
        << "the destructor waited for the reply instead of cancelling";
    EXPECT_EQ(done.calls, 0);
}

TEST_F(CopywritingClient, ASecondRequestReusesTheClient)
{
    CCopywritingNetOper client;
    ReplyChat(200, R"({"error_code":1})");
    EXPECT_EQ(Run(client, "一"), CCopywritingNetOper::RequestFailed);
    EXPECT_EQ(client.GetErrorText(), "服务器内部错误");
    ReplyChat(200, R"({"result":"第二次"})");
    EXPECT_EQ(Run(client, "二"), CCopywritingNetOper::Success);
    EXPECT_EQ(client.ResultText(), "第二次");
    EXPECT_EQ(client.GetErrorText(), "服务器内部错误") << "the last message stays until a later failure";
    EXPECT_EQ(m_env.Server().RequestsTo(TestEnvironment::kTokenPath).size(), 2u) << "a token per task";
}

// A chat address that cannot be used, in a child process with its own settings. The child's exit
// status is worked out first, so that the client's worker and the token server are joined before
// the process exits.
int ChatFailureStatus(const QString& chatUrl)
{
    ScratchFolders folders;
    FakeServer tokens;
    tokens.Reply("POST", "/token", 200, R"({"access_token":"t"})");
    TestEnvironment::WriteSettings(folders.App(), QStringLiteral("[Token]\nURL=%1\n[Copywriting]\nURL=%2\n")
                                                      .arg(QString::fromStdString(tokens.Url("/token")), chatUrl));
    Completion done;
    CCopywritingNetOper client;
    client.SetCompletionHandler(&Completion::Handler);
    if (client.Start("话题", (folders.Work() + QLatin1Char('/')).toStdString(), &done) != 1)
        return 2;
    const int32_t code = done.code.get_future().get();
    std::cerr << "code " << code << " error " << client.GetErrorText() << '\n';
    return code == -2 && !client.GetErrorText().empty() ? 0 : 1;
}

void ExpectChatFailure(const QString& chatUrl)
{
    std::exit(ChatFailureStatus(chatUrl));
}

TEST(CopywritingAddress, UnusableAddressesFailTheRequest)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* url : {"http://127.0.0.1:1/chat", "", "ftp://127.0.0.1/chat", "not an address"}) {
        SCOPED_TRACE(url);
        EXPECT_EXIT(ExpectChatFailure(QString::fromUtf8(url)), ::testing::ExitedWithCode(0), "");
    }
}

} // namespace
