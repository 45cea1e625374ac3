#pragma once

#include <QList>

// Maps integer slider positions to values through (position, value) pairs, linearly between
// neighbouring pairs and clamped beyond the ends. Kept apart from the widget so the arithmetic
// can be checked without drawing anything.
class PiecewiseLinearMap
{
public:
    struct Pair
    {
        int position;
        double value;
    };

    // Adds a pair, keeping pairs ordered by position; a pair at an existing position replaces it.
    void Add(int position, double value);
    void Clear() { m_pairs.clear(); }
    bool IsEmpty() const { return m_pairs.isEmpty(); }
    const QList<Pair>& Pairs() const { return m_pairs; }
    // Lowest and highest positions (0 when there are no pairs).
    int FirstPosition() const { return m_pairs.isEmpty() ? 0 : m_pairs.front().position; }
    int LastPosition() const { return m_pairs.isEmpty() ? 0 : m_pairs.back().position; }

    // Value at position; 0 without pairs, the single value with one pair.
    double ValueAt(double position) const;
    // The nearest integer position whose segment holds value; beyond every pair, the end whose
    // value is closer. The first matching segment wins where values go back and forth.
    int PositionOf(double value) const;

private:
    QList<Pair> m_pairs;
};
