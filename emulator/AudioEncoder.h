#pragma once

#include "PcmAudio.h"
#include "SpeechFormat.h"

#include <string>

// Turns the speech engine's samples into the file the speech endpoints deliver: resampled to
// 16 kHz mono, then MP3 or 16-bit PCM in a WAV container, built in memory.
namespace AudioEncoder {

inline constexpr int kSampleRate = 16000;
inline constexpr int kMp3BitRate = 32000;
// Even an empty or silent text gets a file this long, so no reply is a bare header.
inline constexpr int kMinimumMilliseconds = 250;

// Throws std::runtime_error when an encoder is missing or fails.
std::string Encode(const PcmAudio &pcm, SpeechFormat format);

}  // namespace AudioEncoder
