#include "mediakit/AudioLibraryLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex g_mutex;
int g_holders = 0;
int g_levelBefore = AV_LOG_INFO;

bool DebugOutput()
{
    const char* debug = std::getenv("QOV_DEBUG_OUTPUT");
    return debug && std::strcmp(debug, "1") == 0;
}

} // namespace

// FFmpeg offers no way to read the current callback, so it cannot be wrapped and given back; the
// level can. Only the default callback reads it, and the first holder saves it for the last.
AudioLibraryLog::AudioLibraryLog()
{
    static const bool debug = DebugOutput();
    if (debug)
        return;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_holders++ == 0) {
        g_levelBefore = av_log_get_level();
        av_log_set_level(AV_LOG_QUIET);
    }
    m_holding = true;
}

AudioLibraryLog::~AudioLibraryLog()
{
    if (!m_holding)
        return;
    std::lock_guard<std::mutex> lock(g_mutex);
    // A level the host chose meanwhile is the host's to keep.
    if (--g_holders == 0 && av_log_get_level() == AV_LOG_QUIET)
        av_log_set_level(g_levelBefore);
}
