#include "EmulatorFixture.h"

#include "AudioProbe.h"

#include <chrono>
#include <regex>
#include <string>
#include <thread>

using emulator_test::WithMember;
using emulator_test::WithoutMember;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char *kBody =
    R"({"text":["第一段：今天天气很好，我们一起去公园散步。","Second part: the weather is fine today."],)"
    R"("format":"mp3-16k","voice":1,"lang":"zh","speed":5,"pitch":5,"volume":5,"enable_subtitle":2})";

class LongSpeechTest : public TokenTest {
protected:
    web::json::value Create(const std::string &body) const { return Call("/tts/v1/create", body, token_); }
    web::json::value Query(const std::string &id) const
    {
        const auto reply = Call("/tts/v1/query", R"({"task_ids":[")" + id + R"("]})", token_);
        EXPECT_EQ(reply.at("tasks_info").size(), 1u) << reply.serialize();
        return reply.at("tasks_info").at(0);
    }
};

TEST_F(LongSpeechTest, TasksRunThenSucceedWithADownloadableFile)
{
    struct Case {
        const char *format;
        const char *extension;
        const char *contentType;
        const char *codec;
        std::string id;
    } cases[] = {
        {"mp3-16k", "mp3", "audio/mp3", "mp3", {}},
        {"wav", "wav", "audio/wav", "pcm_s16le", {}},
    };
    const auto started = Clock::now();
    for (auto &c : cases) {
        const auto created = Create(WithMember(kBody, "format", web::json::value::string(c.format)));
        EXPECT_TRUE(created.at("log_id").is_integer());
        EXPECT_EQ(created.at("task_status").as_string(), "Created");
        c.id = created.at("task_id").as_string();
        EXPECT_TRUE(std::regex_match(c.id, std::regex("[0-9a-f]{24}"))) << c.id;
    }
    for (const auto &c : cases) {
        const auto info = Query(c.id);
        EXPECT_EQ(info.at("task_id").as_string(), c.id);
        EXPECT_EQ(info.at("task_status").as_string(), "Running");
        EXPECT_FALSE(info.has_field("task_result"));
    }

    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        web::json::value info;
        emulator_test::PollUntil([&] { return (info = Query(c.id)).at("task_status").as_string() != "Running"; },
                                 std::chrono::milliseconds(100));
        ASSERT_EQ(info.at("task_status").as_string(), "Success") << info.serialize();
        EXPECT_GE(Clock::now() - started, std::chrono::seconds(1));
        const auto url = info.at("task_result").at("speech_url").as_string();
        const std::string path = "/files/tts/" + c.id + "." + c.extension;
        ASSERT_EQ(url.rfind(BaseUrl() + path + "?expires=", 0), 0u) << url;
        EXPECT_NE(url.find("&sign="), std::string::npos) << url;

        auto file = Client().Get(url.substr(BaseUrl().size()));
        ASSERT_TRUE(file);
        EXPECT_EQ(file->status, 200);
        EXPECT_EQ(file->get_header_value("Content-Type"), c.contentType);
        const auto audio = audio_probe::Probe(file->body);
        ASSERT_TRUE(audio.decoded);
        EXPECT_EQ(audio.codec, c.codec);
        EXPECT_EQ(audio.sampleRate, 16000);
        EXPECT_EQ(audio.channels, 1);
        EXPECT_GT(audio.Seconds(), 3.0);
        EXPECT_LT(audio.Seconds(), 15.0);

        const std::string otherExtension = std::string(c.extension) == "mp3" ? "wav" : "mp3";
        EXPECT_EQ(Client().Get("/files/tts/" + c.id + "." + otherExtension)->status, 404);
    }
    EXPECT_EQ(Client().Get("/files/tts/0123456789abcdef01234567.mp3")->status, 404);
}

