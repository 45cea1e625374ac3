#pragma once

#include "AudioSource.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Decodes the first audio stream of any format FFmpeg reads into 16 kHz mono 16-bit samples,
// handed on block by block so no recording is ever held whole.
namespace AudioDecoder {

inline constexpr int kSampleRate = 16000;

using Sink = std::function<void(const std::int16_t *samples, std::size_t count)>;

enum class Status { Decoded, Unreadable, TooLong, Cancelled };

struct Result {
    Status status = Status::Unreadable;
    std::string error;  // why, for anything but Decoded
    std::uint64_t samples = 0;
};

// Stops with TooLong once more than `maxSamples` came out, and with Cancelled soon after
// `*cancel` turns true. Damaged packets inside a readable file are skipped.
Result Decode(const AudioSource &source, const Sink &sink, std::uint64_t maxSamples,
              const std::atomic<bool> *cancel = nullptr);

}  // namespace AudioDecoder
