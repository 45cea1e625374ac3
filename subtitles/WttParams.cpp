#include "subtitles/WttParams.h"

#include <cpprest/asyncrt_utils.h>

#include <algorithm>

namespace nsWtt {

namespace {

bool IsAscii(const utility::string_t& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

bool Utf16Less::operator()(const utility::string_t& left, const utility::string_t& right) const
{
    // Every name the client sends is ASCII: no conversion on the common path.
    if (IsAscii(left) && IsAscii(right))
        return left < right;
    try {
        return utility::conversions::utf8_to_utf16(left) < utility::conversions::utf8_to_utf16(right);
    } catch (const std::exception&) {
        // Bytes that are no UTF-8 still need a strict order to keep the map sound.
        return left < right;
    }
}

void AdvanceSliceId(utility::string_t& sliceId)
{
    for (auto at = sliceId.rbegin(); at != sliceId.rend(); ++at) {
        if (*at != 'z') {
            ++*at;
            return;
        }
        *at = 'a';
    }
}

} // namespace nsWtt
