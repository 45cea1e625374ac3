#pragma once

#include "subtitles/WavResult.h"

#include <cpprest/details/basic_types.h>

#include <cstdint>
#include <vector>

namespace nsWtt {

// Appends the sentences of a result text (a JSON array of objects whose "onebest", "bg", "ed" and
// "speaker" are texts) to sentences. A text that is no array gives nothing; the first element
// that is no object, lacks a member or holds one of another type ends the reading, and what came
// before it stays.
void ReadSentences(const utility::string_t& text, std::vector<stWavResult>& sentences);

// An integer the way the original platform's _wtoi reads one: leading blanks and one sign, digits
// up to the first other character, 0 without digits, the nearest 32-bit value when too large.
int32_t WtoI(const utility::string_t& text);

} // namespace nsWtt
