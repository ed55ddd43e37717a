// The monitor's curves without Qt: the bounded ring of a field's points, what a
// chart draws of them, and the value axis.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "protocol/PlotDecimator.h"
#include "protocol/PlotRing.h"
#include "protocol/PlotScale.h"

namespace {

std::vector<PlotRing::Point> Contents(const PlotRing& ring) {
    std::vector<PlotRing::Point> points;
    for (size_t i = 0; i < ring.Size(); ++i) points.push_back(ring.At(i));
    return points;
}

std::vector<int32_t> Values(const std::vector<PlotRing::Point>& points) {
    std::vector<int32_t> values;
    for (const PlotRing::Point& point : points) values.push_back(point.value);
    return values;
}

TEST(PlotRing, KeepsTheNewestPointsInOrderWithinItsCapacity) {
    PlotRing ring(4);
    for (int i = 0; i < 10; ++i) ring.Append(i * 0.1, i);
    EXPECT_EQ(Values(Contents(ring)), (std::vector<int32_t>{6, 7, 8, 9}));
    EXPECT_EQ(ring.Capacity(), 4u);

    // Dropped from the front across the wrap, then filled again behind it.
    ring.DropBefore(0.75);
    EXPECT_EQ(Values(Contents(ring)), (std::vector<int32_t>{8, 9}));
    ring.Append(1.0, 10);
    ring.Append(1.1, 11);
    ring.Append(1.2, 12);
    EXPECT_EQ(Values(Contents(ring)), (std::vector<int32_t>{9, 10, 11, 12}));
    EXPECT_EQ(ring.FirstAtOrAfter(1.05), 2u);
    EXPECT_EQ(ring.FirstAtOrAfter(5), 4u);
    ring.DropBefore(5);
    EXPECT_EQ(ring.Size(), 0u);
    ring.Append(6, 60);
    EXPECT_EQ(Values(Contents(ring)), (std::vector<int32_t>{60}));
}

TEST(PlotRing, TakesALatePointAtTheNewestTime) {
    PlotRing ring(8);
    ring.Append(2.0, 1);
    ring.Append(1.5, 2);
    EXPECT_EQ(ring.At(1).seconds, 2.0);
    EXPECT_EQ(ring.FirstAtOrAfter(2.0), 0u);
}

// Per pixel column the decimated curve holds exactly the lowest and the highest
// value the column's points had, in their order; its size depends on the columns.
TEST(PlotDecimator, KeepsEachColumnsExtremesInOrder) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> noise(-500, 500);
    PlotRing ring(20000);
    for (int i = 0; i < 12000; ++i) ring.Append(i * 0.05, 1000 + noise(random));
    const double from = 100;
    const double to = 399.99;
    const int columns = 250;

    PlotDecimator::Curve curve = PlotDecimator::Decimate(ring, from, to, columns);

    ASSERT_TRUE(curve.any);
    EXPECT_LE(curve.points.size(), 2u * columns + 2);
    EXPECT_LT(curve.points.front().seconds, from);
    EXPECT_GT(curve.points.back().seconds, to);
    EXPECT_TRUE(std::is_sorted(curve.points.begin(), curve.points.end(),
                               [](auto& a, auto& b) { return a.seconds < b.seconds; }));
    double width = (to - from) / columns;
    auto column = [&](double seconds) { return static_cast<int>((seconds - from) / width); };
    int32_t low = INT32_MAX;
    int32_t high = INT32_MIN;
    for (int c = 0; c < columns; ++c) {
        std::vector<int32_t> raw;
        std::vector<int32_t> drawn;
        for (size_t i = ring.FirstAtOrAfter(from); i < ring.FirstAtOrAfter(to); ++i) {
            if (column(ring.At(i).seconds) == c) raw.push_back(ring.At(i).value);
        }
        for (const PlotRing::Point& point : curve.points) {
            if (point.seconds >= from && point.seconds < to && column(point.seconds) == c) {
                drawn.push_back(point.value);
            }
        }
        ASSERT_FALSE(raw.empty());
        auto [rawLow, rawHigh] = std::minmax_element(raw.begin(), raw.end());
        ASSERT_EQ(drawn.size(), *rawLow == *rawHigh ? 1u : 2u) << "column " << c;
        EXPECT_EQ(*std::min_element(drawn.begin(), drawn.end()), *rawLow) << "column " << c;
        EXPECT_EQ(*std::max_element(drawn.begin(), drawn.end()), *rawHigh) << "column " << c;
        low = std::min(low, *rawLow);
        high = std::max(high, *rawHigh);
    }
    EXPECT_EQ(curve.low, low);
    EXPECT_EQ(curve.high, high);
}

