#include "EmulatorFixture.h"

#include <string>

using emulator_test::ChatBody;
using emulator_test::Json;
using emulator_test::RawExchange;

namespace {

TEST_F(EmulatorTest, RequestsAreRecordedPerEndpointOldestFirst)
{
    const auto token = Token();
    PostChat(token, ChatBody("first"));
    SetFault("chat", R"({"status":500,"times":1})");
    PostChat("wrong", "not json at all");
    Client().Get("/__control/faults");

    auto res = Client().Get("/__control/requests?endpoint=chat");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200);
    const auto chat = Json(res->body);
    ASSERT_EQ(chat.size(), 2u);  // faulted requests count; control requests do not
    EXPECT_EQ(chat.at(0).at("method").as_string(), "POST");
    EXPECT_EQ(chat.at(0).at("path").as_string(), "/chat/v1/completions");
    EXPECT_EQ(chat.at(0).at("query").as_string(), "access_token=" + token);
    EXPECT_EQ(chat.at(0).at("content_type").as_string(), "application/json");
    EXPECT_EQ(chat.at(0).at("body").as_string(), ChatBody("first"));
    EXPECT_EQ(chat.at(1).at("body").as_string(), "not json at all");

    const auto all = Json(Client().Get("/__control/requests")->body);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all.at(0).at("endpoint").as_string(), "token");
    EXPECT_EQ(all.at(0).at("content_type").as_string(), "application/x-www-form-urlencoded");

    EXPECT_EQ(Client().Get("/__control/requests?endpoint=nope")->status, 404);
    ASSERT_EQ(Client().Delete("/__control/requests")->status, 200);
    EXPECT_EQ(Json(Client().Get("/__control/requests?endpoint=chat")->body).size(), 0u);
}

TEST_F(EmulatorTest, RecordedBodiesStayValidJsonStrings)
{
    const std::string binary("\xff\xfe\x00\x80 tail", 9);
    PostChat("t", binary);
    PostChat("t", std::string(3u << 20, 'b'));
    const auto chat = Json(Client().Get("/__control/requests?endpoint=chat")->body);
    ASSERT_EQ(chat.size(), 2u);
    EXPECT_NE(chat.at(0).at("body").as_string().find(" tail"), std::string::npos);
    EXPECT_EQ(chat.at(1).at("body_size").as_integer(), 3 << 20);
    EXPECT_LT(chat.at(1).at("body").as_string().size(), 3u << 20);
}

// Wrong routes and methods, and fault switches the control route refuses or takes.
TEST_F(EmulatorTest, RoutesMethodsAndFaultSwitchesItRefuses)
{
    struct Case {
        const char *method;
        const char *path;
        std::string body;  // sent as JSON when not empty
        int status;
    } cases[] = {
        {"GET", "/", "", 404},
        {"POST", "/chat/v2/completions", "", 404},
        {"GET", "/chat/v1/completions", "", 405},
        {"PUT", "/chat/v1/completions", "", 405},
        {"DELETE", "/oauth/2.0/token", "", 405},
        {"PUT", "/__control/faults/chat", "", 405},
        {"POST", "/__control/requests", "", 405},
        {"POST", "/__control/faults/chat", R"({"status":503,"delay_ms":10,"times":3})", 200},
        {"POST", "/__control/faults/chat", "{}", 200},
        {"POST", "/__control/faults/chat", "status=503", 400},
        {"POST", "/__control/faults/chat", "[503]", 400},
        {"POST", "/__control/faults/chat", R"({"status":"503"})", 400},
        {"POST", "/__control/faults/chat", R"({"status":42})", 400},
        {"POST", "/__control/faults/chat", R"({"delay_ms":-1})", 400},
        {"POST", "/__control/faults/chat", R"({"times":0})", 400},
        {"POST", "/__control/faults/chat", R"({"answer":"drop_line"})", 200},
        {"POST", "/__control/faults/chat", R"({"answer":"drop_all"})", 400},
        {"POST", "/__control/faults/chats", R"({"status":503})", 404},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + c.path + " " + c.body);
        httplib::Request req;
        req.method = c.method;
        req.path = c.path;
        if (!c.body.empty()) {
            req.body = c.body;
            req.set_header("Content-Type", "application/json");
        }
        auto res = Client().send(req);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, c.status) << res->body;
        if (c.status != 200) {
            EXPECT_TRUE(Json(res->body).has_string_field("error"));
        }
        EXPECT_EQ(res->has_header("Allow"), c.status == 405);
    }
}

TEST_F(EmulatorTest, GarbageOnTheWireNeverTakesTheServerDown)
{
    const std::string cases[] = {
        "GARBAGE\r\n\r\n",
        std::string("\0\xff\x13\x37\r\n\r\n", 8),
        "GET /" + std::string(200000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n",
        "POST /chat/v1/completions HTTP/1.1\r\nHost: x\r\nContent-Length: 999999999999\r\n\r\n{",
        "POST /chat/v1/completions HTTP/1.1\r\nHost: x\r\nContent-Length: -5\r\n\r\n",
        "POST /chat/v1/completions HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n",
        "POST /oauth/2.0/token HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
        "Content-Length: 5\r\n\r\n%%%=&",
    };
    for (const auto &bytes : cases) {
        SCOPED_TRACE(bytes.substr(0, 40));
        RawExchange(port_, bytes);
        auto health = Client().Get("/__control/health");
        ASSERT_TRUE(health);
        EXPECT_EQ(health->status, 200);
    }
}

TEST_F(EmulatorTest, HugeBodiesAreRefused)
{
    auto res = PostChat(Token(), std::string((64u << 20) + 1, ' '));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_TRUE(Json(res->body).has_string_field("error"));
    EXPECT_EQ(Json(Client().Get("/__control/requests?endpoint=chat")->body).size(), 0u);
}

}  // namespace
