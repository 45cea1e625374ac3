#include "EmulatorFixture.h"

#include <cpprest/http_client.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>

using emulator_test::ChatBody;
using emulator_test::Json;
using emulator_test::TokenForm;
using Clock = std::chrono::steady_clock;

namespace {

std::error_code ParseError(const std::string &text)
{
    std::error_code error;
    web::json::value::parse(text, error);
    return error;
}

// Each fault applies to whichever endpoint it is set on, and only to that one.
class EndpointFaultTest : public EmulatorTest {
protected:
    httplib::Result Call(const std::string &endpoint, const std::string &token) const
    {
        if (endpoint == "token")
            return Client().Post("/oauth/2.0/token", TokenForm("qov-local-key", "qov-local-secret"),
                                 "application/x-www-form-urlencoded");
        return PostChat(token, ChatBody("faults"));
    }
    static std::string Other(const std::string &endpoint) { return endpoint == "token" ? "chat" : "token"; }
};

// Wrong types, set on every endpoint, are in EveryEndpointObeysItsOwnSwitchAndIsRecorded.
TEST_F(EndpointFaultTest, StatusAndMalformedTouchOnlyTheirEndpointForAsManyTimesAsAsked)
{
    const auto token = Token();
    for (const std::string endpoint : {"token", "chat"}) {
        SCOPED_TRACE(endpoint);
        // Times counts the faulted replies down, then the endpoint recovers.
        SetFault(endpoint, R"({"status":503,"times":2})");
        for (const int expected : {503, 503, 200}) {
            auto res = Call(endpoint, token);
            ASSERT_TRUE(res);
            EXPECT_EQ(res->status, expected);
            EXPECT_EQ(Json(res->body).has_string_field("error"), expected == 503);
            auto untouched = Call(Other(endpoint), token);
            ASSERT_TRUE(untouched);
            EXPECT_EQ(untouched->status, 200);
        }

        SetFault(endpoint, R"({"malformed":true})");
        auto res = Call(endpoint, token);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");
        EXPECT_TRUE(ParseError(res->body));

        SetFault(endpoint, R"({"malformed":true,"status":502})");
        res = Call(endpoint, token);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 502);
        EXPECT_TRUE(ParseError(res->body));
        ASSERT_EQ(Client().Delete("/__control/faults")->status, 200);
    }
}

// A delay holds up only its own request, which then answers normally; a client that gives up
// during one leaves the reply to a closed socket, and the server goes on.
TEST_F(EndpointFaultTest, DelayIsAppliedAndHoldsUpNothingElse)
{
    const auto token = Token();
    SetFault("chat", R"({"delay_ms":600,"times":1})");
    const auto start = Clock::now();
    auto delayed = std::async(std::launch::async, [&] { return Call("chat", token); });

    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto controlStart = Clock::now();
    auto control = Client().Get("/__control/faults");
    ASSERT_TRUE(control);
    EXPECT_LT(Clock::now() - controlStart, std::chrono::milliseconds(300));

    auto res = delayed.get();
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(600));
    ASSERT_TRUE(res);
    EXPECT_TRUE(Json(res->body).has_string_field("result"));

    SetFault("token", R"({"delay_ms":500,"times":1})");
    auto impatient = Client();
    impatient.set_read_timeout(0, 100000);
    EXPECT_FALSE(impatient.Post("/oauth/2.0/token", TokenForm("qov-local-key", "qov-local-secret"),
                                "application/x-www-form-urlencoded"));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // the reply is written to a closed socket
    EXPECT_FALSE(Token().empty());
}

// The module's clients use the REST library; a dropped connection must fail their request
// promptly rather than hang or be retried into a success, on a fresh or a pooled connection.
TEST_F(EndpointFaultTest, CloseFailsRestClientsOnFreshAndPooledConnections)
{
    web::http::client::http_client_config config;
    config.set_timeout(std::chrono::seconds(5));
    const auto chat = [&](web::http::client::http_client &client) {
        web::http::http_request request(web::http::methods::POST);
        request.set_request_uri("/chat/v1/completions?access_token=" + Token());
        request.set_body(ChatBody("closing"), "application/json");
        return client.request(request).then([](web::http::http_response r) { return r.extract_json(); }).get();
    };

    web::http::client::http_client fresh(BaseUrl(), config);
    SetFault("chat", R"({"close":true,"times":1})");
    auto start = Clock::now();
    EXPECT_THROW(chat(fresh), web::http::http_exception);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));

    web::http::client::http_client pooled(BaseUrl(), config);
    EXPECT_TRUE(chat(pooled).has_string_field("result"));
    SetFault("chat", R"({"close":true,"times":1})");
    start = Clock::now();
    EXPECT_THROW(chat(pooled), web::http::http_exception);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    EXPECT_TRUE(chat(pooled).has_string_field("result"));
}

