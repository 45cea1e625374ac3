#include "TextGenerator.h"

#include "Utf8Text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

bool IsValidUtf8(const std::string &text) { return Utf8Text::Sanitize(text) == text; }

bool HasCjk(const std::string &text) { return Utf8Text::ContainsCjk(Utf8Text::Decode(text)); }

// Sentence ends the templates use; the topics below contain none of them.
int CountSentences(const std::string &text, bool chinese)
{
    int count = 0;
    if (chinese) {
        for (const std::string end : {"。", "！", "？"}) {
            for (auto at = text.find(end); at != std::string::npos; at = text.find(end, at + 1))
                ++count;
        }
        return count;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool atEnd = i + 1 == text.size() || text[i + 1] == ' ' || text[i + 1] == '\n';
        if ((text[i] == '.' || text[i] == '?' || text[i] == '!') && atEnd)
            ++count;
    }
    return count;
}

struct Topic {
    const char *name;
    std::string text;
    bool chinese;
    std::string expectedPhrase;  // empty: not checked
};

const Topic kTopics[] = {
    {"english", "Write an opening for the launch of: Aurora smart lamp", false, "Aurora smart lamp"},
    {"chinese", "为新品发布会写一段开场白：星光智能台灯", true, "星光智能台灯"},
    {"quoted chinese title", "视频旁白：《春天的西湖》", true, "“春天的西湖”"},
    {"label on the first line", "Topic: \"Harbour lights\"\nTone: warm\nLength: short", false, "Harbour lights"},
    {"one letter", "x", false, "x"},
    {"one ideograph", "猫", true, "猫"},
    {"only spaces", "     ", false, ""},
    {"only punctuation", "？！。", true, ""},
    {"control characters", std::string("a\0b\x01c", 5), false, ""},
    {"invalid bytes", "caf\xC3 \xFF\xFE bar", false, ""},
    {"long chinese", std::string(60, '\xE6') + "春" + std::string(300, 'x'), true, ""},
    {"emoji at the cut", std::string(19 * 3, ' ') + "猫猫猫猫猫猫猫猫猫猫猫猫猫猫猫猫猫猫猫\xF0\x9F\x90\xB1\xF0\x9F\x90\xB1", true, ""},
    {"long english", std::string(500, 'w') + " and more words after it", false, ""},
};

TEST(TextGeneratorTest, EveryTopicGivesSeveralSentencesOfValidText)
{
    const TextGenerator generator;
    for (const auto &topic : kTopics) {
        SCOPED_TRACE(topic.name);
        const auto text = generator.Generate(topic.text);
        ASSERT_FALSE(text.empty());
        EXPECT_TRUE(IsValidUtf8(text)) << text;
        EXPECT_EQ(HasCjk(text), topic.chinese) << text;
        EXPECT_NE(text.find("\n\n"), std::string::npos) << text;
        EXPECT_EQ(text.find("{}"), std::string::npos) << text;
        if (!topic.expectedPhrase.empty()) {
            EXPECT_NE(text.find(topic.expectedPhrase), std::string::npos) << text;
        }
        EXPECT_LT(text.size(), 2000u);  // long topics are shortened, not repeated whole
    }
}

TEST(TextGeneratorTest, TopicsDecideTheTextStably)
{
    std::set<std::string> texts;
    std::set<int> lengths;
    for (int i = 0; i < 40; ++i) {
        for (const bool chinese : {false, true}) {
            const std::string topic = (chinese ? "新品主题" : "Product topic ") + std::to_string(i);
            const auto text = TextGenerator().Generate(topic);
            EXPECT_EQ(TextGenerator().Generate(topic), text);
            texts.insert(text);
            const int sentences = CountSentences(text, chinese);
            EXPECT_GE(sentences, TextGenerator::kMinSentences) << text;
            EXPECT_LE(sentences, TextGenerator::kMaxSentences) << text;
            lengths.insert(sentences);
        }
    }
    EXPECT_EQ(texts.size(), 80u);
    EXPECT_GE(lengths.size(), 3u);  // the hash really varies the shape, not only the phrase
}

}  // namespace
