#include "EmulatorFixture.h"

#include <regex>
#include <string>

using emulator_test::JsonReply;
using emulator_test::TokenForm;

namespace {

constexpr const char *kFormType = "application/x-www-form-urlencoded";

struct Refusal {
    const char *name;
    std::string form;
    int status;
    const char *error;
    const char *description;  // empty: any
};

TEST_F(EmulatorTest, TokenRefusals)
{
    const Refusal cases[] = {
        {"unknown id", TokenForm("someone-else", "qov-local-secret"), 401, "invalid_client", "unknown client id"},
        {"missing id", "grant_type=client_credentials&client_secret=qov-local-secret", 401, "invalid_client",
         "unknown client id"},
        {"wrong secret", TokenForm("qov-local-key", "guess"), 401, "invalid_client", "Client authentication failed"},
        {"missing secret", "grant_type=client_credentials&client_id=qov-local-key", 401, "invalid_client",
         "Client authentication failed"},
        {"missing grant", "client_id=qov-local-key&client_secret=qov-local-secret", 400, "unsupported_grant_type", ""},
        {"other grant", "grant_type=password&client_id=qov-local-key&client_secret=qov-local-secret", 400,
         "unsupported_grant_type", ""},
        {"grant checked first", "grant_type=password&client_id=nobody", 400, "unsupported_grant_type", ""},
        {"empty body", "", 400, "unsupported_grant_type", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto body = JsonReply(Client().Post("/oauth/2.0/token", c.form, kFormType), c.status);
        EXPECT_EQ(body.at("error").as_string(), c.error);
        EXPECT_FALSE(body.has_field("access_token"));
        if (*c.description) {
            EXPECT_EQ(body.at("error_description").as_string(), c.description);
        }
    }
}

// A secret with every character that form encoding gives a meaning of its own.
class OddSecretTest : public EmulatorTest {
protected:
    static constexpr const char *kSecret = "s&e=c+r/e t%25";
    EmulatorOptions Options() const override
    {
        EmulatorOptions options;
        options.clientId = "id/with+plus";
        options.clientSecret = kSecret;
        return options;
    }
};

TEST_F(OddSecretTest, CredentialsDecodeFromQueryAndBodyIntoATokenOfTheServicesShape)
{
    const std::string encoded = TokenForm("id/with+plus", kSecret);
    struct Case {
        const char *name;
        std::string query;
        std::string body;
        std::string contentType;
        int status;
    } cases[] = {
        {"form body", "", encoded, kFormType, 200},
        {"form body with charset", "", encoded, std::string(kFormType) + "; charset=UTF-8", 200},
        {"query string", encoded, "", "text/plain", 200},
        {"query string, body of another type ignored", encoded, "client_secret=wrong", "text/plain", 200},
        {"body wins over query", TokenForm("id/with+plus", "wrong"), encoded, kFormType, 200},
        // Unencoded, '+' is a space and '&' splits the secret, so these must fail.
        {"raw plus", "", "grant_type=client_credentials&client_id=id/with+plus&client_secret=s%26e%3Dc%2Br%2Fe%20t%2525",
         kFormType, 401},
        {"raw ampersand", "", "grant_type=client_credentials&client_id=id%2Fwith%2Bplus&client_secret=s&e=c%2Br%2Fe+t%2525",
         kFormType, 401},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = "/oauth/2.0/token" + (c.query.empty() ? "" : "?" + c.query);
        auto res = Client().Post(path, c.body, c.contentType);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, c.status) << res->body;
        if (res->status != 200)
            continue;
        const auto body = JsonReply(res);
        EXPECT_TRUE(std::regex_match(body.at("access_token").as_string(), std::regex("[0-9a-f]{32}\\..+"))) << res->body;
        EXPECT_EQ(body.at("expires_in").as_integer(), 2592000);
        EXPECT_EQ(body.at("scope").as_string(), "public");
        EXPECT_FALSE(body.at("session_key").as_string().empty());
        EXPECT_FALSE(body.at("refresh_token").as_string().empty());
    }
}

}  // namespace
