#include "service/AccessToken.h"
#include "service/AigcSettings.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

namespace {

class AccessTokenRequest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Server().Reset();
    }

    TestEnvironment& m_env = TestEnvironment::Get();
};

TEST_F(AccessTokenRequest, SendsTheThreeParametersInOrderPercentEncodedEvenWhenEmpty)
{
    m_env.GrantTokens("fresh-token");
    std::string token;
    std::string error = "earlier";
    ASSERT_TRUE(GetAccessToken("id+1 中", "s&=+/ x%", token, error));
    EXPECT_EQ(token, "fresh-token");
    EXPECT_EQ(error, "earlier") << "a reply without \"error\" leaves the error text";

    const auto requests = m_env.Server().RequestsTo(TestEnvironment::kTokenPath);
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& sent = requests[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_TRUE(sent.body.empty());
    const std::string query = sent.target.substr(sent.target.find('?') + 1);
    EXPECT_EQ(query.rfind("grant_type=client_credentials&client_id=", 0), 0u) << query;
    EXPECT_LT(query.find("client_id="), query.find("client_secret="));
    for (const char* raw : {"&=", "+/ x", "中"})
        EXPECT_EQ(query.find(raw), std::string::npos) << raw << " reached the query unencoded: " << query;
    EXPECT_EQ(sent.params.find("client_id")->second, "id+1 中");
    EXPECT_EQ(sent.params.find("client_secret")->second, "s&=+/ x%");
    EXPECT_EQ(sent.params.find("grant_type")->second, "client_credentials");

    // Empty credentials are still sent, for the service to refuse.
    ASSERT_TRUE(GetAccessToken("", "", token, error));
    const RecordedRequest empty = m_env.Server().RequestsTo(TestEnvironment::kTokenPath).back();
    EXPECT_EQ(empty.params.count("client_id"), 1u);
    EXPECT_EQ(empty.params.find("client_secret")->second, "");
}

struct ReplyCase
{
    const char* name;
    int status;
    const char* body;
    const char* contentType;
    bool result;
    const char* token;    // expected token afterwards
    const char* error;    // expected error text afterwards; nullptr: any non-empty text
};

TEST_F(AccessTokenRequest, EachReplyEndsAsDocumented)
{
    const ReplyCase cases[] = {
        {"401", 401, R"({"error":"invalid_client"})", "application/json", false, "kept",
         "Token获取失败，请检查配置文件，错误代码：401"},
        {"500 plain", 500, "oops", "text/plain", false, "kept", "Token获取失败，请检查配置文件，错误代码：500"},
        {"error member", 200, R"({"error":"invalid_client","error_description":"x"})", "application/json", true,
         "kept", "invalid_client"},
        {"token only", 200, R"({"access_token":"T-1"})", "application/json", true, "T-1", "earlier"},
        {"integer token", 200, R"({"access_token":12345})", "application/json", true, "12345", "earlier"},
        {"not declared json", 200, R"({"access_token":"T-2"})", "text/plain", false, "kept", nullptr},
        {"malformed", 200, R"({"access_token":"T-)", "application/json", false, "kept", nullptr},
        {"wrong type", 200, R"({"access_token":["T"]})", "application/json", false, "kept", nullptr},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_env.Server().Reply("POST", TestEnvironment::kTokenPath, c.status, c.body, c.contentType);
        std::string token = "kept";
        std::string error = "earlier";
        EXPECT_EQ(GetAccessToken("k", "s", token, error), c.result);
        EXPECT_EQ(token, c.token);
        if (c.error)
            EXPECT_EQ(error, c.error);
        else
            EXPECT_TRUE(!error.empty() && error != "earlier") << error;
    }
}

// A token is kept for as long as its reply says it lasts, less a margin, by the same credentials
// only; one a service refused is asked for again.
TEST_F(AccessTokenRequest, ATokenIsKeptWhileItLastsForItsCredentials)
{
    const struct
    {
        const char* expires; // the reply's "expires_in", as JSON; nullptr: none
        bool kept;
    } cases[] = {{"2592000", true}, {"\"2592000\"", true}, {"1", false}, {"0", false}, {"-5", false},
                 {nullptr, false}};
    const auto asked = [&] { return m_env.Server().RequestsTo(TestEnvironment::kTokenPath).size(); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expires ? c.expires : "none");
        ForgetAccessTokens();
        const std::string reply = c.expires ? std::string(R"({"access_token":"T","expires_in":)") + c.expires + "}"
                                            : std::string(R"({"access_token":"T"})");
        m_env.Server().Reply("POST", TestEnvironment::kTokenPath, 200, reply);
        const size_t before = asked();
        std::string token;
        std::string error;
        ASSERT_TRUE(GetAccessToken("k", "s", token, error));
        ASSERT_TRUE(GetAccessToken("k", "s", token, error));
        EXPECT_EQ(token, "T");
        EXPECT_EQ(asked(), before + (c.kept ? 1 : 2));
    }
    // Other credentials have a token of their own; a token a service refused is not handed out.
    std::string token;
    std::string error;
    const size_t before = asked();
    ASSERT_TRUE(GetAccessToken("other", "s", token, error));
    EXPECT_EQ(asked(), before + 1);
    ForgetAccessToken("T");
    ASSERT_TRUE(GetAccessToken("k", "s", token, error));
    EXPECT_EQ(asked(), before + 2);
}

TEST_F(AccessTokenRequest, SettingsAreReadOnceAndEditsWaitForARestart)
{
    const std::string url = LoadCopywritingSettings().URL;
    EXPECT_EQ(url, m_env.Server().Url(TestEnvironment::kChatPath));
    EXPECT_EQ(LoadCopywritingSettings().APIKey, "test-key");

    const QString path = AigcSettingsPath();
    const QByteArray original = ReadBytes(path);
    ASSERT_NE(original, QByteArray("<missing>"));
    TestEnvironment::WriteSettings(m_env.AppDir(), QStringLiteral("[Copywriting]\nURL=http://changed\n"));
    EXPECT_EQ(LoadCopywritingSettings().URL, url);
    TestEnvironment::WriteSettings(m_env.AppDir(), QString::fromUtf8(original));
}

// Settings are kept per process, so cases with other settings run in a child process.
void ExpectTokenFailure(const QString& settings, const std::string& expected)
{
    ScratchFolders folders;
    TestEnvironment::WriteSettings(folders.App(), settings);
    std::string token = "kept";
    std::string error;
    const bool result = GetAccessToken("k", "s", token, error);
    const bool expectedText = expected.empty() ? !error.empty() : error == expected;
    if (result || token != "kept" || !expectedText) {
        std::cerr << "result " << result << " token " << token << " error " << error << '\n';
        std::exit(1);
    }
    std::exit(0);
}

// An empty error: the network library's own words.
TEST(AccessTokenSettings, AMissingUnreachableOrInvalidEndpointFailsWithItsReason)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::pair<const char*, const char*> cases[] = {
        {"[Copywriting]\nURL=http://127.0.0.1:1/\n", "获取Token的网址为空,请检查配置文件！"},
        {"[Token]\nURL=\n", "获取Token的网址为空,请检查配置文件！"},
        {"[Token]\nURL=http://127.0.0.1:1/oauth\n", ""},
        {"[Token]\nURL=ftp://127.0.0.1/oauth\n", ""},
        {"[Token]\nURL=not an address\n", ""},
    };
    for (const auto& [settings, error] : cases)
        EXPECT_EXIT(ExpectTokenFailure(QString::fromUtf8(settings), error), ::testing::ExitedWithCode(0), "") << settings;
}

} // namespace
