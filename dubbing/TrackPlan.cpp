#include "dubbing/TrackPlan.h"

#include <algorithm>
#include <cmath>

namespace TrackPlan {

namespace {

int64_t SlotEnd(const std::vector<Cue>& cues, size_t i, const Rules& rules)
{
    if (i + 1 < cues.size())
        return cues[i + 1].start - rules.gap;
    return std::max(cues[i].end, rules.trackEnd);
}

} // namespace

std::vector<Placement> Place(const std::vector<Cue>& cues, const Rules& rules)
{
    std::vector<Placement> placements(cues.size());
    std::vector<double> needed(cues.size(), 1.0);
    for (size_t i = 0; i < cues.size(); ++i) {
        const int64_t slot = std::max<int64_t>(0, SlotEnd(cues, i, rules) - cues[i].start);
        if (cues[i].speech > slot)
            needed[i] = slot > 0 ? double(cues[i].speech) / double(slot) : rules.maxTempo + 1.0;
    }
    std::vector<double> tempo(cues.size());
    for (size_t i = 0; i < cues.size(); ++i) {
        tempo[i] = std::min(needed[i], rules.maxTempo);
        if (!rules.smooth)
            continue;
        for (const size_t j : {i - 1, i + 1}) {
            if (j < cues.size())
                tempo[i] = std::max(tempo[i], 1.0 + (std::min(needed[j], rules.maxTempo) - 1.0) / 2.0);
        }
    }
    for (size_t i = 0; i < cues.size(); ++i) {
        const Cue& cue = cues[i];
        Placement& placement = placements[i];
        placement.start = cue.start;
        placement.tempo = tempo[i];
        placement.needed = needed[i];
        placement.runsOn = needed[i] > rules.maxTempo;
        placement.length = tempo[i] == 1.0 ? cue.speech : int64_t(std::ceil(double(cue.speech) / tempo[i]));
        placement.borrowed = std::max<int64_t>(0, std::min(placement.length, SlotEnd(cues, i, rules) - cue.start) -
                                                      (cue.end - cue.start));
    }
    return placements;
}

int64_t Length(const std::vector<Cue>& cues, const std::vector<Placement>& placements)
{
    int64_t length = 0;
    for (const Cue& cue : cues)
        length = std::max(length, cue.end);
    for (const Placement& placement : placements)
        length = std::max(length, placement.start + placement.length);
    return length;
}

} // namespace TrackPlan
