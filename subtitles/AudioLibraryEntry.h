#pragma once

// The audio library's entry points. The media libraries it links pull in a long chain of
// dependencies, so the module opens this library only when audio is first extracted or measured,
// and loading the module stays fast.
extern "C" {

// Codes as TranscodeAudio; the four choices are 0 or 1 as its enumerations.
typedef int (*QovAudioTranscodeFn)(const char* source, const char* destination, int start, int end, int mp3,
                                    int stereo, int rate8000, int unsigned8);
typedef double (*QovAudioDurationFn)(const char* path);

__attribute__((visibility("default"))) int qov_audio_transcode(const char* source, const char* destination,
                                                               int start, int end, int mp3, int stereo,
                                                               int rate8000, int unsigned8);
__attribute__((visibility("default"))) double qov_audio_duration(const char* path);
}
