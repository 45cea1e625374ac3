#include "mediakit/CaptionLayout.h"

#include "mediakit/CaptionText.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>

namespace {

// What a cut costs, against what one more caption costs: a sentence's end is free, a pause
// cheap, the middle of a clause dear enough that a caption more is sometimes the better choice.
// The tables below are indexed by CaptionText::Pause: None, Comma, Sentence.
constexpr double kCaptionCost = 200.0;
constexpr double kUnderfilledCost = 100.0;
constexpr double kCaptionBreakCost[] = {120.0, 40.0, 0.0};

// Inside a caption the lines' balance is weighed by the square of their lengths; a break at a
// pause wins over a better balance, not over a stub of a line. In squares of the line length.
constexpr double kLineBreakCost[] = {0.25, 0.02, 0.0};

// A pause at punctuation takes time as so many characters would.
constexpr int kPauseWeight[] = {0, 2, 4};

constexpr double kNever = std::numeric_limits<double>::infinity();

// The measures one caption's layout works with, computed once.
struct Measures
{
    Measures(const CaptionText& text, int maxChars)
        : text(text)
        , maxChars(maxChars)
    {
        for (int i = 0; i < text.Count(); ++i) {
            pieces.push_back(text.Length(i, i + 1));
            gaps.push_back(i == 0 ? 0 : text.Length(i - 1, i + 1) - pieces[i - 1] - pieces[i]);
        }
    }

    int Length(int from, int to) const
    {
        int length = 0;
        for (int i = from; i < to; ++i)
            length += (i > from ? gaps[i] : 0) + pieces[i];
        return length;
    }

    bool FitsLine(int from, int to) const { return to - from == 1 || Length(from, to) <= maxChars; }

    // Fewest lines that hold pieces [from, to): filling each line as far as it goes is optimal.
    int LinesNeeded(int from, int to) const
    {
        int lines = 1;
        int used = pieces[from];
        for (int i = from + 1; i < to; ++i) {
            if (used + gaps[i] + pieces[i] <= maxChars) {
                used += gaps[i] + pieces[i];
            } else {
                ++lines;
                used = pieces[i];
            }
        }
        return lines;
    }

    const CaptionText& text;
    const int maxChars;
    std::vector<int> pieces;
    std::vector<int> gaps;
};

// The lines of pieces [from, to), as few as hold them, balanced.
QString BalancedLines(const Measures& m, int from, int to)
{
    const int lines = m.LinesNeeded(from, to);
    const int count = to - from;
    const double square = double(m.maxChars) * m.maxChars;
    // cost[k][l]: the best l lines of the first k pieces; cut[k][l] where the last of them begins.
    std::vector<std::vector<double>> cost(count + 1, std::vector<double>(lines + 1, kNever));
    std::vector<std::vector<int>> cut(count + 1, std::vector<int>(lines + 1, 0));
    cost[0][0] = 0.0;
    for (int k = 1; k <= count; ++k) {
        for (int l = 1; l <= lines; ++l) {
            for (int b = k - 1; b >= 0; --b) {
                if (!m.FitsLine(from + b, from + k))
                    break;
                if (cost[b][l - 1] == kNever)
                    continue;
                const double length = m.Length(from + b, from + k);
                const double breakCost =
                    k < count ? kLineBreakCost[int(m.text.Pieces()[from + k - 1].pause)] * square : 0.0;
                const double total = cost[b][l - 1] + length * length + breakCost;
                if (total < cost[k][l]) {
                    cost[k][l] = total;
                    cut[k][l] = b;
                }
            }
        }
    }
    QStringList result;
    for (int k = count, l = lines; l > 0; --l) {
        const int b = cut[k][l];
        result.prepend(m.text.Line(from + b, from + k));
        k = b;
    }
    return result.join(QLatin1Char('\n'));
}

// Each piece's time within [start, end]: the recogniser's words where their letters are the
// caption's, otherwise the span shared by length, pauses weighing as characters.
void PieceTimes(const Caption& caption, const Measures& m, std::vector<int64_t>& starts, std::vector<int64_t>& ends)
{
    const int n = m.text.Count();
    const int64_t start = caption.start;
    const int64_t end = std::max(caption.end, caption.start);
    starts.assign(n, start);
    ends.assign(n, end);

    QString spoken;
    std::vector<int> wordOf; // for each letter of spoken, the word it belongs to
    for (size_t w = 0; w < caption.words.size(); ++w) {
        const QString core = CaptionText::Core(caption.words[w].text);
        spoken += core;
        wordOf.insert(wordOf.end(), core.size(), int(w));
    }
    QString written;
    for (const CaptionText::Piece& piece : m.text.Pieces())
        written += CaptionText::Core(piece.text);

    if (!spoken.isEmpty() && spoken == written) {
        int letter = 0;
        int64_t last = start;
        for (int i = 0; i < n; ++i) {
            const int size = int(CaptionText::Core(m.text.Pieces()[i].text).size());
            if (size > 0) {
                const Caption::Word& first = caption.words[wordOf[letter]];
                const Caption::Word& final = caption.words[wordOf[letter + size - 1]];
                starts[i] = std::clamp<int64_t>(first.start, last, end);
                ends[i] = std::clamp<int64_t>(final.end, starts[i], end);
                letter += size;
            } else {
                starts[i] = ends[i] = last; // punctuation alone is not spoken
            }
            last = starts[i];
        }
        starts[0] = start;
        ends[n - 1] = end;
        return;
    }

    std::vector<int64_t> weights(n);
    for (int i = 0; i < n; ++i)
        weights[i] = m.pieces[i] + m.gaps[i] + kPauseWeight[int(m.text.Pieces()[i].pause)];
    const int64_t total = std::accumulate(weights.begin(), weights.end(), int64_t(0));
    int64_t done = 0;
    for (int i = 0; i < n; ++i) {
        starts[i] = start + (end - start) * done / total;
        done += weights[i];
        ends[i] = start + (end - start) * done / total;
    }
}

} // namespace

