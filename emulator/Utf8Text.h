#pragma once

#include <string>
#include <string_view>

// UTF-8 handling for text that comes from clients: decoding never fails (bad bytes become
// U+FFFD), so whatever is shortened or echoed back stays valid UTF-8.
namespace Utf8Text {

inline constexpr char32_t kReplacement = 0xFFFD;

std::u32string Decode(std::string_view text);
std::string Encode(std::u32string_view text);
std::string Sanitize(std::string_view text);

// Han ideographs, kana, Hangul and CJK punctuation: text containing any is answered in Chinese.
bool IsCjk(char32_t c);
bool ContainsCjk(std::u32string_view text);

}  // namespace Utf8Text
