#include "mediakit/CodePage936.h"

#include <iconv.h>

#include <cerrno>

namespace CodePage936 {

namespace {

// Twice the input is room enough for both directions (a two-byte character of code page 936 is at
// most three bytes of UTF-8); the loop grows the room should it ever run short.
std::string Convert(const char* to, const char* from, const std::string& text)
{
    if (text.empty())
        return std::string();
    iconv_t converter = iconv_open(to, from);
    if (converter == iconv_t(-1))
        return std::string();
    std::string out(text.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    size_t used = 0;
    size_t result = 0;
    for (;;) {
        char* outAt = out.data() + used;
        size_t outLeft = out.size() - used;
        result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
        used = out.size() - outLeft;
        if (result != size_t(-1) || errno != E2BIG)
            break;
        out.resize(out.size() * 2);
    }
    iconv_close(converter);
    // A failure is a character the target cannot hold, or bytes that are not the source.
    out.resize(result == size_t(-1) ? 0 : used);
    return out;
}

} // namespace

std::string FromUtf8(const std::string& utf8)
{
    return Convert("CP936", "UTF-8", utf8);
}

std::string ToUtf8(const std::string& cp936)
{
    return Convert("UTF-8", "CP936", cp936);
}

size_t LastSeparator(const std::string& cp936)
{
    size_t last = std::string::npos;
    for (size_t at = 0; at < cp936.size(); ++at) {
        const unsigned char byte = static_cast<unsigned char>(cp936[at]);
        if (byte >= 0x81 && byte <= 0xFE) {
            ++at; // a lead byte: its second byte is never a separator
        } else if (byte == '/' || byte == '\\') {
            last = at;
        }
    }
    return last;
}

} // namespace CodePage936
