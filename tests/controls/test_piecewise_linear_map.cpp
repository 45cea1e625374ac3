#include "host/PiecewiseLinearMap.h"

#include <gtest/gtest.h>

namespace {

// 0..50 covers 0..1 finely, 50..100 covers 1..10 coarsely: the shape the tools use for speeds.
PiecewiseLinearMap SpeedMap()
{
    PiecewiseLinearMap map;
    map.Add(0, 0.0);
    map.Add(50, 1.0);
    map.Add(100, 10.0);
    return map;
}

struct ValueCase
{
    double position;
    double value;
};

TEST(PiecewiseLinearMap, MapsBothWaysWithinEachSegmentAndClampsBeyondTheEnds)
{
    const PiecewiseLinearMap map = SpeedMap();
    const ValueCase values[] = {
        {0, 0.0}, {50, 1.0}, {100, 10.0},       // exact pairs
        {25, 0.5}, {10, 0.2}, {75, 5.5}, {90, 8.2}, // between pairs, each segment its own slope
        {-10, 0.0}, {150, 10.0},                // clamped beyond the ends
    };
    for (const ValueCase& c : values)
        EXPECT_NEAR(map.ValueAt(c.position), c.value, 1e-9) << "position " << c.position;
    const ValueCase positions[] = {
        {0, -3.0}, {100, 20.0}, // beyond the ends: the nearer end
        {1, 0.019},             // rounds to the nearest position
    };
    for (const ValueCase& c : positions)
        EXPECT_EQ(map.PositionOf(c.value), int(c.position)) << "value " << c.value;

    for (int position = 0; position <= 100; ++position)
        EXPECT_EQ(map.PositionOf(map.ValueAt(position)), position);
    // A value comes back within half a position step of its own segment's slope.
    for (double value = 0.0; value <= 10.0; value += 0.037) {
        const double slope = value <= 1.0 ? 1.0 / 50 : 9.0 / 50;
        EXPECT_NEAR(map.ValueAt(map.PositionOf(value)), value, slope / 2 + 1e-9) << "value " << value;
    }
}

TEST(PiecewiseLinearMap, NoPairsAndSinglePair)
{
    PiecewiseLinearMap map;
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(map.ValueAt(42), 0.0);
    EXPECT_EQ(map.PositionOf(3.0), 0);
    EXPECT_EQ(map.FirstPosition(), 0);
    EXPECT_EQ(map.LastPosition(), 0);

    map.Add(30, 2.5);
    for (double position : {-100.0, 30.0, 1000.0})
        EXPECT_EQ(map.ValueAt(position), 2.5);
    for (double value : {-1.0, 2.5, 99.0})
        EXPECT_EQ(map.PositionOf(value), 30);
    EXPECT_EQ(map.FirstPosition(), 30);
    EXPECT_EQ(map.LastPosition(), 30);
}

TEST(PiecewiseLinearMap, PairsAreKeptInPositionOrderOnePerPosition)
{
    PiecewiseLinearMap map;
    map.Add(100, 10.0);
    map.Add(0, 0.0);
    map.Add(50, 1.0);
    ASSERT_EQ(map.Pairs().size(), 3);
    EXPECT_EQ(map.Pairs()[0].position, 0);
    EXPECT_EQ(map.Pairs()[1].position, 50);
    EXPECT_EQ(map.Pairs()[2].position, 100);
    EXPECT_NEAR(map.ValueAt(75), 5.5, 1e-9);
    EXPECT_EQ(map.FirstPosition(), 0);
    EXPECT_EQ(map.LastPosition(), 100);

    map.Add(50, 2.0);
    EXPECT_EQ(map.Pairs().size(), 3);
    EXPECT_NEAR(map.ValueAt(25), 1.0, 1e-9);
    map.Clear();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(map.ValueAt(25), 0.0);
}

TEST(PiecewiseLinearMap, DecreasingAndFlatSegments)
{
    PiecewiseLinearMap falling;
    falling.Add(0, 100.0);
    falling.Add(10, 0.0);
    EXPECT_NEAR(falling.ValueAt(4), 60.0, 1e-9);
    EXPECT_EQ(falling.PositionOf(60.0), 4);
    EXPECT_EQ(falling.PositionOf(500.0), 0);
    EXPECT_EQ(falling.PositionOf(-5.0), 10);

    PiecewiseLinearMap flat;
    flat.Add(0, 0.0);
    flat.Add(10, 1.0);
    flat.Add(20, 1.0);
    flat.Add(30, 2.0);
    EXPECT_EQ(flat.PositionOf(1.0), 10) << "a flat segment maps to its start";
    EXPECT_NEAR(flat.ValueAt(15), 1.0, 1e-9);
}

} // namespace
