#pragma once

#include <string_view>
#include <vector>

// The sentences the text generator draws from. "{}" marks where the topic's key phrase goes.
// Each family has enough middles for the longest text, so no sentence repeats within one text.
namespace TextTemplates {

inline constexpr std::string_view kPlaceholder = "{}";

struct Family {
    std::vector<std::string_view> openings;
    std::vector<std::string_view> middles;
    std::vector<std::string_view> closings;
    std::string_view fallbackPhrase;  // when the topic has nothing usable in it
    std::string_view sentenceGap;     // Chinese sentences run on, English ones need a space
};

// Picks the family by what kind of text the topic asks for: a launch, a narration or anything else.
const Family &Choose(std::string_view topic, bool chinese);

}  // namespace TextTemplates
