#pragma once

// The audio library's entry points. The media libraries it links pull in a long chain of
// dependencies, so the module opens this library only when audio is first extracted or measured,
// and loading the module stays fast.
extern "C" {

// What the caller of one extraction may follow and steer. Every member may be left empty.
struct QovAudioWatch
{
    // Seconds of the range decoded so far and in all (0 when the source does not say); called
    // once the source is open, as the work advances, and with done == total on success.
    void (*progress)(void* context, double done, double total);
    // Nonzero asks the extraction to stop: it is asked between packets and while a read or write
    // blocks, and the extraction then leaves nothing behind and returns TRANSCODE_CANCELLED.
    int (*stop)(void* context);
    void* context;
    // Set by the library: the system's error number behind a failure to open, read or write a
    // file, or 0 when the failure had another cause.
    int systemError;
};

// Codes as TranscodeAudio; the four choices are 0 or 1 as its enumerations.
typedef int (*QovAudioTranscodeWatchedFn)(const char* source, const char* destination, int start, int end,
                                           int mp3, int stereo, int rate8000, int unsigned8,
                                           struct QovAudioWatch* watch);
typedef double (*QovAudioDurationFn)(const char* path);

__attribute__((visibility("default"))) int qov_audio_transcode_watched(const char* source, const char* destination,
                                                                       int start, int end, int mp3, int stereo,
                                                                       int rate8000, int unsigned8,
                                                                       struct QovAudioWatch* watch);
__attribute__((visibility("default"))) double qov_audio_duration(const char* path);
}
