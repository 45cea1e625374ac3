#include "subtitles/AudioLibrary.h"

#include <dlfcn.h>

namespace {

const char* const kLibraryName = "libqovaudio.so";

std::string FolderOfThisCode()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&AudioLibrary::Get), &info) == 0 || !info.dli_fname)
        return std::string();
    const std::string path = info.dli_fname;
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

const AudioLibrary& AudioLibrary::Get()
{
    static const AudioLibrary library;
    return library;
}

AudioLibrary::AudioLibrary()
{
    const std::string folder = FolderOfThisCode();
    void* handle = nullptr;
    for (const std::string& candidate : {folder + "/" + kLibraryName, folder + "/../lib/" + kLibraryName,
                                         std::string(kLibraryName)}) {
        handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle)
            break;
        const char* reason = dlerror();
        m_error = reason ? reason : "cannot open the audio library";
    }
    if (!handle)
        return;
    // The library stays loaded for the life of the process, as the media libraries expect.
    m_transcodeWatched =
        reinterpret_cast<QovAudioTranscodeWatchedFn>(dlsym(handle, "qov_audio_transcode_watched"));
    m_duration = reinterpret_cast<QovAudioDurationFn>(dlsym(handle, "qov_audio_duration"));
    if (!Loaded())
        m_error = "the audio library lacks its entry points";
}
