#include "mediakit/SpeechMix.h"

#include <algorithm>
#include <cmath>

SpeechMix::SpeechMix(int64_t length) : m_samples(size_t(std::max<int64_t>(0, length)), 0.0F) {}

void SpeechMix::Add(int64_t start, const std::vector<float>& clip)
{
    const int64_t end = start + int64_t(clip.size());
    if (end > int64_t(m_samples.size()))
        m_samples.resize(size_t(end), 0.0F);
    if (m_covered > start)
        m_overlaps.emplace_back(start, std::min(m_covered, end));
    m_covered = std::max(m_covered, end);
    std::transform(clip.begin(), clip.end(), m_samples.begin() + start, m_samples.begin() + start,
                   [](float sample, float under) { return under + sample; });
}

std::vector<float> SpeechMix::Take()
{
    for (const auto& [from, to] : m_overlaps)
        std::transform(m_samples.begin() + from, m_samples.begin() + to, m_samples.begin() + from, &Limit);
    m_overlaps.clear();
    m_covered = 0;
    return std::move(m_samples);
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