// Every refusal names its cause; a refused creation makes no task and a refused query lists none.
TEST_F(LongSpeechTest, BadCallsNameTheirCauseAndUnknownTasksFail)
{
    using V = web::json::value;
    const auto with = [](const char *member, V value) { return WithMember(kBody, member, std::move(value)); };
    constexpr const char *kCreate = "/tts/v1/create";
    constexpr const char *kQuery = "/tts/v1/query";
    struct Case {
        const char *name;
        const char *path;
        std::string token;
        std::string body;
        int code;
    } cases[] = {
        {"no token", kCreate, "", kBody, 110},
        {"unknown token", kCreate, "0123.1.1", kBody, 110},
        {"token checked before the body", kCreate, "forged", "not json", 110},
        {"not JSON", kCreate, token_, R"({"text":[)", 336212},
        {"not an object", kCreate, token_, "[1,2]", 336212},
        {"no text", kCreate, token_, WithoutMember(kBody, "text"), 336203},
        {"no format", kCreate, token_, WithoutMember(kBody, "format"), 336203},
        {"no voice", kCreate, token_, WithoutMember(kBody, "voice"), 336203},
        {"no language", kCreate, token_, WithoutMember(kBody, "lang"), 336203},
        {"text a string", kCreate, token_, with("text", V::string("hello")), 336202},
        {"text empty", kCreate, token_, with("text", V::array()), 336202},
        {"text piece empty", kCreate, token_, with("text", V::array({V::string("a"), V::string("")})), 336202},
        {"text piece a number", kCreate, token_, with("text", V::array({V::number(1)})), 336202},
        {"text over 100000 characters", kCreate, token_,
         with("text", V::array({V::string(std::string(60000, 'a')), V::string(std::string(40001, 'b'))})), 336202},
        {"unknown format", kCreate, token_, with("format", V::string("ogg")), 336202},
        {"format a number", kCreate, token_, with("format", V::number(3)), 336202},
        {"negative voice", kCreate, token_, with("voice", V::number(-1)), 336202},
        {"voice a string", kCreate, token_, with("voice", V::string("1")), 336202},
        {"speed too high", kCreate, token_, with("speed", V::number(16)), 336202},
        {"pitch negative", kCreate, token_, with("pitch", V::number(-1)), 336202},
        {"volume fractional", kCreate, token_, with("volume", V::number(1.5)), 336202},
        {"other language", kCreate, token_, with("lang", V::string("en")), 336202},
        {"unknown token", kQuery, "forged", R"({"task_ids":[]})", 110},
        {"not JSON", kQuery, token_, "task_ids=1", 336212},
        {"no task ids", kQuery, token_, "{}", 336203},
        {"task ids a string", kQuery, token_, R"({"task_ids":"abc"})", 336202},
        {"task id a number", kQuery, token_, R"({"task_ids":[1]})", 336202},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.path) + ", " + c.name);
        const auto reply = Call(c.path, c.body, c.token);
        EXPECT_TRUE(reply.at("log_id").is_integer());
        EXPECT_EQ(reply.at("error_code").as_integer(), c.code);
        EXPECT_FALSE(reply.at("error_msg").as_string().empty());
        EXPECT_FALSE(reply.has_field("task_id"));
        EXPECT_FALSE(reply.has_field("tasks_info"));
    }

    EXPECT_EQ(Call(kQuery, R"({"task_ids":[]})", token_).at("tasks_info").size(), 0u);
    const auto unknown = Query("0123456789abcdef01234567");
    EXPECT_EQ(unknown.at("task_id").as_string(), "0123456789abcdef01234567");
    EXPECT_EQ(unknown.at("task_status").as_string(), "Failure");
    EXPECT_EQ(unknown.at("task_result").at("err_no").as_integer(), 336201);
}

TEST_F(LongSpeechTest, StoppingAbandonsSynthesisInProgress)
{
    // Several seconds of work for the engine: the most of a text it speaks.
    const auto text = web::json::value::string(emulator_test::Repeat("今天天气很好，我们一起去公园散步吧。", 300));
    Create(WithMember(WithMember(kBody, "text", web::json::value::array({text})), "format",
                      web::json::value::string("wav")));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto stopping = Clock::now();
    server_->Stop();
    EXPECT_LT(Clock::now() - stopping, std::chrono::seconds(1));
}

}  // namespace
