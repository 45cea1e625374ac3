// The file-transcription service driven by a client written here: its own signature, its own
// query strings and its own multipart bodies, as the module's client sends them.
#include "AudioEncoder.h"
#include "EmulatorFixture.h"
#include "GeneratedSpeech.h"
#include "SpeechRecognizer.h"
#include "StoreRequests.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <regex>
#include <string>
#include <vector>

using emulator_test::Json;
using emulator_test::JsonReply;
using emulator_test::PercentEncode;
using emulator_test::RawExchange;

namespace {

// Each state of a task shows this long: long enough that a poll every few tens of milliseconds
// sees every one of them however slow the machine, short enough for quick tests.
constexpr int kStepMs = 600;
constexpr const char *kAppId = "qovlocal";
constexpr const char *kKey = "qov-local-transcription-key";

struct Part {
    std::string name;
    std::string value;
    std::optional<std::string> filename;  // makes it a file part
};

std::string Now(int offsetSeconds = 0) { return std::to_string(emulator_test::EpochSeconds() + offsetSeconds); }

std::string Signa(const std::string &appId, const std::string &key, const std::string &ts)
{
    const QByteArray md5 = QCryptographicHash::hash(QByteArray::fromStdString(appId + ts), QCryptographicHash::Md5).toHex();
    return store_test::Sign(key, md5.toStdString());
}

std::string Gbk(const std::string &utf8)
{
    const iconv_t converter = iconv_open("CP936", "UTF-8");
    std::string input = utf8;
    std::string output(input.size() * 2, '\0');
    char *in = input.data();
    char *out = output.data();
    std::size_t inLeft = input.size();
    std::size_t outLeft = output.size();
    iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    output.resize(output.size() - outLeft);
    return output;
}

std::string MultipartBody(const std::vector<Part> &parts, const std::string &boundary)
{
    std::string body;
    for (const auto &part : parts) {
        body += "\r\n--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + part.name + "\"";
        if (part.filename)
            body += "; filename=\"" + *part.filename + "\"\r\nContent-Type: application/octet-stream";
        body += "\r\n\r\n" + part.value;
    }
    return body + "\r\n--" + boundary + "--\r\n";
}

class TranscriptionServiceTest : public EmulatorTest {
protected:
    EmulatorOptions Options() const override
    {
        EmulatorOptions options;
        options.recognitionStepMs = kStepMs;
        options.transcriptionAppId = appId_;
        return options;
    }

    using Params = std::vector<std::pair<std::string, std::string>>;

