#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The loudness of audio frame by frame, in dB relative to full scale, gathered as samples arrive
// so a long recording is measured without being kept.
class FrameEnergies {
public:
    // Digital silence has no level in dB; it counts as this.
    static constexpr float kSilenceDb = -120.0f;

    explicit FrameEnergies(std::size_t frameSamples);

    void Add(const std::int16_t *samples, std::size_t count);
    // Measures the last, shorter frame, if any.
    void Finish();
    const std::vector<float> &Db() const { return db_; }

private:
    void Close();

    std::size_t frameSamples_;
    double sumOfSquares_ = 0;
    std::size_t inFrame_ = 0;
    std::vector<float> db_;
};
