#include "mediakit/DuckCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

void DuckCurve::Listen(const float* stereo, size_t frames)
{
    for (size_t i = 0; i < frames; ++i) {
        const double mid = 0.5 * (double(stereo[2 * i]) + double(stereo[2 * i + 1]));
        m_energy += mid * mid;
        if (++m_filled == kStepFrames)
            EndStep();
    }
}

void DuckCurve::EndStep()
{
    m_energies.push_back(m_energy / std::max(1, m_filled));
    m_energy = 0.0;
    m_filled = 0;
}

void DuckCurve::Finish(double depthDb)
{
    if (m_filled > 0)
        EndStep();
    const size_t steps = m_energies.size();
    std::vector<double> levels(steps); // dBFS around each step
    for (size_t i = 0; i < steps; ++i) {
        const size_t from = i >= size_t(kJudgedSteps / 2) ? i - size_t(kJudgedSteps / 2) : 0;
        const size_t to = std::min(steps, i + size_t(kJudgedSteps / 2) + 1);
        const double mean =
            std::accumulate(m_energies.begin() + long(from), m_energies.begin() + long(to), 0.0) / double(to - from);
        levels[i] = mean > 0.0 ? 10.0 * std::log10(mean) : -std::numeric_limits<double>::infinity();
    }
    const double loudest = steps > 0 ? *std::max_element(levels.begin(), levels.end()) : 0.0;
    const double threshold = std::max(kSpeechDb, loudest - kBelowLoudestDb);
    m_speech.resize(steps);
    for (size_t i = 0; i < steps; ++i)
        m_speech[i] = levels[i] > threshold;
    // A short pause inside a line is still the line.
    size_t lastSpeech = steps;
    for (size_t i = 0; i < steps; ++i) {
        if (!m_speech[i])
            continue;
        if (lastSpeech < steps && i - lastSpeech <= size_t(kHoldSteps))
            std::fill(m_speech.begin() + long(lastSpeech), m_speech.begin() + long(i), true);
        lastSpeech = i;
    }
    // Depth 0..1 a step: 1 in speech, falling linearly away from it on both sides.
    std::vector<float> depth(steps, 0.0f);
    float after = 0.0f;
    for (size_t i = 0; i < steps; ++i) {
        after = m_speech[i] ? 1.0f : std::max(0.0f, after - 1.0f / kFadeUpSteps);
        depth[i] = after;
    }
    float before = 0.0f;
    for (size_t i = steps; i-- > 0;) {
        before = m_speech[i] ? 1.0f : std::max(0.0f, before - 1.0f / kFadeDownSteps);
        depth[i] = std::max(depth[i], before);
    }
    m_gain.resize(steps);
    for (size_t i = 0; i < steps; ++i)
        m_gain[i] = float(std::pow(10.0, -depthDb * depth[i] / 20.0));
}

float DuckCurve::Gain(int64_t frame) const
{
    if (m_gain.empty())
        return 1.0f;
    const int64_t step = frame / kStepFrames;
    if (step + 1 >= int64_t(m_gain.size()))
        return step < int64_t(m_gain.size()) ? m_gain[size_t(step)] : 1.0f;
    const float along = float(frame % kStepFrames) / kStepFrames;
    return m_gain[size_t(step)] + (m_gain[size_t(step + 1)] - m_gain[size_t(step)]) * along;
}

void DuckCurve::Apply(int64_t first, float* stereo, size_t frames) const
{
    for (size_t i = 0; i < frames; ++i) {
        const float gain = Gain(first + int64_t(i));
        stereo[2 * i] *= gain;
        stereo[2 * i + 1] *= gain;
    }
}
