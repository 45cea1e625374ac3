#pragma once

#include <cstdint>
#include <deque>
#include <vector>

// A mono track that speech clips are laid into at their sample positions, handed out a block at a
// time so that a long track never has to be held whole: only the clips a block still reaches are
// kept. Where clips overlap (speech that runs on into the next caption's) they are summed, and only
// there a soft limiter keeps the sum from clipping; everywhere else each clip keeps its own level
// exactly.
class SpeechMix
{
public:
    // length: the track runs at least this far, silent where no clip reaches.
    explicit SpeechMix(int64_t length);

    // Lays a clip in from start, growing the track when it reaches past the end. Clips come in the
    // order of their starts, each before the blocks that reach it are taken.
    void Add(int64_t start, std::vector<float> clip);

    // Where the next block begins.
    int64_t Position() const { return m_position; }

    // The next count samples of the mix into block, limited where clips overlap; fewer at the end,
    // and none once the whole track has been handed out.
    void Next(int64_t count, std::vector<float>& block);

    // Above this level a summed sample is bent smoothly towards full scale instead of clipped.
    static constexpr float kKnee = 0.8F;
    static float Limit(float sample);

private:
    struct Clip
    {
        int64_t start = 0;
        std::vector<float> samples;
    };

    std::deque<Clip> m_clips; // in the order of their starts; none wholly handed out
    std::vector<uint8_t> m_layers; // whether none, one or more clips sound at each sample of a block
    int64_t m_end = 0;
    int64_t m_position = 0;
};
