#pragma once

#include <cstdint>
#include <vector>

// Mono 16-bit samples as the speech engine produces them, before any resampling.
struct PcmAudio {
    int sampleRate = 0;
    std::vector<std::int16_t> samples;
};
