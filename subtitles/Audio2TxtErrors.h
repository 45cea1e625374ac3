#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

// Messages of the cloud recognition client.
namespace Audio2TxtErrors {

// "创建识别任务失败，错误代码：%d", followed by the service's own message when it sent one.
utility::string_t CreateRefused(int32_t code, const utility::string_t& message);

extern const char* const kUploadFailedFormat; // %s: the audio file's name
extern const char* const kCreateStatusFormat; // %d: the HTTP status
extern const char* const kQueryStatusFormat;  // %d: the HTTP status
extern const char* const kQueryRefusedFormat; // %d: the reply's error code, when it says no more
extern const char* const kMalformedReply;     // followed by what is wrong with the reply
extern const char* const kNotAnObject;        // the reply or one of its tasks is no JSON object
extern const char* const kNoTaskResult;       // a finished task without its result
extern const char* const kTaskFailed;         // a failed task whose reply gives no reason

} // namespace Audio2TxtErrors
