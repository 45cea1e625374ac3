#include "SentenceSplitter.h"

#include <algorithm>
#include <cstddef>
#include <deque>

namespace SentenceSplitter {

namespace {

std::int64_t Frames(int ms, const Thresholds &t) { return std::max<std::int64_t>(1, ms / std::max(1, t.frameMs)); }

// The quietest level within `radius` frames of each frame, by a sliding-window minimum.
std::vector<float> Background(const std::vector<float> &db, std::int64_t radius)
{
    const auto count = static_cast<std::int64_t>(db.size());
    std::vector<float> floor(db.size());
    std::deque<std::int64_t> window;  // indices with rising levels
    std::int64_t next = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        for (; next < count && next <= i + radius; ++next) {
            while (!window.empty() && db[static_cast<std::size_t>(window.back())] >= db[static_cast<std::size_t>(next)])
                window.pop_back();
            window.push_back(next);
        }
        while (window.front() < i - radius)
            window.pop_front();
        floor[static_cast<std::size_t>(i)] = db[static_cast<std::size_t>(window.front())];
    }
    return floor;
}

// Cuts a span longer than the maximum at the quietest frame of its second half, again and again;
// each piece then loses the quiet frames at its edges.
template <typename Audible>
void CutLong(Span span, const std::vector<float> &db, std::int64_t maxFrames, const Audible &audible,
             std::vector<Span> &out)
{
    const auto add = [&](Span piece) {
        while (piece.begin < piece.end && !audible(piece.begin))
            ++piece.begin;
        while (piece.end > piece.begin && !audible(piece.end - 1))
            --piece.end;
        if (piece.end > piece.begin)
            out.push_back(piece);
    };
    while (span.end - span.begin > maxFrames) {
        std::int64_t cut = span.begin + maxFrames;
        for (std::int64_t i = cut - 1; i >= span.begin + maxFrames / 2; --i) {
            if (db[static_cast<std::size_t>(i)] < db[static_cast<std::size_t>(cut)])
                cut = i;
        }
        add({span.begin, cut});
        span.begin = cut + 1;
    }
    add(span);
}

}  // namespace

std::vector<Span> Split(const std::vector<float> &db, const Thresholds &t)
{
    const auto count = static_cast<std::int64_t>(db.size());
    const auto background = Background(db, Frames(t.noiseWindowMs, t) / 2);
    const auto threshold = [&](std::int64_t i) {
        return std::max(t.floorDb, background[static_cast<std::size_t>(i)] + t.aboveNoiseDb);
    };
    const auto voiced = [&](std::int64_t i) { return db[static_cast<std::size_t>(i)] >= threshold(i); };
    const auto soft = [&](std::int64_t i) { return db[static_cast<std::size_t>(i)] >= threshold(i) - t.extendDb; };

    // Voiced runs long enough to be voice, bridged over pauses shorter than the minimum.
    std::vector<Span> runs;
    for (std::int64_t i = 0; i < count;) {
        if (!voiced(i)) {
            ++i;
            continue;
        }
        std::int64_t end = i + 1;
        while (end < count && voiced(end))
            ++end;
        if (end - i >= Frames(t.minVoicedMs, t)) {
            if (!runs.empty() && i - runs.back().end < Frames(t.minPauseMs, t))
                runs.back().end = end;
            else
                runs.push_back({i, end});
        }
        i = end;
    }

    std::vector<Span> sentences;
    const std::int64_t extend = Frames(t.extendMs, t);
    for (std::size_t r = 0; r < runs.size(); ++r) {
        Span span = runs[r];
        if (span.end - span.begin < Frames(t.minSentenceMs, t))
            continue;
        const std::int64_t lowest = std::max<std::int64_t>({0, span.begin - extend, sentences.empty() ? 0 : sentences.back().end});
        while (span.begin > lowest && soft(span.begin - 1))
            --span.begin;
        const std::int64_t highest = std::min(count, std::min(span.end + extend, r + 1 < runs.size() ? runs[r + 1].begin : count));
        while (span.end < highest && soft(span.end))
            ++span.end;
        CutLong(span, db, Frames(t.maxSentenceMs, t), soft, sentences);
    }
    return sentences;
}

}  // namespace SentenceSplitter
