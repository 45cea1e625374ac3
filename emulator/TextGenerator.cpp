#include "TextGenerator.h"

#include "TextTemplates.h"
#include "Utf8Text.h"

#include <cstdint>
#include <numeric>
#include <vector>

namespace {

constexpr std::size_t kMaxChinesePhrase = 20;
constexpr std::size_t kMaxOtherPhrase = 48;
constexpr std::u32string_view kSpaces = U" \t\r\n\u00A0\u3000";
constexpr std::u32string_view kEdgePunctuation = U".。!！?？,，;；:：、…-—*#";
// Openers and their closers, at the same positions.
constexpr std::u32string_view kOpeners = U"\"'`“‘「『《【(（[";
constexpr std::u32string_view kClosers = U"\"'`”’」』》】)）]";

// FNV-1a: unlike std::hash, the same on every build, so a topic's text never changes.
std::uint64_t StableHash(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

// splitmix64, seeded by the topic's hash.
class Choices {
public:
    explicit Choices(std::uint64_t seed) : state_(seed) {}
    std::size_t Below(std::size_t bound)
    {
        state_ += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        return static_cast<std::size_t>(z % bound);
    }

private:
    std::uint64_t state_;
};

bool IsSpace(char32_t c) { return kSpaces.find(c) != std::u32string_view::npos; }

// Quotes around the whole phrase go, as the templates quote it themselves; a pair that does not
// wrap everything (《A》和《B》) stays.
bool StripWrappingPair(std::u32string_view &text)
{
    if (text.size() < 2)
        return false;
    const auto pair = kOpeners.find(text.front());
    if (pair == std::u32string_view::npos || text.back() != kClosers[pair])
        return false;
    const auto inner = text.substr(1, text.size() - 2);
    if (inner.find(kOpeners[pair]) != std::u32string_view::npos || inner.find(kClosers[pair]) != std::u32string_view::npos)
        return false;
    text = inner;
    return true;
}

std::u32string_view Trim(std::u32string_view text)
{
    const auto isEdge = [](char32_t c) { return IsSpace(c) || kEdgePunctuation.find(c) != std::u32string_view::npos; };
    do {
        while (!text.empty() && isEdge(text.front()))
            text.remove_prefix(1);
        while (!text.empty() && isEdge(text.back()))
            text.remove_suffix(1);
    } while (StripWrappingPair(text));
    return text;
}

std::u32string_view FirstContentLine(std::u32string_view text)
{
    while (!text.empty()) {
        const auto end = text.find(U'\n');
        const auto line = text.substr(0, end);
        if (!Trim(line).empty())
            return line;
        if (end == std::u32string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return {};
}

std::string Fill(std::string_view sentence, const std::string &phrase)
{
    std::string out(sentence);
    for (auto at = out.find(TextTemplates::kPlaceholder); at != std::string::npos;
         at = out.find(TextTemplates::kPlaceholder, at + phrase.size()))
        out.replace(at, TextTemplates::kPlaceholder.size(), phrase);
    return out;
}

}  // namespace

std::u32string TextGenerator::KeyPhrase(std::u32string_view topic, bool chinese)
{
    std::u32string cleaned(topic);
    for (auto &c : cleaned) {
        if ((c < 0x20 && c != U'\n') || c == 0x7F)
            c = U' ';
    }
    auto line = FirstContentLine(cleaned);
    for (const char32_t colon : {U':', U'：'}) {
        const auto at = line.rfind(colon);
        if (at != std::u32string_view::npos && !Trim(line.substr(at + 1)).empty())
            line = line.substr(at + 1);
    }
    auto phrase = Trim(line);

    const std::size_t limit = chinese ? kMaxChinesePhrase : kMaxOtherPhrase;
    if (phrase.size() > limit) {
        phrase = phrase.substr(0, limit);
        // Words are not cut in half where there are words to keep whole.
        const auto space = phrase.find_last_of(kSpaces);
        if (!chinese && space != std::u32string_view::npos && space > limit / 3)
            phrase = phrase.substr(0, space);
        phrase = Trim(phrase);
    }
    return std::u32string(phrase);
}

std::string TextGenerator::Generate(std::string_view topic) const
{
    const std::string clean = Utf8Text::Sanitize(topic);
    const std::u32string decoded = Utf8Text::Decode(clean);
    const bool chinese = Utf8Text::ContainsCjk(decoded);
    const auto &family = TextTemplates::Choose(clean, chinese);

    std::string phrase = Utf8Text::Encode(KeyPhrase(decoded, chinese));
    if (phrase.empty())
        phrase = std::string(family.fallbackPhrase);

    Choices choices(StableHash(clean));
    const auto sentences = kMinSentences + choices.Below(kMaxSentences - kMinSentences + 1);
    const auto middleCount = sentences - 2;

    std::vector<std::size_t> middles(family.middles.size());
    std::iota(middles.begin(), middles.end(), 0);
    for (std::size_t i = 0; i < middleCount; ++i)
        std::swap(middles[i], middles[i + choices.Below(middles.size() - i)]);

    const std::string gap(family.sentenceGap);
    std::string text = Fill(family.openings[choices.Below(family.openings.size())], phrase);
    const std::size_t firstParagraph = (middleCount + 1) / 2;
    for (std::size_t i = 0; i < middleCount; ++i) {
        text += i == firstParagraph ? "\n\n" : gap;
        text += Fill(family.middles[middles[i]], phrase);
    }
    text += middleCount == firstParagraph ? "\n\n" : gap;
    text += Fill(family.closings[choices.Below(family.closings.size())], phrase);
    return text;
}
