#include "mediakit/CaptionLayout.h"
#include "mediakit/CaptionText.h"
#include "support/QtPrinters.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Expected
{
    const char* text;
    int32_t start;
    int32_t end;
};

struct Case
{
    const char* name;
    const char* text;
    int32_t start;
    int32_t end;
    CaptionLayout::Limits limits;
    std::vector<Expected> expected; // empty: only the rules every layout keeps are checked
    std::vector<Caption::Word> words = {};
};

QString Unspaced(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

// What every layout keeps, whatever it chose: lines within the limits (a lone word excepted),
// no line opening with closing punctuation, times inside the sentence's and in order, and every
// character of the text in order.
void ExpectRulesKept(const Caption& in, const std::vector<Caption>& out, const CaptionLayout& layout,
                     const CaptionLayout::Limits& limits)
{
    QString all;
    int32_t previousEnd = in.start;
    for (const Caption& piece : out) {
        SCOPED_TRACE(piece.text.toStdString());
        const QStringList lines = piece.text.split(QLatin1Char('\n'));
        EXPECT_LE(lines.size(), limits.maxLines);
        for (const QString& line : lines) {
            EXPECT_TRUE(CaptionText::Length(line) <= layout.MaxChars(in.text) || CaptionText(line).Count() == 1);
            EXPECT_FALSE(QStringLiteral("，。、；：？！）》”,.;:?!").contains(line.front()));
            EXPECT_EQ(line, line.trimmed());
        }
        EXPECT_GE(piece.start, previousEnd);
        EXPECT_LE(piece.start, piece.end);
        EXPECT_LE(piece.end, in.end);
        EXPECT_TRUE(piece.end - piece.start <= limits.maxSeconds * 1000 || CaptionText(piece.text).Count() == 1);
        previousEnd = piece.end;
        all += piece.text;
    }
    EXPECT_EQ(Unspaced(all), Unspaced(in.text));
}

CaptionLayout::Limits Limits(int chars, int lines = 2, double seconds = 7.0)
{
    return CaptionLayout::Limits{chars, lines, seconds};
}

TEST(CaptionLayout, RulesTable)
{
    const char* const longEnglish =
        "So what we did was take the recordings from every meeting, run them through the recogniser, and then, "
        "because nobody reads a wall of text, cut them into captions people can follow.";
    const Case cases[] = {
        {"fits: kept exactly, odd spacing and all", "Hello  there,\nfriend.", 1000, 2000, {}, {{"Hello  there,\nfriend.", 1000, 2000}}},
        {"accents written apart take no room", "e\xCC\x81te\xCC\x81 e\xCC\x81te\xCC\x81 e\xCC\x81te\xCC\x81", 0, 1000,
         Limits(11, 1), {{"e\xCC\x81te\xCC\x81 e\xCC\x81te\xCC\x81 e\xCC\x81te\xCC\x81", 0, 1000}}},
        {"fits in Chinese", "今天天气很好", 0, 6999, {}, {{"今天天气很好", 0, 6999}}},
        {"one long line becomes two balanced lines", "The quick brown fox jumps over the lazy dog and keeps running far away", 0, 3000, {},
         {{"The quick brown fox jumps over the\nlazy dog and keeps running far away", 0, 3000}}},
        {"a sentence's end is the cut", "It rained all day. We stayed inside and read.", 0, 9000, Limits(30, 1),
         {{"It rained all day.", 0, 3735}, {"We stayed inside and read.", 3735, 9000}}},
        {"too long to read in seven seconds", "Short words, but spoken slowly.", 0, 10000, {},
         {{"Short words,", 0, 3783}, {"but spoken slowly.", 3783, 10000}}},
        {"long English", longEnglish, 0, 10000, {}, {}},
        {"Chinese breaks between characters, after its commas first",
         "今天我们一起去公园散步，然后去吃晚饭，最后回家看一部很长的电影。", 0, 8000, {},
         {{"今天我们一起去公园散步，\n然后去吃晚饭，", 0, 4600}, {"最后回家看一部很长的电影。", 4600, 8000}}},
        {"mixed script", "我们今天用Python写一个小程序，然后在Linux上面运行它，看看结果对不对。", 0, 6000, {},
         {{"我们今天用Python\n写一个小程序，", 0, 2500}, {"然后在Linux上面运行它，\n看看结果对不对。", 2500, 6000}}},
        {"a word longer than a line stays whole", "see Pneumonoultramicroscopicsilicovolcanoconiosis here", 0, 3000,
         Limits(20, 1), {{"see", 0, 166}, {"Pneumonoultramicroscopicsilicovolcanoconiosis", 166, 2722}, {"here", 2722, 3000}}},
        // Two full lines would put the comma at the start of the second.
        {"punctuation at the limit", "一二三四五六七八九十一二三四五六，七八九十一二三四五六七八九十一二", 0, 6000, Limits(0, 1), {}},
        {"a closing quote at the limit", "一二三四五六七八九十一”二三四五六七八九十一二”三四五六七八九十一二", 0, 6000,
         Limits(0, 1), {}},
        {"zero-length span", longEnglish, 5000, 5000, {}, {}},
        {"shared by length", "one two three four", 0, 4000, Limits(9, 1),
         {{"one two", 0, 1555}, {"three", 1555, 2888}, {"four", 2888, 4000}}},
        {"word times given", "One, two three four", 0, 4000, Limits(9, 1),
         {{"One,", 0, 100}, {"two three", 200, 1500}, {"four", 3000, 4000}},
         {{"one", 0, 100}, {"two", 200, 300}, {"three", 1000, 1500}, {"four", 3000, 3200}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Caption in{7, c.start, c.end, QString::fromUtf8(c.text), c.words};
        const CaptionLayout layout(c.limits);
        const std::vector<Caption> out = layout.Apply(in);
        ExpectRulesKept(in, out, layout, c.limits);
        if (c.expected.empty()) {
            EXPECT_GT(out.size(), 1u);
            continue;
        }
        ASSERT_EQ(out.size(), c.expected.size());
        for (size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(out[i].text, QString::fromUtf8(c.expected[i].text));
            EXPECT_EQ(out[i].start, c.expected[i].start) << i;
            EXPECT_EQ(out[i].end, c.expected[i].end) << i;
            EXPECT_EQ(out[i].index, 7);
        }
    }
}

TEST(CaptionLayout, ScriptDecidesTheLineLengthUnlessOneIsGiven)
{
    const CaptionLayout byScript;
    EXPECT_EQ(byScript.MaxChars(QStringLiteral("hello world")), CaptionLayout::kSpacedChars);
    EXPECT_EQ(byScript.MaxChars(QStringLiteral("我们用Python")), CaptionLayout::kChineseChars);
    EXPECT_EQ(byScript.MaxChars(QStringLiteral("a Python program, 好")), CaptionLayout::kSpacedChars);
    EXPECT_EQ(CaptionLayout(Limits(30)).MaxChars(QStringLiteral("我们")), 30);
}

} // namespace
