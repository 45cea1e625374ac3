#pragma once

#include <cstddef>
#include <cstdint>

// What a code that no table lists reads as.
inline constexpr const char* kUnknownCodeText = "未知错误";

// A service's error codes and the texts a user reads for them.
struct CodeText
{
    int32_t code;
    const char* text;
};

// The text for code, or fallback when the table does not know it.
template <std::size_t N>
const char* TextForCode(const CodeText (&table)[N], int32_t code, const char* fallback)
{
    for (const CodeText& entry : table) {
        if (entry.code == code)
            return entry.text;
    }
    return fallback;
}
