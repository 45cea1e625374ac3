#pragma once

#include "subtitles/AudioLibraryEntry.h"

#include <string>

// The audio library, opened on first use from beside the code that asks for it (the module's
// folder, or the program's "../lib").
class AudioLibrary
{
public:
    static const AudioLibrary& Get();

    bool Loaded() const { return m_transcodeWatched && m_duration; }
    const std::string& Error() const { return m_error; }
    QovAudioTranscodeWatchedFn TranscodeWatched() const { return m_transcodeWatched; }
    QovAudioDurationFn Duration() const { return m_duration; }

private:
    AudioLibrary();

    QovAudioTranscodeWatchedFn m_transcodeWatched = nullptr;
    QovAudioDurationFn m_duration = nullptr;
    std::string m_error;
};
