#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

// Reading the replies of the file-transcription service into the object's codes.
namespace nsWtt {

enum class Endpoint { Prepare, Merge, Progress, Result };

// Codes of a progress query beyond the service's own error numbers.
inline constexpr int32_t kProgressRunning = 3;
inline constexpr int32_t kProgressFinished = 9;
// The service accepts a progress query with this number while it still works on the task.
inline constexpr int32_t kStillProcessing = 26605;

// The code of one reply text, each endpoint reading its own members; -1 for a text that is no
// JSON object, or a member that is missing or of another type. out receives the reply's text
// value: the task id of a prepare, the sentences of a result, the service's "failed" or "desc".
int32_t ReadReply(Endpoint endpoint, const utility::string_t& reply, utility::string_t& out);

} // namespace nsWtt
