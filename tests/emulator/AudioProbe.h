#pragma once

#include <cstdint>
#include <string>

// What a decoder makes of an audio file the speech services delivered: decoding every frame, not
// trusting the header, so a truncated or mislabelled file shows up.
struct AudioFacts {
    bool decoded = false;
    std::string codec;
    int sampleRate = 0;
    int channels = 0;
    std::int64_t samples = 0;
    double rms = 0;  // root mean square of the samples, full scale 1.0

    double Seconds() const { return sampleRate > 0 ? static_cast<double>(samples) / sampleRate : 0; }
};

namespace audio_probe {

AudioFacts Probe(const std::string &bytes);

}  // namespace audio_probe
