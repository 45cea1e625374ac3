#pragma once

#include <cstdint>

// Messages of the copywriting chat client.
namespace CopywritingErrors {

// The user's text for an "error_code" of the chat service; "未知错误" for a code it does not know.
const char* ForServiceCode(int32_t code);

extern const char* const kStatusFormat;    // %d: the HTTP status
extern const char* const kEmptyResult;
extern const char* const kMalformedReply;  // followed by the JSON library's message
extern const char* const kBadAddress;      // followed by the reason

} // namespace CopywritingErrors
