#pragma once

#include <cstdint>
#include <vector>

// Where each caption's speech goes in a voice-over track, and how fast it plays. Speech starts at
// its caption's start. Its slot runs to the next caption's start (the last caption's to its own
// end); speech longer than its slot plays faster, pitch kept, up to kMaxTempo times. Speech that
// is too long even then plays at kMaxTempo and runs on past its slot, over the next caption's
// speech rather than pushing it later: every later caption stays in time with its picture.
namespace TrackPlan {

inline constexpr double kMaxTempo = 1.5;

struct Cue
{
    int64_t start = 0; // samples
    int64_t end = 0;
    int64_t speech = 0; // samples of speech at its own pace
};

struct Placement
{
    int64_t start = 0;
    double tempo = 1.0;  // 1: as spoken
    int64_t length = 0;  // samples once played at tempo
    bool runsOn = false; // longer than its slot even at kMaxTempo
};

// cues in the order of their starts.
std::vector<Placement> Place(const std::vector<Cue>& cues);

// The track's length: to the last speech's end, and never short of the last caption's end.
int64_t Length(const std::vector<Cue>& cues, const std::vector<Placement>& placements);

} // namespace TrackPlan
