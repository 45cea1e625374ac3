#include "host/PiecewiseLinearMap.h"

#include <algorithm>
#include <cmath>

void PiecewiseLinearMap::Add(int position, double value)
{
    auto at = std::lower_bound(m_pairs.begin(), m_pairs.end(), position,
                               [](const Pair& pair, int pos) { return pair.position < pos; });
    if (at != m_pairs.end() && at->position == position)
        at->value = value;
    else
        m_pairs.insert(at, Pair{position, value});
}

double PiecewiseLinearMap::ValueAt(double position) const
{
    if (m_pairs.isEmpty())
        return 0.0;
    if (position <= m_pairs.front().position)
        return m_pairs.front().value;
    if (position >= m_pairs.back().position)
        return m_pairs.back().value;
    for (qsizetype i = 1; i < m_pairs.size(); ++i) {
        const Pair& hi = m_pairs[i];
        if (position > hi.position)
            continue;
        const Pair& lo = m_pairs[i - 1];
        const double t = (position - lo.position) / double(hi.position - lo.position);
        return lo.value + t * (hi.value - lo.value);
    }
    return m_pairs.back().value;
}

int PiecewiseLinearMap::PositionOf(double value) const
{
    if (m_pairs.isEmpty())
        return 0;
    for (qsizetype i = 1; i < m_pairs.size(); ++i) {
        const Pair& lo = m_pairs[i - 1];
        const Pair& hi = m_pairs[i];
        const double low = std::min(lo.value, hi.value);
        const double high = std::max(lo.value, hi.value);
        if (value < low || value > high)
            continue;
        if (hi.value == lo.value)
            return lo.position;
        const double t = (value - lo.value) / (hi.value - lo.value);
        return int(std::lround(lo.position + t * (hi.position - lo.position)));
    }
    const Pair& first = m_pairs.front();
    const Pair& last = m_pairs.back();
    return std::abs(value - first.value) <= std::abs(value - last.value) ? first.position : last.position;
}
