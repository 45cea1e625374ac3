// The recognition service on the object store, driven the way its client drives it: upload to
// the store, create a task naming the object's address, poll until it ends.
#include "AudioEncoder.h"
#include "EmulatorFixture.h"
#include "GeneratedSpeech.h"
#include "SpeechRecognizer.h"
#include "StoreRequests.h"

#include <chrono>
#include <iterator>
#include <string>
#include <vector>

using emulator_test::WithMember;
using emulator_test::WithoutMember;
using Clock = std::chrono::steady_clock;

namespace {

// Long enough that a task is surely seen running however slow the machine, short enough that the
// tests, which create their tasks together and then wait for them, stay quick.
constexpr int kStepMs = 1000;

class RecognitionServiceTest : public TokenTest {
protected:
    EmulatorOptions Options() const override
    {
        EmulatorOptions options;
        options.recognitionStepMs = kStepMs;
        return options;
    }
    void Store(const std::string &key, const std::string &bytes) const
    {
        auto res = store_test::Send(port_, store_test::Put(key, bytes));
        ASSERT_TRUE(res);
        ASSERT_EQ(res->status, 200) << res->body;
    }
    std::string UrlOf(const std::string &key) const
    {
        return "https://qov-subtitles.127.0.0.1:" + std::to_string(port_) + "/" + key;
    }
    static std::string CreateBody(const std::string &url, const std::string &format, int model)
    {
        auto body = web::json::value::object();
        body["speech_url"] = web::json::value::string(url);
        body["format"] = web::json::value::string(format);
        body["pid"] = web::json::value::number(model);
        body["rate"] = web::json::value::number(16000);
        return body.serialize();
    }
    web::json::value Create(const std::string &body) const { return Call("/aasr/v1/create", body, token_); }
    web::json::value Query(const std::string &id) const
    {
        return Call("/aasr/v1/query", R"({"task_ids":[")" + id + R"("]})", token_);
    }
    // Polls until the task leaves "Running", for at most twenty seconds; a reply without tasks ends it too.
    web::json::value Finished(const std::string &id) const
    {
        web::json::value info;
        emulator_test::PollUntil(
            [&] {
                const auto reply = Query(id);
                info = reply.has_field("tasks_info") ? reply.at("tasks_info").at(0) : reply;
                return !reply.has_field("tasks_info") || info.at("task_status").as_string() != "Running";
            },
            std::chrono::milliseconds(50));
        return info;
    }
};

TEST_F(RecognitionServiceTest, AnEnglishRecordingRunsThenSucceedsWithItsWordsWhenAsked)
{
    const std::string key = "0f8fad5b-d9cb-469f-a165-70867728950e_goforward.pcm";
    const std::string raw = speech_test::ReadFile(speech_test::kGoForward);
    ASSERT_FALSE(raw.empty()) << "pocketsphinx-testdata is not installed";
    Store(key, raw);
    const auto started = Clock::now();
    const auto created =
        Create(WithMember(CreateBody(UrlOf(key), "PCM", 1737), "word_times", web::json::value::boolean(true)));
    ASSERT_FALSE(created.has_field("error_code")) << created.serialize();
    EXPECT_EQ(created.at("task_status").as_string(), "Created");
    const std::string id = created.at("task_id").as_string();
    const std::string plain = Create(CreateBody(UrlOf(key), "PCM", 1737)).at("task_id").as_string();

    const auto running = Query(id).at("tasks_info").at(0);
    EXPECT_EQ(running.at("task_id").as_string(), id);
    EXPECT_EQ(running.at("task_status").as_string(), "Running");
    EXPECT_FALSE(running.has_field("task_result"));

    const auto info = Finished(id);
    ASSERT_EQ(info.at("task_status").as_string(), "Success") << info.serialize();
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(kStepMs));
    const auto &result = info.at("task_result");
    ASSERT_EQ(result.at("result").size(), 1u);
    EXPECT_EQ(result.at("result").at(0).as_string(), "go forward ten meters");
    const auto &details = result.at("detailed_result");
    ASSERT_EQ(details.size(), 1u);
    const auto &sentence = details.at(0);
    EXPECT_EQ(sentence.at("res").at(0).as_string(), "go forward ten meters");
    const auto duration = result.at("audio_duration").as_integer();
    EXPECT_EQ(duration, static_cast<int>(raw.size() / 2 / 16));
    // The speech is in the middle of the recording, with quiet around it.
    const auto begin = sentence.at("begin_time").as_integer();
    const auto end = sentence.at("end_time").as_integer();
    EXPECT_GT(begin, 300);
    EXPECT_LT(end, duration - 200);
    ASSERT_EQ(sentence.at("words").size(), 4u);
    EXPECT_EQ(sentence.at("words").at(3).at("word").as_string(), "meters");
    // Words follow each other within their sentence, each long enough to have been spoken.
    int previousEnd = begin - static_cast<int>(SpeechRecognizer::kMarginMs);
    for (const auto &word : sentence.at("words").as_array()) {
        SCOPED_TRACE(word.at("word").as_string());
        EXPECT_GE(word.at("begin_time").as_integer(), previousEnd);
        EXPECT_GT(word.at("end_time").as_integer(), word.at("begin_time").as_integer() + 50);
        previousEnd = word.at("end_time").as_integer();
    }
    EXPECT_LE(previousEnd, end + SpeechRecognizer::kMarginMs);
    // Not asked, the same sentence comes without its words, as the services that have none send it.
    EXPECT_FALSE(Finished(plain).at("task_result").at("detailed_result").at(0).has_field("words"));
}