    // The three parameters every request carries, signed with `key` at `ts`.
    Params Common(const std::string &key = kKey, const std::string &ts = Now()) const
    {
        return {{"app_id", appId_}, {"signa", Signa(appId_, key, ts)}, {"ts", ts}};
    }
    web::json::value Post(const std::string &endpoint, Params params) const
    {
        std::string query;
        for (const auto &[name, value] : params)
            query += (query.empty() ? "" : "&") + PercentEncode(name, "-._~") + "=" + PercentEncode(value, "-._~");
        return JsonReply(Client().Post("/api/" + endpoint + "?" + query, "",
                                       "application/x-www-form-urlencoded; charset=UTF-8"));
    }
    web::json::value Signed(const std::string &endpoint, Params extra) const
    {
        Params params = Common();
        params.insert(params.end(), extra.begin(), extra.end());
        return Post(endpoint, params);
    }
    web::json::value Upload(const std::vector<Part> &parts, const std::string &boundary = "----CppRestSdkClientQ7b9Xk2m4N6p8R0t") const
    {
        const bool plain = std::all_of(boundary.begin(), boundary.end(), [](unsigned char c) {
            return std::isalnum(c) != 0 || c == '-' || c == '_' || c == '.';
        });
        const std::string type = "multipart/form-data; boundary=" + (plain ? boundary : "\"" + boundary + "\"");
        return JsonReply(Client().Post("/api/upload", MultipartBody(parts, boundary), type.c_str()));
    }
    // The upload's parts in the module's order: text parts by name, the file last.
    std::vector<Part> UploadParts(const std::string &taskId, const std::string &audio,
                                  const std::string &sliceId = "aaaaaaaaaa") const
    {
        const std::string ts = Now();
        return {{"app_id", appId_, std::nullopt},
                {"signa", Signa(appId_, kKey, ts), std::nullopt},
                {"slice_id", sliceId, std::nullopt},
                {"task_id", taskId, std::nullopt},
                {"ts", ts, std::nullopt},
                {"content", audio, "recording.mp3"}};
    }
    std::string Prepare(const std::string &audio, Params extra = {}) const
    {
        Params params = {{"file_len", std::to_string(audio.size())}, {"file_name", "recording.mp3"}, {"slice_num", "1"}};
        for (auto &[name, value] : extra) {
            const auto same = std::find_if(params.begin(), params.end(), [&](const auto &p) { return p.first == name; });
            if (same != params.end())
                same->second = value;
            else
                params.emplace_back(name, value);
        }
        const auto reply = Signed("prepare", params);
        EXPECT_EQ(reply.at("ok").as_integer(), 0) << reply.serialize();
        return reply.at("data").is_string() ? reply.at("data").as_string() : "";
    }
    // prepare, upload and merge; the task id.
    std::string Submit(const std::string &audio, Params extra = {}) const
    {
        const std::string id = Prepare(audio, std::move(extra));
        EXPECT_EQ(Upload(UploadParts(id, audio)).at("ok").as_integer(), 0);
        EXPECT_EQ(Signed("merge", {{"task_id", id}, {"file_name", "/home/user/录音/recording.mp3"}}).at("ok").as_integer(), 0);
        return id;
    }
    // Progress replies until one is not an unfinished state, at most twenty seconds.
    std::vector<web::json::value> FollowProgress(const std::string &id) const
    {
        std::vector<web::json::value> replies;
        emulator_test::PollUntil(
            [&] {
                const auto &reply = replies.emplace_back(Signed("getProgress", {{"task_id", id}}));
                return reply.at("err_no").as_integer() != 0 ||
                       Json(reply.at("data").as_string()).at("status").as_integer() == 9;
            },
            std::chrono::milliseconds(40));
        return replies;
    }

    std::string appId_ = kAppId;
};

TEST_F(TranscriptionServiceTest, TheWholeProtocolTranscribesARecording)
{
    const auto speech = GeneratedSpeech::Make({"今天天气很好", "我们明天见"}, {500, 900, 500});
    const std::string audio = AudioEncoder::Encode(speech.pcm, SpeechFormat::Mp3);

    const auto prepared = Signed("prepare", {{"file_len", std::to_string(audio.size())},
                                             {"file_name", "recording.mp3"},
                                             {"slice_num", "1"}});
    EXPECT_EQ(prepared.at("ok").as_integer(), 0);
    EXPECT_EQ(prepared.at("err_no").as_string(), "0");
    const std::string id = prepared.at("data").as_string();
    EXPECT_TRUE(std::regex_match(id, std::regex("[0-9a-f]{32}"))) << id;
    EXPECT_EQ(Json(Signed("getProgress", {{"task_id", id}}).at("data").as_string()).at("status").as_integer(), 0);

    EXPECT_EQ(Upload(UploadParts(id, audio)).at("ok").as_integer(), 0);
    EXPECT_EQ(Json(Signed("getProgress", {{"task_id", id}}).at("data").as_string()).at("status").as_integer(), 1);
    const auto early = Signed("getResult", {{"task_id", id}});
    EXPECT_EQ(early.at("ok").as_integer(), -1);
    EXPECT_EQ(early.at("err_no").as_integer(), 26605);
    EXPECT_EQ(early.at("failed").as_string(), "任务正在处理中，请稍后重试");
    const auto merged = Signed("merge", {{"task_id", id}, {"file_name", "/home/user/录音/recording.mp3"}});
    EXPECT_EQ(merged.at("ok").as_integer(), 0) << merged.serialize();

    // Merged, transcribing, finishing, done: in this order, each seen while it lasts.
    std::vector<int> seen;
    for (const auto &reply : FollowProgress(id)) {
        ASSERT_EQ(reply.at("err_no").as_integer(), 0) << reply.serialize();
        const auto data = Json(reply.at("data").as_string());
        EXPECT_FALSE(data.at("desc").as_string().empty());
        const int status = data.at("status").as_integer();
        if (seen.empty() || seen.back() != status)
            seen.push_back(status);
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 9}));

    const auto result = Signed("getResult", {{"task_id", id}});
    ASSERT_EQ(result.at("err_no").as_integer(), 0) << result.serialize();
    const auto sentences = Json(result.at("data").as_string());
    ASSERT_EQ(sentences.size(), 2u);
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        const auto &sentence = sentences.at(i);
        const int bg = std::stoi(sentence.at("bg").as_string());
        const int ed = std::stoi(sentence.at("ed").as_string());
        EXPECT_NEAR(bg, speech.sentences[i].beginMs, 150);
        EXPECT_NEAR(ed, speech.sentences[i].endMs, 150);
        EXPECT_EQ(sentence.at("onebest").as_string(), SpeechRecognizer::PlaceholderText(static_cast<int>(i + 1), ed - bg));
        EXPECT_EQ(sentence.at("speaker").as_string(), "0");
    }
}

