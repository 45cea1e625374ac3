#include "dubbing/TrackPlan.h"

#include <algorithm>
#include <cmath>

namespace TrackPlan {

std::vector<Placement> Place(const std::vector<Cue>& cues)
{
    std::vector<Placement> placements(cues.size());
    for (size_t i = 0; i < cues.size(); ++i) {
        const Cue& cue = cues[i];
        const int64_t slotEnd = i + 1 < cues.size() ? cues[i + 1].start : cue.end;
        const int64_t slot = std::max<int64_t>(0, slotEnd - cue.start);
        Placement& placement = placements[i];
        placement.start = cue.start;
        placement.length = cue.speech;
        if (cue.speech <= slot)
            continue;
        const double needed = slot > 0 ? double(cue.speech) / double(slot) : kMaxTempo + 1.0;
        placement.tempo = std::min(needed, kMaxTempo);
        placement.runsOn = needed > kMaxTempo;
        placement.length = int64_t(std::ceil(double(cue.speech) / placement.tempo));
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