TEST_F(RecognitionServiceTest, MandarinSentencesKeepTheirTimesWithATextSayingWhatTheyAre)
{
    // Half a second is pause enough to end a sentence.
    const auto speech = GeneratedSpeech::Make({"今天天气很好", "好的", "我们明天见"}, {400, 500, 1000, 400});
    // The key holds Chinese and is named in the address as it is, not percent-encoded.
    const std::string key = "5b6d0be2-6b0f-4f5e-a3c2-1e2d3c4b5a69_会议录音.mp3";
    Store(key, AudioEncoder::Encode(speech.pcm, SpeechFormat::Mp3));
    std::vector<std::string> ids;
    for (const int model : {80001, 80006})
        ids.push_back(Create(CreateBody(UrlOf(key), "mp3", model)).at("task_id").as_string());
    for (const auto &id : ids) {
        const auto info = Finished(id);
        ASSERT_EQ(info.at("task_status").as_string(), "Success") << info.serialize();
        const auto &details = info.at("task_result").at("detailed_result");
        ASSERT_EQ(details.size(), 3u);
        std::string joined;
        for (std::size_t i = 0; i < details.size(); ++i) {
            const auto begin = details.at(i).at("begin_time").as_integer();
            const auto end = details.at(i).at("end_time").as_integer();
            EXPECT_NEAR(begin, speech.sentences[i].beginMs, 150);
            EXPECT_NEAR(end, speech.sentences[i].endMs, 150);
            const std::string text = details.at(i).at("res").at(0).as_string();
            EXPECT_EQ(text, SpeechRecognizer::PlaceholderText(static_cast<int>(i + 1), end - begin));
            joined += text;
        }
        EXPECT_EQ(info.at("task_result").at("result").at(0).as_string(), joined);
    }
    EXPECT_EQ(SpeechRecognizer::PlaceholderText(3, 1849), "第3句（1.8秒）");
}

TEST_F(RecognitionServiceTest, AddressesItCannotFetchFailTheTaskWithAMessage)
{
    Store("noise.mp3", std::string(4000, 'n'));
    Store("empty.wav", speech_test::Wav({}));
    const std::string port = std::to_string(port_);
    struct Case {
        const char *name;
        std::string url;
        int errNo;
        const char *says;
    } cases[] = {
        {"another bucket", "https://other-bucket.127.0.0.1:" + port + "/noise.mp3", 336101, "not an address"},
        {"another port", "https://qov-subtitles.127.0.0.1:1/noise.mp3", 336101, "not an address"},
        {"no such object", UrlOf("never-stored.mp3"), 336101, "no object never-stored.mp3"},
        {"not an address at all", "ftp:/nowhere", 336101, "not an address"},
        {"bytes that are no audio", UrlOf("noise.mp3"), 336102, "cannot be decoded"},
        {"audio without samples", UrlOf("empty.wav"), 336103, "holds no audio"},
    };
    std::vector<std::string> ids;
    for (const auto &c : cases) {
        const auto created = Create(CreateBody(c.url, "mp3", 80001));
        ASSERT_TRUE(created.has_field("task_id")) << created.serialize();
        ids.push_back(created.at("task_id").as_string());
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto &c = cases[i];
        SCOPED_TRACE(c.name);
        const auto info = Finished(ids[i]);
        ASSERT_EQ(info.at("task_status").as_string(), "Failure") << info.serialize();
        EXPECT_EQ(info.at("task_result").at("err_no").as_integer(), c.errNo);
        EXPECT_NE(info.at("task_result").at("err_msg").as_string().find(c.says), std::string::npos)
            << info.at("task_result").at("err_msg").as_string();
    }
}