// Every endpoint is routed through its own switch and its own record, and answers wrong_types
// with a reply shaped like its own.
TEST_F(EmulatorTest, EveryEndpointObeysItsOwnSwitchAndIsRecorded)
{
    using V = web::json::value;
    using Check = std::function<bool(const std::string &)>;
    const auto json = [](std::function<bool(const V &)> check) {
        return [check](const std::string &body) { return check(Json(body)); };
    };
    const Check object = json([](const V &reply) { return reply.is_object(); });
    const Check numberErrNo = json([](const V &r) { return r.at("err_no").is_number(); });
    const Check xmlInXml = [](const std::string &body) { return body.find("<Code><Code>") != std::string::npos; };
    const std::string form = "application/x-www-form-urlencoded";
    struct Case {
        const char *endpoint;
        const char *method;
        std::string path;
        std::string contentType;  // empty: no body
        Check wrongTyped;
    } cases[] = {
        {"token", "POST", "/oauth/2.0/token", form, json([](const V &r) { return r.at("access_token").is_array(); })},
        {"chat", "POST", "/chat/v1/completions", "application/json",
         json([](const V &r) { return r.at("result").is_object() && r.at("error_code").is_string(); })},
        {"tts-short", "POST", "/text2audio", "text/plain", object},
        {"tts-create", "POST", "/tts/v1/create", "application/json", object},
        {"tts-query", "POST", "/tts/v1/query", "application/json",
         json([](const V &r) { return !r.at("tasks_info").is_array(); })},
        {"tts-file", "GET", "/files/tts/0123456789abcdef01234567.mp3", "", object},
        {"aasr-create", "POST", "/aasr/v1/create", "application/json", object},
        {"aasr-query", "POST", "/aasr/v1/query", "application/json",
         json([](const V &r) { return r.at("tasks_info").at(0).at("task_id").is_array(); })},
        {"image-create", "POST", "/ernievilg/v1/txt2imgv2", "application/json",
         json([](const V &r) { return r.at("data").is_string(); })},
        {"image-query", "POST", "/ernievilg/v1/getImgv2", "application/json", json([](const V &r) {
             const auto &data = r.at("data");
             return data.at("task_progress").is_string() &&
                    data.at("sub_task_result_list").at(0).at("final_image_list").is_object();
         })},
        {"image-file", "GET", "/files/img/1/1_0.png", "", object},
        {"transcription-prepare", "POST", "/api/prepare", form, numberErrNo},
        {"transcription-upload", "POST", "/api/upload", "multipart/form-data; boundary=b", numberErrNo},
        {"transcription-merge", "POST", "/api/merge", form, numberErrNo},
        {"transcription-progress", "POST", "/api/getProgress", form,
         json([](const V &r) { return r.at("err_no").is_string() && r.at("data").is_object(); })},
        {"transcription-result", "POST", "/api/getResult", form, json([](const V &r) { return r.at("err_no").is_string(); })},
        {"store-put", "PUT", "/qov-subtitles/k", "audio/mpeg", xmlInXml},
        {"store-get", "GET", "/qov-subtitles/k", "", xmlInXml},
        {"store-delete", "DELETE", "/qov-subtitles/k", "", xmlInXml},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.endpoint);
        const auto call = [&] {
            httplib::Request request;
            request.method = c.method;
            request.path = c.path;
            if (!c.contentType.empty()) {
                request.body = "x";
                request.set_header("Content-Type", c.contentType);
            }
            return Client().send(request);
        };
        SetFault(c.endpoint, R"({"status":503,"times":1})");
        auto res = call();
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 503);
        SetFault(c.endpoint, R"({"wrong_types":true,"times":1})");
        res = call();
        ASSERT_TRUE(res);
        EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");
        EXPECT_TRUE(c.wrongTyped(res->body)) << res->body;
        SetFault(c.endpoint, R"({"close":true,"times":1})");
        EXPECT_FALSE(call());
        res = call();
        ASSERT_TRUE(res);
        EXPECT_NE(res->status, 503);

        const auto recorded = Json(Client().Get(std::string("/__control/requests?endpoint=") + c.endpoint)->body);
        ASSERT_EQ(recorded.size(), 4u);
        EXPECT_EQ(recorded.at(0).at("path").as_string(), c.path);
        EXPECT_EQ(recorded.at(0).at("content_type").as_string(), c.contentType);
    }
}

TEST_F(EmulatorTest, FaultsAreClearedOneOrAll)
{
    SetFault("chat", R"({"status":503})");
    SetFault("token", R"({"malformed":true})");
    ASSERT_EQ(Client().Delete("/__control/faults/token")->status, 200);
    EXPECT_FALSE(Token().empty());
    EXPECT_EQ(PostChat("", "")->status, 503);

    ASSERT_EQ(Client().Delete("/__control/faults")->status, 200);
    EXPECT_EQ(Json(Client().Get("/__control/faults")->body).size(), 0u);
    EXPECT_EQ(PostChat("", "")->status, 200);
}

}  // namespace
