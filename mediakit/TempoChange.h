#pragma once

#include <QString>

#include <vector>

// Speech played faster with its pitch kept, through FFmpeg's tempo filter: overlapping windows
// of the sound are matched and joined, so voices neither squeak nor warble the way a plain
// resampling or naive cutting would make them.
namespace TempoChange {

// out: samples (mono, [-1, 1], at rate) played factor times as fast (factor from 0.5 to 2);
// about samples.size() / factor long. On failure error says why.
bool Apply(const std::vector<float>& samples, int rate, double factor, std::vector<float>& out, QString& error);

} // namespace TempoChange
