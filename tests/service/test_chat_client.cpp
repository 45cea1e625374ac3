#include "service/ChatClient.h"
#include "service/RestClient.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

namespace {

// Another tool's words, so that what comes from the caller and what from the service's table
// cannot be told apart by accident.
constexpr ChatClient::Wording kWording{"translation", "翻译请求失败：%d", "翻译结果为空", "翻译回复有误：",
                                       "翻译地址无效："};
constexpr const char* kPath = "/translate/v1";

class Chat : public ::testing::Test
{
protected:
    void SetUp() override { m_env.Server().Reset(); }

    // Asks once; the answer, or the error text after "!".
    std::string Ask(const std::string& url, const std::string& content = "hello")
    {
        ChatClient client(url, kWording);
        if (client.Ask("tok", content, pplx::cancellation_token::none()))
            return client.Answer();
        return "!" + client.ErrorText();
    }

    std::string Url() const { return m_env.Server().Url(kPath); }

    TestEnvironment& m_env = TestEnvironment::Get();
};

TEST_F(Chat, TheCallerGivesTheAddressAndTheMessage)
{
    m_env.Server().Reply("POST", kPath, 200, R"({"result":"hola"})");
    EXPECT_EQ(Ask(Url(), "Translate into Spanish: hello"), "hola");
    const auto asked = m_env.Server().RequestsTo(kPath);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].target, std::string(kPath) + "?access_token=tok");
    EXPECT_EQ(asked[0].body, R"({"messages":[{"content":"Translate into Spanish: hello","role":"user"}]})");
}

TEST_F(Chat, TheServiceTableNamesItsCodesAndTheCallerWordsTheRest)
{
    const struct
    {
        int status;
        const char* body;
        const char* answer; // whole, or its start when it ends with "："
    } cases[] = {
        {200, R"({"error_code":18,"result":"x"})", "!QPS超限额"},
        {200, R"({"error_code":7})", "!未知错误"},
        {200, R"({"error_code":0,"result":"好"})", "好"},
        {500, R"({"result":"x"})", "!翻译请求失败：500"},
        {200, R"({"result":""})", "!翻译结果为空"},
        {200, R"({"result":["x"]})", "!翻译回复有误："},
        {200, "<html>", "!翻译回复有误："},
    };
    // A service that stays too busy is given up on once a request's time has passed.
    RestClient::SetRequestTimeout(std::chrono::milliseconds(700));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        m_env.Server().Reply("POST", kPath, c.status, c.body);
        const std::string answer = Ask(Url());
        const std::string expected = c.answer;
        if (expected.ends_with("："))
            EXPECT_TRUE(answer.starts_with(expected) && answer.size() > expected.size()) << answer;
        else
            EXPECT_EQ(answer, expected);
    }
}

// Too many requests, said by the status or by the service's code, is asked again after a pause.
TEST_F(Chat, ABusyServiceIsAskedAgainAfterAPause)
{
    const struct
    {
        int status;
        const char* body;
        const char* retryAfter; // the header, or nullptr
    } cases[] = {{429, "{}", nullptr}, {429, "{}", "0"}, {200, R"({"error_code":18})", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        auto asked = std::make_shared<std::atomic<int>>(0);
        m_env.Server().On("POST", kPath, [c, asked](const httplib::Request&, httplib::Response& response) {
            if (asked->fetch_add(1) == 0) {
                response.status = c.status;
                if (c.retryAfter)
                    response.set_header("Retry-After", c.retryAfter);
                response.set_content(c.body, "application/json");
            } else {
                response.set_content(R"({"result":"好"})", "application/json");
            }
        });
        EXPECT_EQ(Ask(Url()), "好");
        EXPECT_EQ(asked->load(), 2);
    }
}

TEST_F(Chat, UnusableAddressesFailTheRequest)
{
    const std::string refused = Ask("http://127.0.0.1:1/chat");
    EXPECT_TRUE(refused.starts_with("!") && refused.size() > 1) << "nothing listens there";
    for (const char* url : {"", "ftp://127.0.0.1/chat", "not an address"}) {
        const std::string answer = Ask(url);
        EXPECT_TRUE(answer.starts_with("!翻译地址无效：") && answer.size() > std::string("!翻译地址无效：").size())
            << url << ": " << answer;
    }
}

} // namespace
