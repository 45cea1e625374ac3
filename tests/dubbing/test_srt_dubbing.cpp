#include "dubbing/SrtDubbing.h"
#include "dubbing/TrackPlan.h"

#include <gtest/gtest.h>

#include <cmath>

#include <tuple>
#include <vector>

namespace {

constexpr qint64 kHour = 3600000;

TEST(SrtDubbing, SilencesOfMoreThanAnHourAreFoundBeforeTheirCaptions)
{
    using Silences = std::vector<std::tuple<int, qint64, bool>>; // number, length, first
    const struct
    {
        const char* name;
        std::vector<std::tuple<int, qint64, qint64>> captions; // number, start, end
        Silences found;
    } cases[] = {
        {"the second two hours on", {{1, 0, 2000}, {2, 2 * kHour, 2 * kHour + 2000}}, {{2, 2 * kHour - 2000, false}}},
        {"an hour exactly", {{1, 0, 2000}, {2, kHour + 2000, kHour + 4000}}, {}},
        {"the first an hour into the track", {{7, kHour + 1, kHour + 2000}}, {{7, kHour + 1, true}}},
        {"after a short caption inside a long one",
         {{1, 0, 2 * kHour}, {2, 1000, 2000}, {3, 2 * kHour + 5, 2 * kHour + 9}},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<SrtDubbing::Caption> captions;
        for (const auto& [number, start, end] : c.captions)
            captions.push_back({number, start, end, QStringLiteral("words")});
        Silences found;
        for (const SrtDubbing::Silence& silence : SrtDubbing::LongSilences(captions))
            found.emplace_back(silence.number, silence.length, silence.first);
        EXPECT_EQ(found, c.found);
    }
}

// Speech longer than its caption takes the silence after it before it is sped up; the cap and
// the smoothing decide the rest.
TEST(TrackPlan, SpeechTakesTheFollowingSilenceFirstThenSpeedsUpWithinTheCap)
{
    const TrackPlan::Rules localize{1.3, 100, 0, false};
    const struct
    {
        const char* name;
        std::vector<TrackPlan::Cue> cues; // start, end, speech
        TrackPlan::Rules rules;
        std::vector<std::tuple<double, int64_t, bool>> placed; // tempo, borrowed, runs on
    } cases[] = {
        {"fits its caption", {{0, 1000, 800}, {2000, 3000, 500}}, localize, {{1.0, 0, false}, {1.0, 0, false}}},
        {"takes the silence up to the gap", {{0, 1000, 1500}, {2000, 3000, 500}}, localize, {{1.0, 500, false}, {1.0, 0, false}}},
        {"then speeds up", {{0, 1000, 2090}, {2000, 3000, 500}}, localize, {{1.1, 900, false}, {1.0, 0, false}}},
        {"runs on past the cap", {{0, 1000, 3800}, {2000, 3000, 500}}, localize, {{1.3, 900, true}, {1.0, 0, false}}},
        {"the last takes the track's end", {{0, 1000, 1800}}, {1.3, 100, 2000, false}, {{1.0, 800, false}}},
        {"a neighbour is brought within reach", {{0, 1000, 2400}, {2000, 3000, 900}}, {1.3, 100, 0, true},
         {{1.26, 900, false}, {1.13, 0, false}}},
        {"the old rules: to the next start, up to 1.5", {{0, 1000, 3000}, {2000, 3000, 500}}, {},
         {{1.5, 1000, false}, {1.0, 0, false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::tuple<double, int64_t, bool>> placed;
        for (const TrackPlan::Placement& placement : TrackPlan::Place(c.cues, c.rules))
            placed.emplace_back(std::round(placement.tempo * 100) / 100, placement.borrowed, placement.runsOn);
        EXPECT_EQ(placed, c.placed);
    }
}

} // namespace