int CaptionLayout::MaxChars(const QString& text) const
{
    if (m_limits.maxChars > 0)
        return m_limits.maxChars;
    return CaptionText::IsChinese(text) ? kChineseChars : kSpacedChars;
}

bool CaptionLayout::Fits(const Caption& caption) const
{
    if (double(caption.end) - caption.start > m_limits.maxSeconds * 1000.0)
        return false;
    const QStringList lines = caption.text.split(QLatin1Char('\n'));
    if (lines.size() > m_limits.maxLines)
        return false;
    const int maxChars = MaxChars(caption.text);
    return std::all_of(lines.begin(), lines.end(),
                       [maxChars](const QString& line) { return CaptionText::Length(line) <= maxChars; });
}

std::vector<Caption> CaptionLayout::Apply(const std::vector<Caption>& captions) const
{
    std::vector<Caption> laidOut;
    for (const Caption& caption : captions) {
        const std::vector<Caption> pieces = Apply(caption);
        laidOut.insert(laidOut.end(), pieces.begin(), pieces.end());
    }
    return laidOut;
}

std::vector<Caption> CaptionLayout::Apply(const Caption& caption) const
{
    const CaptionText text(caption.text);
    const int n = text.Count();
    if (Fits(caption) || n == 0)
        return {caption};
    const Measures m(text, MaxChars(caption.text));
    std::vector<int64_t> starts;
    std::vector<int64_t> ends;
    PieceTimes(caption, m, starts, ends);
    const double longest = m_limits.maxSeconds * 1000.0;
    const double capacity = double(m_limits.maxLines) * m.maxChars;

    // best[j]: the cheapest captions of the first j pieces; from[j] where the last of them begins.
    std::vector<double> best(n + 1, kNever);
    std::vector<int> from(n + 1, 0);
    best[0] = 0.0;
    for (int j = 1; j <= n; ++j) {
        for (int i = j - 1; i >= 0; --i) {
            // Adding pieces in front never makes a caption shorter: the first too long ends the search.
            // A single piece is taken even when it is too long: a word is never cut.
            if (j - i > 1 && (m.LinesNeeded(i, j) > m_limits.maxLines || double(ends[j - 1] - starts[i]) > longest))
                break;
            const double unfilled = std::max(0.0, capacity - m.Length(i, j)) / capacity;
            const double cost = best[i] + kCaptionCost + kUnderfilledCost * unfilled * unfilled +
                                (j < n ? kCaptionBreakCost[int(text.Pieces()[j - 1].pause)] : 0.0);
            if (cost < best[j]) {
                best[j] = cost;
                from[j] = i;
            }
        }
    }

    std::vector<Caption> pieces;
    for (int j = n; j > 0; j = from[j])
        pieces.insert(pieces.begin(), Caption{caption.index, int32_t(starts[from[j]]), int32_t(ends[j - 1]),
                                              BalancedLines(m, from[j], j), {}});
    // Word times may leave gaps but never let one caption run into the next.
    for (size_t k = 1; k < pieces.size(); ++k) {
        pieces[k].start = std::max(pieces[k].start, pieces[k - 1].end);
        pieces[k].end = std::max(pieces[k].end, pieces[k].start);
    }
    return pieces;
}
