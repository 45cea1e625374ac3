#pragma once

#include <string>
#include <string_view>

// Stands in for the language model: turns a topic into a few sentences of copy in the topic's
// language, two paragraphs separated by a blank line. The same topic always gives the same text
// (choices are seeded by a stable hash of it) so tests can compare runs; different topics give
// different texts because the topic's key phrase is woven in.
class TextGenerator {
public:
    static constexpr int kMinSentences = 3;
    static constexpr int kMaxSentences = 6;

    // Never empty, always valid UTF-8, whatever the topic.
    std::string Generate(std::string_view topic) const;

private:
    // The part of the topic worth quoting: after a "Topic:"-style label on its first line, without
    // wrapping quotes or trailing punctuation, shortened on a character (or word) boundary.
    static std::u32string KeyPhrase(std::u32string_view topic, bool chinese);
};
