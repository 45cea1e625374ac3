#pragma once

#include <cstdint>
#include <vector>

// Where each caption's speech goes in a voice-over track, and how fast it plays. Speech starts at
// its caption's start. Its slot runs to the next caption's start less a gap (the last caption's
// to the track's end when known, else its own end); speech longer than its caption first takes the
// silence after it up to there, and only what the slot still cannot hold plays faster, pitch kept,
// up to the rules' cap. Speech too long even then plays at the cap and runs on past its slot, over
// the next caption's speech rather than pushing it later: every later caption stays in time with
// its picture.
namespace TrackPlan {

inline constexpr double kMaxTempo = 1.5;

struct Cue
{
    int64_t start = 0; // samples
    int64_t end = 0;
    int64_t speech = 0; // samples of speech at its own pace
};

struct Rules
{
    double maxTempo = kMaxTempo;
    int64_t gap = 0;      // samples kept clear before the next caption's start
    int64_t trackEnd = 0; // samples the last caption's speech may run to; 0: its own end
    // Brings each speed-up within reach of its neighbours' (at least half of theirs), so that one
    // line in a run of calm ones is not suddenly fast.
    bool smooth = false;
};

struct Placement
{
    int64_t start = 0;
    double tempo = 1.0;   // 1: as spoken
    double needed = 1.0;  // the speed its slot would take, were there no cap
    int64_t length = 0;   // samples once played at tempo
    int64_t borrowed = 0; // samples taken from the silence after the caption
    bool runsOn = false;  // longer than its slot even at the cap
};

// cues in the order of their starts.
std::vector<Placement> Place(const std::vector<Cue>& cues, const Rules& rules = {});

// The track's length: to the last speech's end, and never short of the last caption's end.
int64_t Length(const std::vector<Cue>& cues, const std::vector<Placement>& placements);

} // namespace TrackPlan
