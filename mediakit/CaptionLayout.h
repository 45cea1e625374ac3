#pragma once

#include "mediakit/Caption.h"

#include <QString>

#include <vector>

// Lays recognised sentences out as captions a viewer can read: no more than so many characters
// on a line, lines on screen and seconds of it. A caption that fits is left exactly as it is; a
// longer one becomes several, cut where a reader pauses, each one's lines balanced, sharing the
// sentence's time in order and nothing of its text lost.
class CaptionLayout
{
public:
    // The common style for timed text: 42 characters a line where words are spaced, about 16 in
    // Chinese, two lines, seven seconds.
    static constexpr int kSpacedChars = 42;
    static constexpr int kChineseChars = 16;
    static constexpr int kLines = 2;
    static constexpr double kSeconds = 7.0;

    struct Limits
    {
        int maxChars = 0; // 0: by each caption's script
        int maxLines = kLines;
        double maxSeconds = kSeconds;
    };

    CaptionLayout() = default;
    explicit CaptionLayout(const Limits& limits) : m_limits(limits) {}

    std::vector<Caption> Apply(const std::vector<Caption>& captions) const;
    std::vector<Caption> Apply(const Caption& caption) const;

    // The line length a caption is held to.
    int MaxChars(const QString& text) const;
    bool Fits(const Caption& caption) const;

private:
    Limits m_limits;
};
