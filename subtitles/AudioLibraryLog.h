#pragma once

// FFmpeg writes its diagnostics straight to standard error. While an entry point of the audio
// library runs they are held back, as every other trace of the module is, unless
// QOV_DEBUG_OUTPUT=1: the caller reports failures in its own words. What FFmpeg says for other
// code in the process still reaches standard error as before.
class AudioLibraryLog
{
public:
    // Holds FFmpeg's messages back on the calling thread for the life of the object.
    AudioLibraryLog();
    ~AudioLibraryLog();
    AudioLibraryLog(const AudioLibraryLog&) = delete;
    AudioLibraryLog& operator=(const AudioLibraryLog&) = delete;
};
