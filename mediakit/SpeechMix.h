#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// A mono track that speech clips are laid into at their sample positions. Where clips overlap
// (speech that runs on into the next caption's) they are summed, and only there a soft limiter
// keeps the sum from clipping; everywhere else each clip keeps its own level exactly.
class SpeechMix
{
public:
    explicit SpeechMix(int64_t length);

    // Grows the track when the clip reaches past its end. Clips come in the order of their starts.
    void Add(int64_t start, const std::vector<float>& clip);
    // The mix, limited where clips overlapped; the track is left empty.
    std::vector<float> Take();

    // Above this level a summed sample is bent smoothly towards full scale instead of clipped.
    static constexpr float kKnee = 0.8F;
    static float Limit(float sample);

private:
    std::vector<float> m_samples;
    std::vector<std::pair<int64_t, int64_t>> m_overlaps;
    int64_t m_covered = 0;
};
