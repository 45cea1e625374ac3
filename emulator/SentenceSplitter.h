#pragma once

#include <cstdint>
#include <vector>

// Finds sentences in a recording by its loudness alone: frames clearly louder than the quietest
// stretch around them are voice, and a long enough quiet run between voiced frames is a pause
// that ends a sentence. Works on the frame levels of FrameEnergies, so it is a plain function.
namespace SentenceSplitter {

// Every threshold of the voice-activity detection, in one place.
struct Thresholds {
    int frameMs = 10;
    // Quieter than this is never voice, however silent the rest of the recording.
    float floorDb = -50.0f;
    // Voice stands this far above the background, taken as the quietest frame within
    // noiseWindowMs centred on the frame.
    float aboveNoiseDb = 15.0f;
    int noiseWindowMs = 3000;
    // Fewer voiced frames in a row than this are a crackle in the background, not voice.
    int minVoicedMs = 30;
    // A sentence reaches out over its softer edges (fricatives, fading vowels) while frames stay
    // within this much below the voice threshold, by at most extendMs on each side.
    float extendDb = 6.0f;
    int extendMs = 150;
    // Quiet runs shorter than this are pauses within a sentence.
    int minPauseMs = 350;
    // Voiced runs shorter than this are clicks, not sentences.
    int minSentenceMs = 150;
    // Longer sentences are cut at their quietest frame, the latest one if several are as quiet,
    // so a sentence is never too long to recognise.
    int maxSentenceMs = 20000;
};

// Frames [begin, end).
struct Span {
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

std::vector<Span> Split(const std::vector<float> &frameDb, const Thresholds &thresholds = {});

}  // namespace SentenceSplitter
