#pragma once

#include "service/QOVAIGCExport.h"
#include "subtitles/AudioTranscodeWatch.h"
#include "subtitles/TranscodeResult.h"

#include <QString>

#include <cstdint>

// Audio extraction the editor may call directly; only whether an enumeration is zero matters.
namespace FFAPI {

enum emACodec : int32_t { ACODEC_PCM_S16LE = 0, ACODEC_MP3 = 1 };
enum emAChannel : int32_t { ACHANNEL_MONO = 0, ACHANNEL_STEREO = 1 };
enum emASampleRate : int32_t { ASAMPLERATE_16000 = 0, ASAMPLERATE_8000 = 1 };
enum emASampleBit : int32_t { ASAMPLEBIT_S16 = 0, ASAMPLEBIT_U8 = 1 };

} // namespace FFAPI

// Decodes the first audio stream of source, converts it and encodes it into destination (the
// container follows the destination's extension), limited to [start, end] in whole seconds when
// they are above 0. The destination is written under a temporary name and renamed when complete.
QOVAIGC_API int TranscodeAudio(const char* source, const char* destination, const int& start, const int& end,
                               const FFAPI::emACodec& codec, const FFAPI::emAChannel& channel,
                               const FFAPI::emASampleRate& rate, const FFAPI::emASampleBit& bit);

// The same for the editor's strings; paths reach FFmpeg in the local 8-bit encoding.
QOVAIGC_API int VideoTranscodeAudio(const QString& source, const QString& destination, const int& start,
                                    const int& end, const FFAPI::emACodec& codec, const FFAPI::emAChannel& channel,
                                    const FFAPI::emASampleRate& rate, const FFAPI::emASampleBit& bit);

// The same, followed and steered through watch; only for the module's own callers.
int WatchedTranscodeAudio(const QString& source, const QString& destination, int start, int end,
                          FFAPI::emACodec codec, FFAPI::emAChannel channel, FFAPI::emASampleRate rate,
                          FFAPI::emASampleBit bit, AudioTranscodeWatch& watch);

// Seconds of the first audio stream as the file declares it; -1.0 when the file cannot be opened,
// -2.0 when it has no audio stream.
QOVAIGC_API double GetAudioDuration(const char* path);
