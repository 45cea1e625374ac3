#include "EmulatorFixture.h"

#include "Utf8Text.h"

#include <string>
#include <thread>
#include <vector>

using emulator_test::ChatBody;
using emulator_test::Json;
using emulator_test::JsonReply;

namespace {

constexpr const char *kInvalidToken = "Access token invalid or no longer valid";
constexpr const char *kNoContent = "the content of message can not be empty";

bool HasCjk(const std::string &text) { return Utf8Text::ContainsCjk(Utf8Text::Decode(text)); }

std::string ResultOf(const httplib::Result &res)
{
    if (!res || res->status != 200)
        return {};
    const auto body = Json(res->body);
    return body.has_string_field("result") ? body.at("result").as_string() : std::string();
}

// The copy is about the last message's content, in its script; only empty content is refused.
TEST_F(EmulatorTest, ChatAnswersWithGeneratedCopyAboutTheLastMessage)
{
    const auto token = Token();
    const std::string asked =
        R"({"messages":[{"role":"user","content":"first topic"},{"role":"assistant","content":"ok"},)"
        R"({"role":"user","content":"Write an opening for the launch of: Aurora smart lamp"}]})";
    const auto body = JsonReply(PostChat(token, asked));
    ASSERT_TRUE(body.is_object());
    EXPECT_EQ(body.at("id").as_string().rfind("as-", 0), 0u);
    EXPECT_EQ(body.at("object").as_string(), "chat.completion");
    EXPECT_NEAR(static_cast<double>(body.at("created").as_number().to_int64()),
                static_cast<double>(emulator_test::EpochSeconds()), 60.0);
    const auto result = body.at("result").as_string();
    EXPECT_NE(result.find("Aurora smart lamp"), std::string::npos) << result;
    EXPECT_EQ(result.find("first topic"), std::string::npos);
    EXPECT_FALSE(HasCjk(result));
    EXPECT_FALSE(body.at("is_truncated").as_bool());
    EXPECT_FALSE(body.at("need_clear_history").as_bool());
    const auto &usage = body.at("usage");
    EXPECT_GT(usage.at("prompt_tokens").as_integer(), 0);
    EXPECT_GT(usage.at("completion_tokens").as_integer(), 0);
    EXPECT_EQ(usage.at("total_tokens").as_integer(),
              usage.at("prompt_tokens").as_integer() + usage.at("completion_tokens").as_integer());
    EXPECT_FALSE(ResultOf(PostChat(token, ChatBody("   "))).empty());
}

TEST_F(EmulatorTest, ChatFailuresAreReportedInTheBody)
{
    const auto token = Token();
    struct Case {
        const char *name;
        std::string token;
        std::string body;
        int code;
        const char *message;
    } cases[] = {
        {"no token", "", ChatBody("topic"), 110, kInvalidToken},
        {"unknown token", "0123456789abcdef0123456789abcdef.1.1", ChatBody("topic"), 110, kInvalidToken},
        {"token checked before the body", "forged", "not json", 110, kInvalidToken},
        {"not json", token, "{\"messages\": [", 336002, "Invalid JSON"},
        {"empty body", token, "", 336002, "Invalid JSON"},
        {"absurd nesting", token, std::string(100000, '['), 336002, "Invalid JSON"},
        {"no messages", token, "{}", 336003, kNoContent},
        {"top-level array", token, "[1,2]", 336003, kNoContent},
        {"messages not an array", token, R"({"messages":"hi"})", 336003, kNoContent},
        {"no message", token, R"({"messages":[]})", 336003, kNoContent},
        {"message not an object", token, R"({"messages":["hi"]})", 336003, kNoContent},
        {"content missing", token, R"({"messages":[{"role":"user"}]})", 336003, kNoContent},
        {"content a number", token, R"({"messages":[{"role":"user","content":5}]})", 336003, kNoContent},
        {"content empty", token, R"({"messages":[{"role":"user","content":""}]})", 336003, kNoContent},
        {"only the last message counts", token,
         R"({"messages":[{"role":"user","content":"fine"},{"role":"user","content":""}]})", 336003, kNoContent},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto body = JsonReply(PostChat(c.token, c.body));
        EXPECT_EQ(body.at("error_code").as_integer(), c.code);
        EXPECT_EQ(body.at("error_msg").as_string(), c.message);
        EXPECT_FALSE(body.has_field("result"));
    }
}

}  // namespace

namespace {

std::string TranslateBody(const std::string &from, const std::string &to)
{
    web::json::value content = web::json::value::object(true);
    content["task"] = web::json::value::string("translate");
    content["source_language"] = web::json::value::string(from);
    content["target_language"] = web::json::value::string(to);
    content["glossary"] = web::json::value::parse(R"([{"source":"Aurora","target":"Aurora Lámpara"}])");
    content["lines"] = web::json::value::parse(
        R"([{"id":"7","text":"The dog runs.","max_chars":20},{"id":"9","text":"I like the aurora.","max_chars":30}])");
    return ChatBody(content.serialize());
}

}  // namespace

