#pragma once

#include "PcmAudio.h"

#include <string>
#include <vector>

// Sentences spoken by the speech engine with pauses of known length between them, so where each
// sentence lies is known to the sample.
struct GeneratedSpeech {
    struct Placed {
        double beginMs = 0;
        double endMs = 0;
    };

    PcmAudio pcm;
    std::vector<Placed> sentences;

    // `pausesMs` holds one more pause than there are texts: before, between and after them.
    // Each spoken text loses its own quiet edges (samples under -40 dBFS) before it is placed.
    static GeneratedSpeech Make(const std::vector<std::string> &texts, const std::vector<int> &pausesMs);
};

namespace speech_test {

inline constexpr const char *kGoForward = "/usr/share/pocketsphinx/test/data/goforward.raw";

std::string ReadFile(const std::string &path);
// A WAV file of 16 kHz mono 16-bit samples, its header written out here.
std::string Wav(const std::vector<std::int16_t> &samples);
// The raw recording at `path`, such samples without a header, as a WAV file.
std::string WavOfRaw(const std::string &path);

}  // namespace speech_test
