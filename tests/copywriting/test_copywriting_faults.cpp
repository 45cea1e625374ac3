// Every way the token and chat services can fail a generation, and what the user is told.
#include "copywriting/CCopywritingNetOper.h"
#include "service/RestClient.h"
#include "service/TransLog.h"
#include "support/FaultEnvironment.h"
#include "support/FaultMatrix.h"

#include <QDir>

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace {

using namespace std::chrono_literals;

enum class Step { Token, Chat };
constexpr const char* kSteps[] = {"Token", "Chat"};
// start: what Start or, once started, the completion handler gives.
using Cell = FaultCell<Step, kSteps>;

const char* const kChatMalformed = "文案服务的回复格式有误：";

const std::vector<Cell> kCells = Cells<Cell>({TokenCells<Cell>(Step::Token, -1), {
    {Step::Chat, Fault::Refused, {-2, 0, kConnect, true}},
    {Step::Chat, Fault::Status500, {-2, 0, "文案服务请求失败，HTTP状态码：500"}},
    {Step::Chat, Fault::Slow, {-2, 0, kTimedOut, true}},
    {Step::Chat, Fault::NotJson, {-2, 0, kChatMalformed, true}},
    {Step::Chat, Fault::WrongTypes, {-2, 0, kChatMalformed, true}},
    {Step::Chat, Fault::Truncated, {-2, 0, kChatMalformed, true}},
    {Step::Chat, Fault::ClosedMidReply, {-2, 0, kCut}},
    {Step::Chat, Fault::Huge, {-2, 0, kTooLarge}},
}});

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
        m_env.ServeToken(cell.fault);
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
    EXPECT_EQ(code, cell.expect.start);
    ExpectErrorText(client.GetErrorText(), cell.expect);
    EXPECT_TRUE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(GetCopywritingLog().ItemCount(), logged) << "only a generated text is logged";
}

INSTANTIATE_TEST_SUITE_P(Matrix, CopywritingFaults, ::testing::ValuesIn(kCells), Cell::TestName);

} // namespace
