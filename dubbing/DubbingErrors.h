#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

// Messages of the speech synthesis clients.
namespace DubbingErrors {

// "错误信息:%s。" with the table text for a creation "error_code" ("未知错误" outside the table).
utility::string_t ForCreationCode(int32_t code);

extern const char* const kStatusFormat;      // %d: the HTTP status
extern const char* const kMalformedReply;    // followed by the JSON library's message
extern const char* const kDownloadFailed;    // %s: the audio address
extern const char* const kDownloadGaveUpFormat; // follows kDownloadFailed; %d: the tries made
extern const char* const kShortFailed;       // the short service sent no audio; %s its reason
extern const char* const kShortNoAudio;      // the short service sent nothing usable

} // namespace DubbingErrors
