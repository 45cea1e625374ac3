#include "subtitles/AudioLibraryLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

thread_local int t_heldBack = 0;

void Filter(void* object, int level, const char* format, va_list arguments)
{
    if (t_heldBack > 0)
        return;
    av_log_default_callback(object, level, format, arguments);
}

bool InstallFilter()
{
    const char* debug = std::getenv("QOV_DEBUG_OUTPUT");
    if (debug && std::strcmp(debug, "1") == 0)
        return false;
    av_log_set_callback(&Filter);
    return true;
}

} // namespace

AudioLibraryLog::AudioLibraryLog()
{
    static const bool installed = InstallFilter();
    (void)installed;
    ++t_heldBack;
}

AudioLibraryLog::~AudioLibraryLog()
{
    --t_heldBack;
}