TEST_F(RecognitionServiceTest, BadRequestsAreAnsweredWithTheirCause)
{
    Store("ok.mp3", std::string(100, 'x'));
    const std::string ok = CreateBody(UrlOf("ok.mp3"), "mp3", 80001);
    const std::string id = Create(ok).at("task_id").as_string();
    using V = web::json::value;
    const auto with = [&](const char *member, V value) { return WithMember(ok, member, std::move(value)); };
    struct Case {
        const char *name;
        std::string path;
        std::string body;
        std::string token;
        int code;
        const char *detail;  // in error_info
    } cases[] = {
        {"unknown token", "/aasr/v1/create", ok, "forged", 110, "access_token"},
        {"no token", "/aasr/v1/query", R"({"task_ids":[")" + id + R"("]})", "", 110, "access_token"},
        {"not JSON", "/aasr/v1/create", "speech_url=x", token_, 336003, "JSON object"},
        {"no model", "/aasr/v1/create", WithoutMember(ok, "pid"), token_, 336002, "pid"},
        {"unknown model", "/aasr/v1/create", with("pid", V::number(1536)), token_, 336001, "pid"},
        {"model as text", "/aasr/v1/create", with("pid", V::string("1737")), token_, 336001, "pid"},
        {"format that is no extension", "/aasr/v1/create", with("format", V::string("mp3; rm")), token_,
         336001, "format"},
        {"format as a number", "/aasr/v1/create", with("format", V::number(3)), token_, 336001, "format"},
        {"odd rate", "/aasr/v1/create", with("rate", V::number(44100)), token_, 336001, "rate"},
        {"word times as text", "/aasr/v1/create", with("word_times", V::string("yes")), token_, 336001, "word_times"},
        {"empty address", "/aasr/v1/create", with("speech_url", V::string("")), token_, 336001, "speech_url"},
        {"no task ids", "/aasr/v1/query", "{}", token_, 336002, "task_ids"},
        {"task ids not a list", "/aasr/v1/query", R"({"task_ids":"abc"})", token_, 336001, "task_ids"},
        {"unknown task", "/aasr/v1/query", R"({"task_ids":["feedfacefeedfacefeedface"]})", token_, 336004,
         "feedfacefeedfacefeedface"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto reply = Call(c.path, c.body, c.token);
        ASSERT_TRUE(reply.has_field("error_code")) << reply.serialize();
        EXPECT_EQ(reply.at("error_code").as_integer(), c.code);
        EXPECT_FALSE(reply.at("error_msg").as_string().empty());
        ASSERT_TRUE(reply.at("error_info").is_array());
        ASSERT_GE(reply.at("error_info").size(), 1u);
        EXPECT_NE(reply.at("error_info").at(0).as_string().find(c.detail), std::string::npos)
            << reply.at("error_info").at(0).as_string();
        EXPECT_FALSE(reply.has_field("tasks_info"));
    }

    // Known and unknown ids together: the known ones are reported, the others listed.
    const auto mixed = Call("/aasr/v1/query", R"({"task_ids":[")" + id + R"(","nope"]})", token_);
    EXPECT_FALSE(mixed.has_field("error_code"));
    ASSERT_EQ(mixed.at("tasks_info").size(), 1u);
    EXPECT_EQ(mixed.at("tasks_info").at(0).at("task_id").as_string(), id);
    EXPECT_EQ(mixed.at("error_info").at(0).as_string(), "nope");
}

}  // namespace
