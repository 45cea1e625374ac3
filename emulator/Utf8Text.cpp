#include "Utf8Text.h"

namespace Utf8Text {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one sequence at `pos`, advancing it; returns kReplacement for anything malformed
// (truncated, overlong, surrogate or beyond U+10FFFF), consuming just the bad lead byte.
char32_t DecodeOne(std::string_view text, std::size_t &pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacement;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(byte)) {
            ++pos;
            return kReplacement;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return value;
}

void AppendOne(std::string &out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::u32string Decode(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size())
        out += DecodeOne(text, pos);
    return out;
}

std::string Encode(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char32_t c : text)
        AppendOne(out, c);
    return out;
}

std::string Sanitize(std::string_view text) { return Encode(Decode(text)); }

bool IsCjk(char32_t c)
{
    return (c >= 0x3000 && c <= 0x30FF)      // CJK punctuation, hiragana, katakana
           || (c >= 0x3400 && c <= 0x4DBF)   // extension A
           || (c >= 0x4E00 && c <= 0x9FFF)   // unified ideographs
           || (c >= 0xAC00 && c <= 0xD7AF)   // Hangul syllables
           || (c >= 0xF900 && c <= 0xFAFF)   // compatibility ideographs
           || (c >= 0xFF00 && c <= 0xFFEF)   // full-width forms
           || (c >= 0x20000 && c <= 0x3134F);  // extensions B to G
}

bool ContainsCjk(std::u32string_view text)
{
    for (const char32_t c : text) {
        if (IsCjk(c))
            return true;
    }
    return false;
}

}  // namespace Utf8Text
