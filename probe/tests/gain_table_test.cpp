#include "gain_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "conversions.h"
#include "reference/gain_table_bits.h"

namespace {

using probe::GainFactor;

std::uint32_t Bits(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

TEST(GainTable, EveryFactorMatchesTheReferenceBits) {
    for (unsigned gain = 0; gain < probe::kGainCount; ++gain) {
        EXPECT_EQ(Bits(GainFactor(static_cast<std::uint8_t>(gain))),
                  gain_reference::kFactorBits[gain])
            << "gain " << gain;
    }
}

TEST(GainTable, WholeDecadesAreExact) {
    EXPECT_EQ(GainFactor(52), 1.0f);
    EXPECT_EQ(GainFactor(72), 10.0f);
    EXPECT_EQ(GainFactor(92), 100.0f);
    EXPECT_EQ(GainFactor(252), 1e10f);
    EXPECT_EQ(GainFactor(32), 0.100000001f);
    EXPECT_EQ(GainFactor(12), 0.00999999978f);
}

// A check of the table that shares nothing with its generator: the platform pow
// may miss by an ulp of double, which can move the float by one step at most.
TEST(GainTable, WithinOneFloatStepOfThePlatformPow) {
    for (int gain = 0; gain < static_cast<int>(probe::kGainCount); ++gain) {
        const auto approximate = static_cast<float>(std::pow(10.0, (gain - 52.0) / 20.0));
        const float factor = GainFactor(static_cast<std::uint8_t>(gain));
        EXPECT_LE(std::abs(static_cast<std::int64_t>(Bits(factor)) - Bits(approximate)), 1)
            << "gain " << gain;
        if (gain > 0) {
            EXPECT_GT(factor, GainFactor(static_cast<std::uint8_t>(gain - 1)));
        }
    }
}

}  // namespace
