// The plot's pure pieces: per-column thinning, turns of a curve, tick labels and
// pixel numbers, which must read the same on every build.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "axis_scale.h"
#include "column_thinning.h"
#include "svg_numbers.h"
#include "value_runs.h"

namespace {

void ExpectPoint(const ColumnPoint& point, std::size_t column, float value) {
    EXPECT_EQ(point.column, column);
    EXPECT_EQ(point.value, value);
}

TEST(ColumnThinning, KeepsEachColumnsExtremesInOrderAndBreaksAtNotFinite) {
    // Ten readings per column: a peak at the fourth, a dip at the eighth.
    std::vector<float> raw;
    std::vector<float> values;
    for (int i = 0; i < 100; ++i) {
        raw.push_back(static_cast<float>(i));
        values.push_back(i % 10 == 3 ? 100.0f + i : i % 10 == 7 ? -static_cast<float>(i) : 0.0f);
    }
    values[55] = NAN;
    const auto lines = ThinToColumns(raw, values, 0, 100, 10);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].size(), 12u);
    ExpectPoint(lines[0][0], 0, 103);
    ExpectPoint(lines[0][1], 0, -7);
    ExpectPoint(lines[0][10], 5, 0);  // column 5 up to the NaN
    ExpectPoint(lines[0][11], 5, 153);
    ExpectPoint(lines[1][0], 5, 0);  // and after it
    ExpectPoint(lines[1][1], 5, -57);
    ExpectPoint(lines[1].back(), 9, -97);
    EXPECT_EQ(ColumnOf(100, 0, 100, 10), 9u);
    EXPECT_EQ(ColumnOf(-1, 0, 100, 10), 0u);
}

TEST(TurnBackRuns, RunAgainstTheOverallDirectionThroughFlatAndNotFinite) {
    const std::vector<float> bump = {1, 2, 3, 2, 1, NAN, 2, 3, 4};
    const auto runs = TurnBackRuns(bump);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].first, 2u);
    EXPECT_EQ(runs[0].last, 4u);

    const std::vector<float> falling = {9, 5, 6, 6, 7, 1};
    const auto turns = TurnBackRuns(falling);
    ASSERT_EQ(turns.size(), 1u);
    EXPECT_EQ(turns[0].first, 1u);
    EXPECT_EQ(turns[0].last, 4u);
    EXPECT_TRUE(TurnBackRuns(std::vector<float>{1, 1, 2, 2, 3}).empty());
}

TEST(SvgNumbers, TickLabelsAndPixelsAreExactText) {
    EXPECT_EQ(TickLabel(0, 5), "0");
    EXPECT_EQ(TickLabel(-3, 4), "-30000");
    EXPECT_EQ(TickLabel(25, -2), "0.25");
    EXPECT_EQ(TickLabel(-75, -1), "-7.5");
    EXPECT_EQ(TickLabel(5, -4), "0.0005");
    EXPECT_EQ(TickLabel(2, -6), "2e-6");
    EXPECT_EQ(TickLabel(150, 12), "1.5e14");
    EXPECT_EQ(PixelText(12.25), "12.3");
    EXPECT_EQ(PixelText(-0.04), "0");
    EXPECT_EQ(PixelText(-3.0), "-3");

    std::vector<std::string> labels;
    for (const Tick& tick : ExactScale(-32768, 32767, 8).ticks)
        labels.push_back(tick.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"-30000", "-20000", "-10000", "0", "10000", "20000",
                                                "30000"}));
    const AxisScale flat = PaddedScale(5, 5, 6);
    EXPECT_LT(flat.low, 5);
    EXPECT_GT(flat.high, 5);
    EXPECT_FALSE(flat.ticks.empty());
}

}  // namespace
