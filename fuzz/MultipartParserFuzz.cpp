// The local file-transcription service takes uploads apart from any client's bytes: any body and
// content type give parts that lie inside the body, or a refusal with a reason. The input's first
// line is the content type, the rest the body.
#include "MultipartParser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string_view contentType = input.substr(0, newline);
    const std::string_view body = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    const auto boundary = MultipartParser::BoundaryOf(contentType);
    if (boundary && (boundary->empty() || boundary->size() > MultipartParser::kMaxBoundaryLength))
        __builtin_trap();
    const MultipartParser::Result result = MultipartParser::Parse(body, boundary ? *boundary : std::string_view("b"));
    if (!result.ok && result.error.empty())
        __builtin_trap();
    if (result.parts.size() > MultipartParser::kMaxParts)
        __builtin_trap();
    for (const MultipartParser::Part& part : result.parts) {
        if (!part.content.empty() &&
            (part.content.data() < body.data() || part.content.data() + part.content.size() > body.data() + body.size()))
            __builtin_trap();
    }
    return 0;
}
