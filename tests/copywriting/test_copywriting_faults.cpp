// Every way the token and chat services can fail a generation, and what the user is told.
#include "copywriting/CCopywritingNetOper.h"
#include "service/RestClient.h"
#include "service/TransLog.h"
#include "support/FaultEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace {

using namespace std::chrono_literals;

enum class Step { Token, Chat };

struct Cell
{
    Step step;
    Fault fault;
    int code;         // what Start or, once started, the completion handler gives
    const char* text; // the error text, or how it begins when prefix is set
    bool prefix = false;
};

std::string Name(const ::testing::TestParamInfo<Cell>& info)
{
    return std::string(info.param.step == Step::Token ? "Token" : "Chat") + FaultName(info.param.fault);
}

const char* const kConnect = FaultEnvironment::kConnectText;
const char* const kTimedOut = FaultEnvironment::kTimedOutText;
const char* const kCut = FaultEnvironment::kCutText;
const char* const kTooLarge = FaultEnvironment::kTooLargeText;

const Cell kCells[] = {
    {Step::Token, Fault::Refused, -1, kConnect},
    {Step::Token, Fault::Status500, -1, "Token获取失败，请检查配置文件，错误代码：500"},
    {Step::Token, Fault::Slow, -1, kTimedOut},
    {Step::Token, Fault::NotJson, -1, "Token服务的回复格式有误：", true},
    {Step::Token, Fault::WrongTypes, -1, "Token服务的回复格式有误：", true},
    {Step::Token, Fault::Truncated, -1, "Token服务的回复格式有误：", true},
    {Step::Token, Fault::ClosedMidReply, -1, kCut},
    {Step::Token, Fault::Huge, -1, kTooLarge},
    {Step::Chat, Fault::Refused, -2, kConnect},
    {Step::Chat, Fault::Status500, -2, "文案服务请求失败，HTTP状态码：500"},
    {Step::Chat, Fault::Slow, -2, kTimedOut},
    {Step::Chat, Fault::NotJson, -2, "文案服务的回复格式有误：", true},
    {Step::Chat, Fault::WrongTypes, -2, "文案服务的回复格式有误：", true},
    {Step::Chat, Fault::Truncated, -2, "文案服务的回复格式有误：", true},
    {Step::Chat, Fault::ClosedMidReply, -2, kCut},
    {Step::Chat, Fault::Huge, -2, kTooLarge},
};

struct Completion
{
    std::promise<int32_t> code;

    static void Handler(void* context, int32_t result)
    {
        static_cast<Completion*>(context)->code.set_value(result);
    }
};

class CopywritingFaults : public ::testing::TestWithParam<Cell>
{
protected:
    void SetUp() override
    {
        RestClient::SetRequestTimeout(FaultEnvironment::kRequestTimeout);
        m_env.Reset();
        m_env.Services().Server().Reply("POST", FaultEnvironment::kChatPath, 200, R"({"result":"生成的文案"})");
        m_folder = m_env.WorkDir() + QStringLiteral("/Copywriting/");
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder);
    }

    FaultEnvironment& m_env = FaultEnvironment::Get();
    QString m_folder;
};

TEST_P(CopywritingFaults, EndWithACodeAndAMessageAndNoFile)
{
    const Cell& cell = GetParam();
    if (cell.step == Step::Token)
        m_env.Tokens().Serve("POST", FaultEnvironment::kTokenPath, cell.fault, FaultEnvironment::TokenReply(),
                             R"({"access_token":["fault-token"]})");
    else
        m_env.Services().Serve("POST", FaultEnvironment::kChatPath, cell.fault, R"({"result":"生成的文案"})",
                               R"({"error_code":"336003","result":{"text":"x"}})");
    const qsizetype logged = GetCopywritingLog().ItemCount();

    Completion done;
    CCopywritingNetOper client;
    client.SetCompletionHandler(&Completion::Handler);
    int code = client.Start("话题", m_folder.toStdString(), &done);
    if (code == CCopywritingNetOper::Success) {
        auto future = done.code.get_future();
        ASSERT_EQ(future.wait_for(20s), std::future_status::ready) << "no end";
        code = future.get();
    }
    EXPECT_EQ(code, cell.code);
    const std::string error = client.GetErrorText();
    if (cell.prefix)
        EXPECT_TRUE(error.rfind(cell.text, 0) == 0 && error.size() > std::string(cell.text).size()) << error;
    else
        EXPECT_EQ(error, cell.text);
    EXPECT_TRUE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(GetCopywritingLog().ItemCount(), logged) << "only a generated text is logged";
}

INSTANTIATE_TEST_SUITE_P(Matrix, CopywritingFaults, ::testing::ValuesIn(kCells), Name);

} // namespace
