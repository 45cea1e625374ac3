#pragma once

#include "mediakit/VideoMux.h"
#include "service/ServiceTask.h"

// A mux as a task of the module's task base, so the command line and the studio run it alike: the
// progress reports carry the thousandths done as their code and the video's length in seconds as
// their text, a stop ends the run with nothing written, and a success's value is a QVariantMap of
// the keys below.
namespace VideoMuxTask {

inline constexpr const char* kPath = "path";
inline constexpr const char* kWarnings = "warnings"; // QStringList
inline constexpr const char* kCues = "cues";         // QVariantList of int, one a subtitle stream
inline constexpr const char* kSeconds = "seconds";   // the video's length

// The progress code of a report, in thousandths done.
inline constexpr int kWhole = 1000;

ServiceTask::Body Make(const VideoMux::Request& request);

} // namespace VideoMuxTask
