#include "copywriting/CopywritingTask.h"
#include "service/AccessToken.h"
#include "service/ServiceTask.h"
#include "service/TransLog.h"
#include "support/Delivery.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;

class CopywritingClient : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Server().Reset();
        m_env.GrantTokens("chat-token");
        m_folder = m_env.WorkDir() + QStringLiteral("/Copywriting/");
    }

    // Starts one generation as the window and the command line do.
    void Start(ServiceTask& task, const QString& topic)
    {
        QObject::connect(&task, &ServiceTask::ended, &task, [this](const TaskEnd& end) { m_end = end; });
        m_end.reset();
        ASSERT_TRUE(task.Start(CopywritingTask::Make(topic, m_folder)));
    }

    // Its end, once delivered; a failure without a code when none came in time.
    TaskEnd WaitForEnd(ServiceTask& task)
    {
        DeliverUntil(&task, [this] { return m_end.has_value(); }, 40s);
        return m_end.value_or(TaskEnd::Failure(TaskError::Kind::None, 0, QStringLiteral("no end")));
    }

    TaskEnd Run(const QString& topic)
    {
        ServiceTask task;
        Start(task, topic);
        return WaitForEnd(task);
    }

    void ReplyChat(int status, const std::string& body)
    {
        m_env.Server().Reply("POST", TestEnvironment::kChatPath, status, body);
    }

    TestEnvironment& m_env = TestEnvironment::Get();
    QString m_folder;
    std::optional<TaskEnd> m_end;
};

TEST_F(CopywritingClient, GeneratedTextBecomesAFileAndALogRecord)
{
    ReplyChat(200, R"({"error_code":0,"result":"春天来了。\n新品发布！"})");
    const TaskEnd end = Run(QStringLiteral("第一行\r\n第二行 & \"引号\""));
    ASSERT_TRUE(end.Succeeded()) << end.error.text.toStdString();

    const auto chats = m_env.Server().RequestsTo(TestEnvironment::kChatPath);
    ASSERT_EQ(chats.size(), 1u);
    EXPECT_EQ(chats[0].target, std::string(TestEnvironment::kChatPath) + "?access_token=chat-token");
    EXPECT_EQ(chats[0].contentType, "application/json");
    EXPECT_EQ(chats[0].body, R"({"messages":[{"content":"第一行\r\n第二行 & \"引号\"","role":"user"}]})");

    const CopywritingTask::Result result = CopywritingTask::ResultOf(end);
    EXPECT_EQ(result.text, QStringLiteral("春天来了。\n新品发布！"));
    EXPECT_TRUE(result.path.startsWith(m_folder));
    EXPECT_TRUE(QFileInfo(result.path).fileName().contains(QRegularExpression(QStringLiteral(
        "^\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\.txt$"))));
    EXPECT_EQ(ReadBytes(result.path), QByteArray("春天来了。\n新品发布！"));

    bool logged = false;
    for (const TransLogItem& item : GetCopywritingLog().Items())
        logged = logged || (item.SrcInfo == QStringLiteral("第一行|第二行 & \"引号\"") && item.Files == result.path);
    EXPECT_TRUE(logged) << "the record carries the topic with '|' for the line break and the file";
}

TEST_F(CopywritingClient, AnIntegerResultIsWrittenInDecimal)
{
    ReplyChat(200, R"({"result":42})");
    const TaskEnd end = Run(QStringLiteral("数字"));
    ASSERT_TRUE(end.Succeeded()) << end.error.text.toStdString();
    EXPECT_EQ(ReadBytes(CopywritingTask::ResultOf(end).path), QByteArray("42"));
}

struct FailureCase
{
    const char* name;
    int status;
    const char* body;
    const char* error; // expected text, or the start of it when prefix is set
    bool prefix;
    TaskError::Kind kind;
};

