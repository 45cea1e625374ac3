#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text from clients that write the simplified-Chinese code page 936 (GBK) rather than UTF-8.
namespace Cp936Text {

// std::nullopt when the bytes are not code page 936. ASCII is the same in both.
std::optional<std::string> ToUtf8(std::string_view text);

}  // namespace Cp936Text