// A translation request is answered line by line through Apertium, ids kept, glossary targets put
// in, inside a code fence; a pair it has no translator for is refused naming the pair.
TEST_F(EmulatorTest, ChatTranslatesRequestsForATranslationAndRefusesAnUnknownPair)
{
    const auto token = Token();
    const std::string result = ResultOf(PostChat(token, TranslateBody("en", "es")));
    ASSERT_EQ(result.rfind("```json\n", 0), 0u) << result;
    const auto object = Json(result.substr(8, result.rfind("\n```") - 8));
    const auto &lines = object.at("lines").as_array();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines.at(0).at("id").as_string(), "7");
    EXPECT_NE(lines.at(0).at("text").as_string().find("perro"), std::string::npos) << result;
    EXPECT_EQ(lines.at(1).at("id").as_string(), "9");
    EXPECT_NE(lines.at(1).at("text").as_string().find("Aurora Lámpara"), std::string::npos) << result;

    const auto refused = JsonReply(PostChat(token, TranslateBody("en", "xx")));
    EXPECT_EQ(refused.at("error_code").as_integer(), 336003);
    EXPECT_NE(refused.at("error_msg").as_string().find("en-xx"), std::string::npos);
}

namespace {

// The ids and texts of a fenced translation answer, in order; empty when it holds no object.
std::vector<std::pair<std::string, std::string>> AnsweredLines(const std::string &result)
{
    std::vector<std::pair<std::string, std::string>> lines;
    const auto open = result.find('{');
    if (open == std::string::npos)
        return lines;
    const auto object = Json(result.substr(open, result.rfind('}') - open + 1));
    for (const auto &line : object.at("lines").as_array())
        lines.emplace_back(line.at("id").as_string(), line.at("text").as_string());
    return lines;
}

}  // namespace

// Each answer fault spoils one translation answer the way models do; the next one is whole.
TEST_F(EmulatorTest, ChatAnswerFaultsSpoilOneTranslationEach)
{
    const auto token = Token();
    const auto whole = AnsweredLines(ResultOf(PostChat(token, TranslateBody("en", "es"))));
    ASSERT_EQ(whole.size(), 2u);
    using Lines = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char *fault;
        Lines expected;
    } cases[] = {
        {"drop_line", {whole[0]}},
        {"swap_ids", {{"9", whole[0].second}, {"7", whole[1].second}}},
        {"repeat_id", {whole[0], whole[1], {"7", whole[0].second + " (otra vez)"}}},
        {"prose", {}},
        {"too_long", {{"7", whole[0].second + " " + whole[0].second + " " + whole[0].second}, whole[1]}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        SetFault("chat", std::string(R"({"answer":")") + c.fault + R"("})");
        EXPECT_EQ(AnsweredLines(ResultOf(PostChat(token, TranslateBody("en", "es")))), c.expected);
        EXPECT_EQ(AnsweredLines(ResultOf(PostChat(token, TranslateBody("en", "es")))), whole);
    }
    SetFault("chat", R"({"answer":"drop_glossary"})");
    const auto missed = AnsweredLines(ResultOf(PostChat(token, TranslateBody("en", "es"))));
    ASSERT_EQ(missed.size(), 2u);
    EXPECT_EQ(missed[1].second.find("Aurora Lámpara"), std::string::npos) << missed[1].second;
    EXPECT_NE(missed[1].second.find("Aurora"), std::string::npos) << missed[1].second;
}

namespace {

std::string TranslateLines(const std::vector<std::string> &texts)
{
    web::json::value content = web::json::value::object(true);
    content["task"] = web::json::value::string("translate");
    content["source_language"] = web::json::value::string("en");
    content["target_language"] = web::json::value::string("es");
    web::json::value lines = web::json::value::array();
    for (size_t i = 0; i < texts.size(); ++i) {
        web::json::value line = web::json::value::object(true);
        line["id"] = web::json::value::string(std::to_string(i + 1));
        line["text"] = web::json::value::string(texts[i]);
        lines[i] = line;
    }
    content["lines"] = lines;
    return ChatBody(content.serialize());
}

}  // namespace

// Requests translated at the same time each get their own lines back, as each would alone, the
// characters the translator's stream reserves and an empty line among them.
TEST_F(EmulatorTest, ChatTranslationsAtOnceEachKeepTheirOwnLines)
{
    const auto token = Token();
    const std::vector<std::vector<std::string>> requests = {
        {"The dog runs.", "Price: $5 [about] a/b \\ ^x^ {y} <z> @w", "", "We walk in the park."},
        {"She bought a new house near the river."},
        {"Good morning.", "See you tomorrow.", "The meeting starts at nine."},
        {"Please turn left at the next corner.", "I love you."},
    };
    std::vector<std::vector<std::pair<std::string, std::string>>> alone;
    for (const auto &texts : requests)
        alone.push_back(AnsweredLines(ResultOf(PostChat(token, TranslateLines(texts)))));
    ASSERT_EQ(alone[0].size(), 4u);
    EXPECT_EQ(alone[0][1].second, "Precio: $5 [aproximadamente] un/b \\ ^x^ {y} <z> @w");
    EXPECT_EQ(alone[0][2].second, "");
    EXPECT_NE(alone[0][3].second.find("parque"), std::string::npos) << alone[0][3].second;

    constexpr int kRounds = 3;
    std::vector<std::vector<std::vector<std::pair<std::string, std::string>>>> together(requests.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < requests.size(); ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < kRounds; ++round)
                together[i].push_back(AnsweredLines(ResultOf(PostChat(token, TranslateLines(requests[i])))));
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (size_t i = 0; i < requests.size(); ++i) {
        for (const auto &answer : together[i])
            EXPECT_EQ(answer, alone[i]) << "request " << i;
    }
}
