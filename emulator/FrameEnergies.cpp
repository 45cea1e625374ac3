#include "FrameEnergies.h"

#include <algorithm>
#include <cmath>

FrameEnergies::FrameEnergies(std::size_t frameSamples) : frameSamples_(std::max<std::size_t>(1, frameSamples)) {}

void FrameEnergies::Add(const std::int16_t *samples, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const double value = samples[i] / 32768.0;
        sumOfSquares_ += value * value;
        if (++inFrame_ == frameSamples_)
            Close();
    }
}

void FrameEnergies::Finish()
{
    if (inFrame_ > 0)
        Close();
}

void FrameEnergies::Close()
{
    const double meanSquare = sumOfSquares_ / static_cast<double>(inFrame_);
    const double db = meanSquare > 0 ? 10.0 * std::log10(meanSquare) : kSilenceDb;
    db_.push_back(static_cast<float>(std::max<double>(db, kSilenceDb)));
    sumOfSquares_ = 0;
    inFrame_ = 0;
}