TEST(PlotDecimator, DrawsFewPointsAsTheyAreAndNothingOutsideTheData) {
    PlotRing ring(16);
    for (int i = 0; i < 5; ++i) ring.Append(10 + i, i * i);
    PlotDecimator::Curve few = PlotDecimator::Decimate(ring, 0, 100, 500);
    EXPECT_EQ(Values(few.points), (std::vector<int32_t>{0, 1, 4, 9, 16}));
    EXPECT_EQ(few.low, 0);
    EXPECT_EQ(few.high, 16);

    // Before the data: no value inside, but the line to the first point.
    PlotDecimator::Curve before = PlotDecimator::Decimate(ring, 0, 5, 100);
    EXPECT_FALSE(before.any);
    EXPECT_EQ(Values(before.points), (std::vector<int32_t>{0}));
    EXPECT_TRUE(PlotDecimator::Decimate(PlotRing(4), 0, 5, 100).points.empty());
}

// What run ends leave out lies within one row of the line drawn in its place;
// a curve that moves a row or more at each point keeps every point.
TEST(PlotDecimator, KeepsRunEndsSoThatWhatIsLeftOutLiesWithinARowOfTheLine) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> noise(-4, 4);
    struct Case {
        const char* name;
        double row;
        int32_t (*value)(int i, int32_t noise);
        size_t mostKept;
    };
    const Case cases[] = {
        {"level", 10.6, [](int, int32_t) { return 330; }, 2},
        {"noise under a row", 10.6, [](int, int32_t n) { return 3090 + n; }, 2},
        {"steps", 10.6, [](int i, int32_t n) { return i / 100 % 2 * 1000 + n; }, 20},
        {"zigzag over a row", 10.6, [](int i, int32_t) { return i % 2 * 15; }, 600},
        {"ramp of a row a point", 1.0, [](int i, int32_t) { return i; }, 600},
        {"slow ramp", 10.6, [](int i, int32_t) { return i; }, 120},
        {"no row", 0.0, [](int, int32_t n) { return n; }, 600},
    };
    for (const Case& c : cases) {
        std::vector<PlotRing::Point> points;
        for (int i = 0; i < 600; ++i) points.push_back({i * 0.1, c.value(i, noise(random))});
        std::vector<PlotRing::Point> kept = points;
        PlotDecimator::KeepRunEnds(kept, c.row);

        ASSERT_GE(kept.size(), 2u) << c.name;
        EXPECT_LE(kept.size(), c.mostKept) << c.name;
        EXPECT_EQ(kept.front().seconds, points.front().seconds) << c.name;
        EXPECT_EQ(kept.back().seconds, points.back().seconds) << c.name;
        size_t k = 0;
        for (const PlotRing::Point& point : points) {
            if (k < kept.size() && kept[k].seconds == point.seconds) {
                EXPECT_EQ(kept[k++].value, point.value) << c.name;
                continue;
            }
            ASSERT_GT(k, 0u) << c.name;
            ASSERT_LT(k, kept.size()) << c.name << ": kept points out of order";
            const PlotRing::Point& a = kept[k - 1];
            const PlotRing::Point& b = kept[k];
            double line = a.value + (b.value - a.value) * (point.seconds - a.seconds) /
                                        (b.seconds - a.seconds);
            EXPECT_LT(std::abs(point.value - line), c.row) << c.name << " at " << point.seconds;
        }
        EXPECT_EQ(k, kept.size()) << c.name;
    }
}

bool IsRoundStep(double step) {
    double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    double factor = step / power;
    return std::abs(factor - 1) < 1e-9 || std::abs(factor - 2) < 1e-9 ||
           std::abs(factor - 5) < 1e-9;
}

TEST(PlotScale, ShowsTheValuesWithRoomOnRoundTicks) {
    struct Case {
        double low, high;
    };
    const Case cases[] = {{0, 0},      {307, 307},   {0, 3099},     {-12, 3099}, {300, 310},
                          {-5000, -4}, {0, 1000000}, {-2e9, 2.1e9}, {17, 23},    {0.5, 0.5}};
    for (const Case& c : cases) {
        PlotScale scale = PlotScale::For(c.low, c.high);
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high);
        EXPECT_TRUE(IsRoundStep(scale.Step())) << scale.Step();
        EXPECT_GE(scale.Step(), 1);
        EXPECT_LT(scale.Min(), c.low);
        EXPECT_GT(scale.Max(), c.high);
        EXPECT_DOUBLE_EQ(std::remainder(scale.Min(), scale.Step()), 0);
        EXPECT_DOUBLE_EQ(std::remainder(scale.Max(), scale.Step()), 0);
        EXPECT_LE(scale.Ticks(), PlotScale::kMaxSteps + 1);
        EXPECT_GE(scale.Ticks(), 2);
    }
    PlotScale speed = PlotScale::For(0, 3099);
    EXPECT_EQ(speed.Min(), -1000);
    EXPECT_EQ(speed.Max(), 4000);
    EXPECT_EQ(speed.Ticks(), 6);
    PlotScale narrow = PlotScale::For(300, 310);
    EXPECT_EQ(narrow.Step(), 5);
}

}  // namespace
