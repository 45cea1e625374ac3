#include "translation/CaptionTranslation.h"
#include "translation/DialogueTurns.h"
#include "translation/TranslatedCaptions.h"
#include "translation/TranslationGlossary.h"
#include "translation/TranslationLanguage.h"
#include "translation/TranslationReply.h"
#include "translation/TranslationRequest.h"

#include <gtest/gtest.h>

namespace {

TEST(TranslationRequest, TheUserMessageIsOneCompactObjectInItsOrder)
{
    TranslationRequest::Content content;
    content.from = QStringLiteral("en");
    content.to = QStringLiteral("es");
    content.glossary = {{QStringLiteral("dog"), QStringLiteral("perro")}};
    content.context = {{QStringLiteral("Hi \"you\""), QString()}};
    content.lines = {{QStringLiteral("7"), QStringLiteral("A dog"), 34}};
    const QString built = QString::fromStdString(TranslationRequest::Build(content));
    EXPECT_TRUE(built.startsWith(QStringLiteral(
        R"({"task":"translate","source_language":"en","target_language":"es","instructions":"Translate )")));
    EXPECT_TRUE(built.endsWith(QStringLiteral(
        R"(","glossary":[{"source":"dog","target":"perro"}],"context":[{"source":"Hi \"you\""}],)"
        R"("lines":[{"id":"7","text":"A dog","max_chars":34}]})")))
        << built.toStdString();
    EXPECT_FALSE(built.contains(QLatin1Char('\n')));

    // The context depends on which batch came back first; the answer does not.
    TranslationRequest::Content other = content;
    other.context[0].target = QStringLiteral("Hola");
    EXPECT_EQ(TranslationRequest::Key(content), TranslationRequest::Key(other));
    other.lines[0].maxChars = 30;
    EXPECT_NE(TranslationRequest::Key(content), TranslationRequest::Key(other));
}

TEST(TranslationBatches, CutAtFortyLinesOrThreeThousandCharacters)
{
    const auto cut = [](int count, int length) {
        std::vector<TranslationLine> lines(size_t(count), {QString(), QString(length, QLatin1Char('a')), 10});
        std::vector<size_t> sizes;
        for (const auto& [first, last] : CaptionTranslation::Batches(lines))
            sizes.push_back(last - first);
        return sizes;
    };
    EXPECT_EQ(cut(40, 10), std::vector<size_t>({40}));
    EXPECT_EQ(cut(81, 10), std::vector<size_t>({40, 40, 1}));
    EXPECT_EQ(cut(7, 1000), std::vector<size_t>({3, 3, 1}));
    EXPECT_EQ(cut(2, 5000), std::vector<size_t>({1, 1})) << "a line over the limit goes alone";
}

TEST(TranslationLimits, MaxCharsFollowTheTargetsReadingSpeedWithinTheLayout)
{
    CaptionTranslation::Settings settings;
    settings.to = QStringLiteral("es");
    EXPECT_EQ(CaptionTranslation::MaxChars(0, 2000, settings), 34);
    EXPECT_EQ(CaptionTranslation::MaxChars(0, 60000, settings), 84) << "two lines of 42";
    EXPECT_EQ(CaptionTranslation::MaxChars(0, 10, settings), 1);
    settings.to = QStringLiteral("zh");
    EXPECT_EQ(CaptionTranslation::MaxChars(0, 2000, settings), 18);
    EXPECT_EQ(CaptionTranslation::MaxChars(0, 60000, settings), 32);
    settings.lineChars = 10;
    settings.lines = 1;
    EXPECT_EQ(CaptionTranslation::MaxChars(0, 60000, settings), 10);
}

TEST(TranslationGlossary, TermsMatchIgnoringCaseAsWholeWordsWhereWordsAreSpaced)
{
    struct Case
    {
        const char* term;
        const char* text;
        bool wholeWords;
        bool occurs;
    };
    const Case cases[] = {
        {"cat", "The CAT sat", true, true},       {"cat", "category", true, false},
        {"cat", "a cat's toy", true, true},       {"New York", "in new york.", true, true},
        {"猫", "一只猫来了", false, true},         {"cat", "category", false, true},
        {"C++", "I write C++ daily", true, true}, {"", "anything", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TranslationGlossary::Occurs(QString::fromUtf8(c.term), QString::fromUtf8(c.text), c.wholeWords),
                  c.occurs)
            << c.term << " in " << c.text;

    TranslationGlossary glossary;
    QString error;
    EXPECT_FALSE(TranslationGlossary::Parse(QStringLiteral("ok\tbien\nno tab here\n"), QStringLiteral("g.tsv"),
                                            glossary, error));
    EXPECT_EQ(error, QStringLiteral("g.tsv:2: a glossary line is a term, a tab and its translation"));
}

TEST(TranslationReply, TheOutermostObjectIsFoundInWhateverSurroundsIt)
{
    const char* answers[] = {
        R"({"lines":[{"id":"1","text":"a {b}"}]})",
        "```json\n{\"lines\":[{\"id\":\"1\",\"text\":\"a {b}\"}]}\n```",
        "Sure {not json}. {\"lines\":[{\"id\":\"1\",\"text\":\"a {b}\"}]} Anything else?",
    };
    for (const char* answer : answers) {
        const TranslationReply::Lines read = TranslationReply::Read(QString::fromUtf8(answer));
        EXPECT_TRUE(read.found) << answer;
        EXPECT_EQ(read.texts.at(QStringLiteral("1")), QStringLiteral("a {b}")) << answer;
    }
    EXPECT_FALSE(TranslationReply::Read(QStringLiteral("no object {here")).found);
}

TEST(TranslationLanguage, TheSourceIsGuessedFromScriptAndCommonWords)
{
    const auto guess = [](const char* text) {
        return TranslationLanguage::Guess({Caption{1, 0, 1000, QString::fromUtf8(text), {}}});
    };
    EXPECT_EQ(guess("The cat and the dog"), QStringLiteral("en"));
    EXPECT_EQ(guess("El perro y los gatos que son para ti"), QStringLiteral("es"));
    EXPECT_EQ(guess("今天天气很好"), QStringLiteral("zh"));
    EXPECT_EQ(guess("今日はいい天気ですね"), QStringLiteral("ja"));
    EXPECT_EQ(guess("12345"), QStringLiteral("en"));
}

TEST(TranslatedCaptions, ADialogueKeepsOneSpeakerALine)
{
    const struct
    {
        const char* source;
        const char* translation;
        const char* laidOut;
    } cases[] = {
        {"- Home.\n- Now?", "- Casa. - Ahora?", "- Casa.\n- Ahora?"},
        {"-Home.\n-Now?", "-Casa. -Ahora?", "-Casa.\n-Ahora?"},
        {"– Yes.\n– No.\n– Maybe.", "– Sí. – No. – Quizá.", "– Sí.\n– No.\n– Quizá."},
        // Not a dialogue, or turns that do not match the speakers: laid out as any caption.
        {"I went\nhome.", "Fui a casa.", "Fui a casa."},
        {"- Home.\n- Now?", "- Casa, ahora.", "- Casa, ahora."},
        {"- Home.\n- Now?", "- Es un gato - dijo. - Sí.", "- Es un gato - dijo. - Sí."},
    };
    CaptionLayout::Limits limits;
    limits.maxLines = 3;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.translation);
        CaptionTranslation::Translated translated;
        translated.id = QStringLiteral("1");
        translated.end = 3000;
        translated.speakers = DialogueTurns::Speakers(QString::fromUtf8(c.source));
        translated.text = QString::fromUtf8(c.translation);
        const std::vector<Caption> captions = TranslatedCaptions::LaidOut({translated}, limits, true);
        ASSERT_EQ(captions.size(), 1u);
        EXPECT_EQ(captions[0].text, QString::fromUtf8(c.laidOut));
    }
}

} // namespace