TEST_F(CopywritingClient, FailedRequestsReportMinusTwoWithAMessage)
{
    using Kind = TaskError::Kind;
    const FailureCase cases[] = {
        {"table code", 200, R"({"error_code":336101,"error_msg":"bad method"})", "非法的HTTP Method", false, Kind::Service},
        {"token code", 200, R"({"error_code":110,"error_msg":"x"})", "access_token无效", false, Kind::Service},
        {"unknown code", 200, R"({"error_code":5,"result":"ignored"})", "未知错误", false, Kind::Service},
        {"status", 503, R"({"error":"busy"})", "文案服务请求失败，HTTP状态码：503", false, Kind::Status},
        {"no result", 200, R"({"id":"as-1"})", "文案服务没有返回生成的文本，请稍后重试", false, Kind::Reply},
        {"empty result", 200, R"({"result":""})", "文案服务没有返回生成的文本，请稍后重试", false, Kind::Reply},
        {"malformed", 200, R"({"result":"trunc)", "文案服务的回复格式有误：", true, Kind::Reply},
        {"result object", 200, R"({"result":{"text":"x"}})", "文案服务的回复格式有误：", true, Kind::Reply},
        {"code as text", 200, R"({"error_code":"336003","result":"x"})", "文案服务的回复格式有误：", true, Kind::Reply},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReplyChat(c.status, c.body);
        const qsizetype logged = GetCopywritingLog().ItemCount();
        const TaskEnd end = Run(QStringLiteral("话题"));
        EXPECT_TRUE(end.Failed());
        EXPECT_EQ(end.error.code, CopywritingTask::kRequestFailed);
        EXPECT_EQ(end.error.kind, c.kind);
        EXPECT_TRUE(end.error.In(CopywritingTask::kCodes));
        const std::string error = end.error.text.toStdString();
        if (c.prefix)
            EXPECT_TRUE(error.rfind(c.error, 0) == 0 && error.size() > std::string(c.error).size()) << error;
        else
            EXPECT_EQ(error, c.error);
        EXPECT_EQ(GetCopywritingLog().ItemCount(), logged) << "a failure is not logged";
    }
}

TEST_F(CopywritingClient, NoTokenMeansNoChatRequest)
{
    m_env.Server().Reply("POST", TestEnvironment::kTokenPath, 401, R"({"error":"invalid_client"})");
    const TaskEnd end = Run(QStringLiteral("话题"));
    EXPECT_TRUE(end.Failed());
    EXPECT_EQ(end.error.code, CopywritingTask::kNoToken);
    EXPECT_EQ(end.error.text, QStringLiteral("Token获取失败，请检查配置文件，错误代码：401"));
    EXPECT_TRUE(m_env.Server().RequestsTo(TestEnvironment::kChatPath).empty());
}

TEST_F(CopywritingClient, StoppingEndsARunningRequestWithoutWaitingForItsReply)
{
    m_env.Server().Stall("POST", TestEnvironment::kChatPath);
    const qsizetype logged = GetCopywritingLog().ItemCount();
    ServiceTask task;
    Start(task, QStringLiteral("慢"));
    for (int i = 0; i < 2000 && m_env.Server().RequestsTo(TestEnvironment::kChatPath).empty(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_FALSE(m_env.Server().RequestsTo(TestEnvironment::kChatPath).empty());
    task.Stop();
    EXPECT_TRUE(WaitForEnd(task).Stopped());
    EXPECT_EQ(m_env.Server().Answered(TestEnvironment::kChatPath), 0u)
        << "the stop waited for the reply instead of cancelling";
    EXPECT_EQ(GetCopywritingLog().ItemCount(), logged);
}

TEST_F(CopywritingClient, ATokenIsKeptUntilItExpiresOrTheServiceRefusesIt)
{
    const auto tokenRequests = [&] { return m_env.Server().RequestsTo(TestEnvironment::kTokenPath).size(); };
    ForgetAccessTokens();
    const size_t before = tokenRequests();
    ReplyChat(200, R"({"error_code":1})");
    EXPECT_EQ(Run(QStringLiteral("一")).error.text, QStringLiteral("服务器内部错误"));
    ReplyChat(200, R"({"result":"第二次"})");
    const TaskEnd second = Run(QStringLiteral("二"));
    ASSERT_TRUE(second.Succeeded()) << second.error.text.toStdString();
    EXPECT_EQ(CopywritingTask::ResultOf(second).text, QStringLiteral("第二次"));
    EXPECT_EQ(tokenRequests(), before + 1) << "the second task asked for a token it had";

    // Refused as expired: one new token and one more try, which the service takes.
    m_env.Server().ReplyInTurn("POST", TestEnvironment::kChatPath,
                               {R"({"error_code":111,"error_msg":"expired"})", R"({"result":"第三次"})"});
    const TaskEnd third = Run(QStringLiteral("三"));
    ASSERT_TRUE(third.Succeeded()) << third.error.text.toStdString();
    EXPECT_EQ(tokenRequests(), before + 2);

    // A token whose reply does not say how long it lasts is used for its task alone.
    m_env.Server().Reply("POST", TestEnvironment::kTokenPath, 200, R"({"access_token":"once"})");
    ForgetAccessTokens();
    Run(QStringLiteral("四"));
    Run(QStringLiteral("五"));
    EXPECT_EQ(tokenRequests(), before + 4);
}

} // namespace
