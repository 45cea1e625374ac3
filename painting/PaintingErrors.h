#pragma once

#include <cstdint>

// Messages of the image generation client.
namespace PaintingErrors {

// The text a failed sub-task adds to the error text; "未知错误" for a code not in the table.
const char* ForSubTaskCode(int32_t code);

extern const char* const kDownloadFailedFormat; // %s: the image address
extern const char* const kCreateStatusFormat;   // %d: the HTTP status
extern const char* const kCreateRefused;        // the service answered without a task
extern const char* const kMalformedReply;       // followed by the JSON library's message

} // namespace PaintingErrors
