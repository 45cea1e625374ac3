#include "EmulatorFixture.h"

#include "AudioProbe.h"
#include "ShortSpeechRequest.h"
#include "SpeechSynthesizer.h"
#include "SpeechVoice.h"

#include <set>
#include <string>
#include <tuple>

using emulator_test::Json;
using emulator_test::PercentEncode;
using emulator_test::Repeat;

namespace {

constexpr const char *kChineseSentence = "今天天气很好，我们一起去公园散步吧。";
constexpr const char *kEnglishSentence = "The quick brown fox jumps over the lazy dog near the river bank.";

class ShortSpeechTest : public TokenTest {
protected:
    // The form a client sends, with the text already encoded and `extra` fields appended.
    std::string Form(const std::string &encodedText, const std::string &extra = "") const
    {
        return "tex=" + encodedText + "&lan=zh&cuid=qov-test-device&ctp=1&tok=" + token_ + extra;
    }
    httplib::Result Speak(const std::string &body, const std::string &query = "") const
    {
        return Client().Post("/text2audio" + (query.empty() ? "" : "?" + query), body, "text/plain; charset=utf-8");
    }
    AudioFacts SpeakWav(const std::string &text, const std::string &extra) const
    {
        auto res = Speak(Form(PercentEncode(text), "&aue=6" + extra));
        EXPECT_TRUE(res && res->get_header_value("Content-Type") == "audio/wav");
        const AudioFacts audio = res ? audio_probe::Probe(res->body) : AudioFacts{};
        EXPECT_TRUE(audio.decoded);
        EXPECT_EQ(audio.codec, "pcm_s16le");
        EXPECT_EQ(audio.sampleRate, 16000);
        EXPECT_EQ(audio.channels, 1);
        return audio;
    }
};

TEST_F(ShortSpeechTest, FieldsAreReadFromQueryOrFormBodyAndMp3IsTheDefault)
{
    auto fromQuery = Speak("", Form(PercentEncode("hello"), "&aue=6"));
    ASSERT_TRUE(fromQuery);
    EXPECT_EQ(fromQuery->get_header_value("Content-Type"), "audio/wav") << fromQuery->body;

    // Without a format the speech comes as MP3.
    auto asForm = Client().Post("/text2audio", Form(PercentEncode(kChineseSentence)), "application/x-www-form-urlencoded");
    ASSERT_TRUE(asForm);
    EXPECT_EQ(asForm->get_header_value("Content-Type"), "audio/mp3") << asForm->body.substr(0, 200);
    const auto audio = audio_probe::Probe(asForm->body);
    ASSERT_TRUE(audio.decoded);
    EXPECT_EQ(audio.codec, "mp3");
    EXPECT_EQ(audio.sampleRate, 16000);
    EXPECT_EQ(audio.channels, 1);
    // Seventeen syllables spoken at the normal rate.
    EXPECT_GT(audio.Seconds(), 2.0);
    EXPECT_LT(audio.Seconds(), 9.0);
}

TEST_F(ShortSpeechTest, FailuresAreSmallJsonBodies)
{
    const std::string hello = PercentEncode("hello");
    struct Case {
        const char *name;
        std::string body;
        int code;
        const char *message;
    } cases[] = {
        {"no token", "tex=hello&lan=zh&cuid=a&ctp=1", 502, "access token invalid"},
        {"unknown token", "tex=hello&lan=zh&cuid=a&ctp=1&tok=0123.1.1", 502, "access token invalid"},
        {"no text", "lan=zh&cuid=a&ctp=1&tok=" + token_, 500, "not support input"},
        {"empty text", Form(""), 500, "not support input"},
        {"no device id", "tex=hello&lan=zh&ctp=1&tok=" + token_, 500, "not support input"},
        {"empty device id", "tex=hello&lan=zh&cuid=&ctp=1&tok=" + token_, 500, "not support input"},
        {"no language", "tex=hello&cuid=a&ctp=1&tok=" + token_, 500, "not support input"},
        {"no client type", "tex=hello&lan=zh&cuid=a&tok=" + token_, 500, "not support input"},
        {"speed too high", Form(hello, "&spd=16"), 501, "input param invalid"},
        {"pitch negative", Form(hello, "&pit=-1"), 501, "input param invalid"},
        {"volume not a number", Form(hello, "&vol=loud"), 501, "input param invalid"},
        {"volume empty", Form(hello, "&vol="), 501, "input param invalid"},
        {"unknown audio format", Form(hello, "&aue=4"), 501, "input param invalid"},
        {"negative voice", Form(hello, "&per=-1"), 501, "input param invalid"},
        {"other language", "tex=hello&lan=en&cuid=a&ctp=1&tok=" + token_, 501, "input param invalid"},
        {"other client type", "tex=hello&lan=zh&cuid=a&ctp=2&tok=" + token_, 501, "input param invalid"},
        {"1025 characters", Form(Repeat("a", 1025)), 503, "text too long"},
        {"1025 Chinese characters", Form(Repeat(PercentEncode("好"), 1025)), 503, "text too long"},
        {"1025 encoded spaces", Form(Repeat("+", 1025)), 503, "text too long"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto res = Speak(c.body);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");
        // Clients tell an error from audio by a body of at most 200 bytes.
        EXPECT_LT(res->body.size(), 150u) << res->body;
        const auto body = Json(res->body);
        EXPECT_EQ(body.at("err_no").as_integer(), c.code);
        EXPECT_EQ(body.at("err_msg").as_string(), c.message);
        if (c.code == 502) {
            EXPECT_FALSE(body.at("sn").as_string().empty());
            EXPECT_EQ(body.at("idx").as_integer(), 1);
        }
    }
}

TEST_F(ShortSpeechTest, LengthLimitCountsDecodedCharacters)
{
    // 1024 characters sent as 3072 bytes of escapes are still within the limit.
    auto res = Speak(Form(Repeat("%20", 1024), "&aue=6"));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->get_header_value("Content-Type"), "audio/wav") << res->body;
    // Nothing to say still gives a short, valid file rather than a bare header.
    EXPECT_GT(audio_probe::Probe(res->body).Seconds(), 0.2);
}

TEST_F(ShortSpeechTest, DurationFollowsTextSpeedAndVoice)
{
    const auto normal = SpeakWav(kEnglishSentence, "");
    const auto thrice = SpeakWav(std::string(kEnglishSentence) + " " + kEnglishSentence + " " + kEnglishSentence, "");
    EXPECT_GT(normal.Seconds(), 2.0);
    EXPECT_GT(thrice.Seconds(), 2.5 * normal.Seconds());
    EXPECT_LT(thrice.Seconds(), 3.5 * normal.Seconds());

    const auto slowest = SpeakWav(kEnglishSentence, "&spd=0");
    const auto fastest = SpeakWav(kEnglishSentence, "&spd=15");
    EXPECT_GT(slowest.Seconds(), normal.Seconds() * 1.5);
    EXPECT_GT(slowest.Seconds(), fastest.Seconds() * 3);

    const auto quiet = SpeakWav(kEnglishSentence, "&vol=0");
    const auto loud = SpeakWav(kEnglishSentence, "&vol=15");
    EXPECT_NEAR(quiet.Seconds(), loud.Seconds(), 0.1 * loud.Seconds());
    EXPECT_GT(quiet.rms, 0.0);
    EXPECT_LT(quiet.rms, loud.rms / 5);

    auto female = Speak(Form(PercentEncode(kEnglishSentence), "&aue=6&per=0"));
    auto male = Speak(Form(PercentEncode(kEnglishSentence), "&aue=6&per=1"));
    ASSERT_TRUE(female && male);
    EXPECT_NE(female->body, male->body);
}

TEST(ShortSpeechRequestTest, FormFieldsAreDecodedExactlyOnce)
{
    const std::string text = "a&b=c+d 100% %41 你好";
    const ShortSpeechRequest request("", "tex=" + PercentEncode(text) + "&lan=zh&cuid=x&ctp=1&tok=t%2Bk");
    EXPECT_EQ(request.ErrorCode(), 0);
    EXPECT_EQ(request.Text(), text);
    EXPECT_EQ(request.Token(), "t+k");
    EXPECT_EQ(request.Settings().speed, 5);
    EXPECT_EQ(request.Settings().pitch, 5);
    EXPECT_EQ(request.Settings().volume, 5);
    EXPECT_EQ(request.Settings().person, 0);
    EXPECT_EQ(request.Format(), SpeechFormat::Mp3);

    EXPECT_EQ(ShortSpeechRequest("", "tex=two+words&lan=zh&cuid=x&ctp=1").Text(), "two words");
    const ShortSpeechRequest both("tex=query&spd=2&per=7", "tex=body&lan=zh&cuid=x&ctp=1&aue=6");
    EXPECT_EQ(both.Text(), "body");
    EXPECT_EQ(both.Settings().speed, 2);
    EXPECT_EQ(both.Settings().person, 7);
    EXPECT_EQ(both.Format(), SpeechFormat::Wav);
    EXPECT_EQ(ShortSpeechRequest("", "tex=" + Repeat(PercentEncode("好"), 1024) + "&lan=zh&cuid=x&ctp=1").ErrorCode(), 0);
}

TEST(SpeechVoiceTest, ChineseIsReadWithMandarinPhonemes)
{
    const std::string voice = SpeechVoice::NameFor("你好世界", 0);
    EXPECT_EQ(voice.rfind(SpeechVoice::kMandarin, 0), 0u) << voice;
    const std::string phonemes = SpeechSynthesizer::Phonemes("你好世界", voice);
    // Tone contours on every syllable; a voice that spells the romanisation falls back to English.
    EXPECT_EQ(phonemes.find("(en)"), std::string::npos) << phonemes;
    EXPECT_NE(phonemes.find("n'i"), std::string::npos) << phonemes;
    EXPECT_NE(phonemes.find("s.'i.51"), std::string::npos) << phonemes;

    EXPECT_EQ(SpeechVoice::NameFor("我们用Qt写界面", 1).rfind(SpeechVoice::kMandarin, 0), 0u);
    const std::string english = SpeechVoice::NameFor("hello world", 0);
    EXPECT_EQ(english.rfind(SpeechVoice::kEnglish, 0), 0u) << english;
    EXPECT_EQ(SpeechSynthesizer::Phonemes("hello", english), "h@l'oU");
}

}  // namespace

