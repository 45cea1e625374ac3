#include "dubbing/SrtDubbing.h"

#include <gtest/gtest.h>

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

} // namespace
