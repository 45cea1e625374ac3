#include "mediakit/SpeechMix.h"

#include <algorithm>
#include <cmath>

SpeechMix::SpeechMix(int64_t length) : m_end(std::max<int64_t>(0, length)) {}

void SpeechMix::Add(int64_t start, std::vector<float> clip)
{
    const int64_t end = start + int64_t(clip.size());
    m_end = std::max(m_end, end);
    if (!clip.empty())
        m_clips.push_back({start, std::move(clip)});
}

void SpeechMix::Next(int64_t count, std::vector<float>& block)
{
    const int64_t from = m_position;
    const int64_t to = std::min(m_end, from + std::max<int64_t>(0, count));
    block.assign(size_t(std::max<int64_t>(0, to - from)), 0.0F);
    m_layers.assign(block.size(), 0);
    for (const Clip& clip : m_clips) {
        if (clip.start >= to)
            break;
        const int64_t first = std::max(from, clip.start);
        const int64_t last = std::min(to, clip.start + int64_t(clip.samples.size()));
        for (int64_t at = first; at < last; ++at) {
            block[size_t(at - from)] += clip.samples[size_t(at - clip.start)];
            uint8_t& layers = m_layers[size_t(at - from)];
            layers = uint8_t(std::min(layers + 1, 2));
        }
    }
    for (size_t i = 0; i < block.size(); ++i) {
        if (m_layers[i] > 1)
            block[i] = Limit(block[i]);
    }
    m_position = to;
    // A clip ends for good once a block has passed it; the ones after it may still sound.
    std::erase_if(m_clips, [to](const Clip& clip) { return clip.start + int64_t(clip.samples.size()) <= to; });
}

float SpeechMix::Limit(float sample)
{
    const float size = std::fabs(sample);
    if (size <= kKnee)
        return sample;
    // tanh leaves the knee with the slope it came in at, and never reaches full scale.
    const float bent = kKnee + (1.0F - kKnee) * std::tanh((size - kKnee) / (1.0F - kKnee));
    return std::copysign(bent, sample);
}