TEST(SpeechVoiceTest, EveryLibraryVoiceHasASpeakerOfItsOwn)
{
    const int library[] = {0, 1, 2, 3, 4, 5, 6, 7, 100, 101, 102, 103};
    std::set<std::tuple<std::string, int, int>> speakers;
    std::set<std::string> variants;
    for (int person = 0; person < 10; ++person) {
        const std::string name = SpeechVoice::NameFor("hello", person);
        EXPECT_NE(name.find(person % 2 == 0 ? "+f" : "+m"), std::string::npos) << name;
        variants.insert(name);
    }
    EXPECT_EQ(variants.size(), 10u) << "every voice number picks a variant of its own";
    for (const int person : library) {
        const std::string name = SpeechVoice::NameFor("你好", person);
        EXPECT_NE(name.find(person % 2 == 0 ? "+f" : "+m"), std::string::npos) << person << " " << name;
        speakers.insert({name, SpeechVoice::Rate(5, person), SpeechVoice::Pitch(5, person)});
        // The speaker's own shift never leaves the engine's ranges.
        EXPECT_GE(SpeechVoice::Pitch(0, person), 0) << person;
        EXPECT_LE(SpeechVoice::Pitch(15, person), 99) << person;
        EXPECT_GT(SpeechVoice::Rate(0, person), 0) << person;
    }
    EXPECT_EQ(speakers.size(), std::size(library));
    // Numbers outside the library keep the plain levels.
    EXPECT_EQ(SpeechVoice::Rate(7, 42), SpeechVoice::Rate(7));
    EXPECT_EQ(SpeechVoice::Pitch(7, 42), SpeechVoice::Pitch(7));
}