TEST_F(TranscriptionServiceTest, EnglishWhenAskedFor)
{
    const std::string id = Submit(speech_test::WavOfRaw(speech_test::kGoForward), {{"language", "en"}});
    ASSERT_EQ(FollowProgress(id).back().at("err_no").as_integer(), 0);
    const auto sentences = Json(Signed("getResult", {{"task_id", id}}).at("data").as_string());
    ASSERT_EQ(sentences.size(), 1u);
    EXPECT_EQ(sentences.at(0).at("onebest").as_string(), "go forward ten meters");
}

TEST_F(TranscriptionServiceTest, CallersItDoesNotKnowOrTrustAreRefused)
{
    const auto with = [&](Params params, const std::string &name, const std::string &value) {
        for (auto &[key, old] : params) {
            if (key == name)
                old = value;
        }
        return params;
    };
    const auto without = [](Params params, const std::string &name) {
        std::erase_if(params, [&](const auto &p) { return p.first == name; });
        return params;
    };
    const Params prepare = {{"file_len", "1000"}, {"file_name", "a.mp3"}, {"slice_num", "1"}};
    const auto plus = [&](Params params) {
        params.insert(params.end(), prepare.begin(), prepare.end());
        return params;
    };
    const std::string stale = Now(-301);
    const std::string ahead = Now(400);
    struct Case {
        const char *name;
        Params params;
        const char *errNo;
    } cases[] = {
        {"wrong key", plus(Common("not-the-key")), "26601"},
        {"unknown application", plus(with(Common(), "app_id", "someone-else")), "26601"},
        {"signature of another time", plus(with(Common(), "ts", Now(-5))), "26601"},
        {"stale time", plus(Common(kKey, stale)), "26610"},
        {"time from the future", plus(Common(kKey, ahead)), "26610"},
        {"time that is no number", plus(Common(kKey, "soon")), "26610"},
        {"no signature", plus(without(Common(), "signa")), "26610"},
        {"no file length", without(plus(Common()), "file_len"), "26610"},
        {"file length no number", with(plus(Common()), "file_len", "12kb"), "26610"},
        {"no slices", with(plus(Common()), "slice_num", "0"), "26610"},
        {"empty file", with(plus(Common()), "file_len", "0"), "26606"},
        {"file too large", with(plus(Common()), "file_len", std::to_string((500u << 20) + 1)), "26621"},
        {"language not offered", [&] {
             auto params = plus(Common());
             params.emplace_back("language", "fr");
             return params;
         }(), "26607"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto reply = Post("prepare", c.params);
        EXPECT_EQ(reply.at("ok").as_integer(), -1);
        ASSERT_TRUE(reply.at("err_no").is_string()) << reply.serialize();
        EXPECT_EQ(reply.at("err_no").as_string(), c.errNo);
        EXPECT_FALSE(reply.at("failed").as_string().empty());
    }

    // The progress and result steps answer with numbers, an unknown task included.
    for (const char *endpoint : {"getProgress", "getResult"}) {
        SCOPED_TRACE(endpoint);
        const auto unknown = Signed(endpoint, {{"task_id", "0123456789abcdef0123456789abcdef"}});
        EXPECT_EQ(unknown.at("err_no").as_integer(), 26602);
        EXPECT_EQ(Post(endpoint, {{"task_id", "x"}}).at("err_no").as_integer(), 26610);
        auto wrongKey = Common("not-the-key");
        wrongKey.emplace_back("task_id", "x");
        EXPECT_EQ(Post(endpoint, wrongKey).at("err_no").as_integer(), 26601);
    }
}

TEST_F(TranscriptionServiceTest, UploadsAndMergesOutOfTurn)
{
    const std::string audio = AudioEncoder::Encode(GeneratedSpeech::Make({"好的"}, {200, 200}).pcm, SpeechFormat::Mp3);
    const std::string id = Prepare(audio);
    const std::string ts = Now();
    struct Case {
        const char *name;
        std::vector<Part> parts;
        const char *errNo;
    } cases[] = {
        {"no file part", [&] {
             auto parts = UploadParts(id, audio);
             parts.pop_back();
             return parts;
         }(), "26640"},
        {"an unknown task", UploadParts("feedfacefeedfacefeedfacefeedface", audio), "26602"},
        {"a slice id that is none", UploadParts(id, audio, "slice-1"), "26610"},
        {"more bytes than announced", UploadParts(id, audio + "extra"), "26635"},
        {"a wrong signature", [&] {
             auto parts = UploadParts(id, audio);
             parts[1].value = Signa(kAppId, "not-the-key", parts[4].value);
             return parts;
         }(), "26601"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto reply = Upload(c.parts);
        EXPECT_EQ(reply.at("ok").as_integer(), -1);
        EXPECT_EQ(reply.at("err_no").as_string(), c.errNo) << reply.serialize();
    }

    // Merging before anything arrived; then the whole file in two slices, the second one first.
    EXPECT_EQ(Signed("merge", {{"task_id", id}, {"file_name", "a.mp3"}}).at("err_no").as_string(), "26642");
    const std::string twoSlices = Prepare(audio, {{"file_name", "a.mp3"}, {"slice_num", "2"}});
    // The parts in any order, under any boundary, one that needs quotes included.
    const std::size_t half = audio.size() / 2;
    auto parts = UploadParts(twoSlices, audio.substr(half), "aaaaaaaaab");
    std::reverse(parts.begin(), parts.end());
    EXPECT_EQ(Upload(parts, "x").at("ok").as_integer(), 0);
    EXPECT_EQ(Signed("merge", {{"task_id", twoSlices}, {"file_name", "a.mp3"}}).at("err_no").as_string(), "26635");
    parts = UploadParts(twoSlices, audio.substr(0, half), "aaaaaaaaaa");
    std::rotate(parts.begin(), parts.begin() + 2, parts.end());
    EXPECT_EQ(Upload(parts, "'()+_,-./:=? quoted").at("ok").as_integer(), 0);
    EXPECT_EQ(Upload(UploadParts(twoSlices, "x", "aaaaaaaaac")).at("err_no").as_string(), "26641");
    EXPECT_EQ(Signed("merge", {{"task_id", twoSlices}, {"file_name", "a.mp3"}}).at("ok").as_integer(), 0);
    EXPECT_EQ(Signed("merge", {{"task_id", twoSlices}, {"file_name", "a.mp3"}}).at("err_no").as_string(), "26642");
    EXPECT_EQ(Upload(UploadParts(twoSlices, "late", "aaaaaaaaad")).at("err_no").as_string(), "26640");
    const auto progress = FollowProgress(twoSlices);
    ASSERT_EQ(progress.back().at("err_no").as_integer(), 0) << progress.back().serialize();
    EXPECT_EQ(Json(Signed("getResult", {{"task_id", twoSlices}}).at("data").as_string()).size(), 1u);
}

class ChineseApplicationTest : public TranscriptionServiceTest {
protected:
    ChineseApplicationTest() { appId_ = "字幕应用"; }
};

// The module writes its text parts in code page 936; the query strings stay UTF-8.
TEST_F(ChineseApplicationTest, TextPartsInCodePage936)
{
    const std::string audio = AudioEncoder::Encode(GeneratedSpeech::Make({"好的"}, {200, 200}).pcm, SpeechFormat::Mp3);
    const std::string id = Prepare(audio);
    auto parts = UploadParts(id, audio);
    parts[0].value = Gbk(appId_);
    ASSERT_NE(parts[0].value, appId_);
    EXPECT_EQ(Upload(parts).at("ok").as_integer(), 0);
    parts[0].value = "\x81";  // half a character
    EXPECT_EQ(Upload(parts).at("err_no").as_string(), "26610");
}

TEST_F(TranscriptionServiceTest, EmptyOrUnreadableAudioFailsTheTask)
{
    struct Case {
        const char *name;
        std::string audio;
        int errNo;
    } cases[] = {
        {"a header without samples", speech_test::Wav({}), 26606},
        {"bytes that are no audio", std::string(3000, 'z'), 26650},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string id = Submit(c.audio);
        const auto last = FollowProgress(id).back();
        EXPECT_EQ(last.at("ok").as_integer(), -1);
        EXPECT_EQ(last.at("err_no").as_integer(), c.errNo) << last.serialize();
        EXPECT_EQ(Signed("getResult", {{"task_id", id}}).at("err_no").as_integer(), c.errNo);
    }
}

TEST_F(TranscriptionServiceTest, MalformedUploadsNeverTakeTheServiceDown)
{
    const std::string audio = "0123456789";
    const std::string id = Prepare(audio);
    const std::string good = MultipartBody(UploadParts(id, audio), "b0undary");
    const auto raw = [&](const std::string &contentType, const std::string &body, const std::string &length) {
        return "POST /api/upload HTTP/1.1\r\nHost: x\r\nContent-Type: " + contentType + "\r\nContent-Length: " + length +
               "\r\n\r\n" + body;
    };
    struct Case {
        const char *name;
        std::string contentType;
        std::string body;
    } cases[] = {
        {"no boundary", "multipart/form-data", good},
        {"another boundary", "multipart/form-data; boundary=other", good},
        {"not multipart", "application/octet-stream", good},
        {"no closing delimiter", "multipart/form-data; boundary=b0undary", good.substr(0, good.size() - 14)},
        {"a header without colon", "multipart/form-data; boundary=b0undary",
         "\r\n--b0undary\r\nContent-Disposition form-data\r\n\r\nx\r\n--b0undary--"},
        {"nothing", "multipart/form-data; boundary=b0undary", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto res = Client().Post("/api/upload", c.body, c.contentType.c_str());
        ASSERT_TRUE(res);
        const auto reply = Json(res->body);
        EXPECT_EQ(reply.at("ok").as_integer(), -1);
        EXPECT_EQ(reply.at("err_no").as_string(), "26610") << reply.serialize();
    }
    // Cut short on the wire, or far longer headers than any client sends.
    RawExchange(port_, raw("multipart/form-data; boundary=b0undary", good.substr(0, 40), std::to_string(good.size())));
    RawExchange(port_, raw("multipart/form-data; boundary=" + std::string(100000, 'b'), good, std::to_string(good.size())));
    RawExchange(port_, raw("multipart/form-data; boundary=b0undary", good, "99999999999"));
    EXPECT_EQ(Upload(UploadParts(id, audio)).at("ok").as_integer(), 0);
    EXPECT_EQ(Json(Signed("getProgress", {{"task_id", id}}).at("data").as_string()).at("status").as_integer(), 1);
}

}  // namespace
