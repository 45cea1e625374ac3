#pragma once

// FFmpeg writes its diagnostics to standard error through its default log callback. While an
// entry point of the audio library runs, that default output is held back, as every other trace
// of the module is, unless QOV_DEBUG_OUTPUT=1: the caller reports failures in its own words.
// The log callback itself is never touched: a host that installed its own keeps it, and hears
// what the library says as it hears everything else.
class AudioLibraryLog
{
public:
    // Holds the default output back for the life of the object (and of any other that overlaps).
    AudioLibraryLog();
    ~AudioLibraryLog();
    AudioLibraryLog(const AudioLibraryLog&) = delete;
    AudioLibraryLog& operator=(const AudioLibraryLog&) = delete;

private:
    bool m_holding = false;
};
