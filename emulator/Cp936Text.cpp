#include "Cp936Text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace Cp936Text {

std::optional<std::string> ToUtf8(std::string_view text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(text);
    const iconv_t converter = iconv_open("UTF-8", "CP936");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string input(text);
    // Two bytes of GBK are at most three of UTF-8: twice the input always fits.
    std::vector<char> output(input.size() * 2 + 4);
    char *in = input.data();
    std::size_t inLeft = input.size();
    char *out = output.data();
    std::size_t outLeft = output.size();
    const std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1) || inLeft != 0)
        return std::nullopt;
    return std::string(output.data(), output.size() - outLeft);
}

}  // namespace Cp936Text
