#include "polynomial.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "exact_power.h"
#include "reference/position_table_reference.h"
#include "reference/reference_sample.h"

namespace {

using probe::BuildPositionTable;
using probe::EvaluatePolynomial;
using probe::kPositionTableSize;
using probe::kPositionTableZero;
namespace ref = probe_reference;

std::vector<float> Table(const float* coefficients, std::uint16_t order) {
    std::vector<float> table(kPositionTableSize);
    BuildPositionTable(coefficients, order, table.data());
    return table;
}

// The table by its definition, one EvaluatePolynomial per entry.
std::vector<float> DefinedTable(const float* coefficients, std::uint16_t order) {
    std::vector<float> table(kPositionTableSize);
    for (int i = 0; i < kPositionTableSize; ++i) {
        float value = EvaluatePolynomial(i - kPositionTableZero, coefficients, order);
        table[i] = static_cast<float>(static_cast<double>(value) * 0.03);
    }
    return table;
}

TEST(PositionTable, MatchesTheExactReference) {
    for (const ref::TableReference& r : ref::kTableReferences) {
        float coefficients[16];
        for (int k = 0; k <= r.order; ++k)
            coefficients[k] = std::bit_cast<float>(r.coefficients[k]);
        std::vector<float> table = Table(coefficients, static_cast<std::uint16_t>(r.order));
        ref::Fnv1a64 digest;
        for (float entry : table)
            digest.AddFloat(entry);
        EXPECT_EQ(digest.value(), r.digest) << r.name;
    }
}

TEST(PositionTable, ReadingZeroAndOrderZeroAreC0Scaled) {
    const float c[] = {-2.75f, 1e-3f, 5e-9f};
    float expected = static_cast<float>(static_cast<double>(c[0]) * 0.03);
    EXPECT_EQ(Table(c, 2)[kPositionTableZero], expected);
    for (float entry : Table(c, 0))
        ASSERT_EQ(entry, expected);
}

// Coefficients of every kind, NaNs with payloads and infinities included: the
// fast table must give the defined bits, signed zeros included. Which payload a
// sum of two NaNs keeps depends on the compiler's operand order, so NaNs only
// need to be NaNs.
float AnyCoefficient(ref::SplitMix64& rng, int k) {
    std::uint64_t b = rng.Next();
    std::uint32_t sign = static_cast<std::uint32_t>(b >> 63) << 31;
    switch (b % 16) {
        case 0:
            return std::bit_cast<float>(sign | 0x7FC00000u |
                                        static_cast<std::uint32_t>(b >> 8 & 0xFFFF));
        case 1:
            return std::bit_cast<float>(sign | 0x7F800000u);
        case 2:
            return std::bit_cast<float>(sign);
        case 3:
            return std::bit_cast<float>(sign | static_cast<std::uint32_t>(b >> 8 & 0x7FFFFF));
        default: {
            float mantissa = 1.0f + static_cast<float>(b >> 40 & 0xFFFF) / 65536.0f;
            float value =
                std::ldexp(mantissa, std::max(-9 * k + static_cast<int>(b >> 32 & 7) - 3, -140));
            return sign != 0 ? -value : value;
        }
    }
}

TEST(PositionTable, FastTableIsBitForBitTheDefinedOne) {
    ref::SplitMix64 rng(0xF0057AB1E);
    const std::uint16_t orders[] = {0, 1, 2, 5, 8, 15, 15, 15, 15, 24};
    for (std::uint16_t order : orders) {
        std::vector<float> c(order + 1);
        for (int k = 0; k <= order; ++k)
            c[k] = AnyCoefficient(rng, k);
        std::vector<float> fast = Table(c.data(), order);
        std::vector<float> defined = DefinedTable(c.data(), order);
        for (int i = 0; i < kPositionTableSize; ++i) {
            if (std::isnan(defined[i]) && std::isnan(fast[i]))
                continue;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(fast[i]),
                      std::bit_cast<std::uint32_t>(defined[i]))
                << "order " << order << ", reading " << i - kPositionTableZero;
        }
    }
}

TEST(PositionTable, OrdersBeyondTheExactPowersFollowTheDefinition) {
    std::vector<float> c(70, 0.0f);
    c[0] = 1.0f;
    c[69] = 1.0f;  // x^69 is exact only for x = 0, +-1 and powers of two
    std::vector<float> table = Table(c.data(), 69);
    EXPECT_EQ(table[kPositionTableZero], static_cast<float>(0.03));
    EXPECT_EQ(table[kPositionTableZero + 1], static_cast<float>(2 * 0.03));
    EXPECT_EQ(table[kPositionTableZero - 1], 0.0f);
    EXPECT_EQ(table[kPositionTableZero + 2],
              static_cast<float>(static_cast<double>(std::ldexp(1.0f, 69)) * 0.03));
    EXPECT_TRUE(std::isnan(table[kPositionTableZero + 3]));
}

TEST(EvaluatePolynomial, AddsLowestPowerFirst) {
    // 1 + 2^-53 rounds back to 1 before -1 is added; highest first (or Horner)
    // would keep 2^-53.
    const float c[] = {1.0f, std::ldexp(1.0f, -53), -1.0f};
    EXPECT_EQ(EvaluatePolynomial(1.0, c, 2), 0.0f);
    EXPECT_EQ(EvaluatePolynomial(-1.0, c, 2), -std::ldexp(1.0f, -53));
}

TEST(EvaluatePolynomial, SumsInDoubleAndRoundsOnce) {
    // c0 + c1 x is exact in double and lies just above a float32 tie.
    const float c[] = {1.0f, std::ldexp(1.0f, -24)};
    EXPECT_EQ(EvaluatePolynomial(1.0 + std::ldexp(1.0, -28), c, 1), 1.0f + std::ldexp(1.0f, -23));
    EXPECT_EQ(EvaluatePolynomial(1.0, c, 1), 1.0f);  // the tie itself, to even
}

TEST(EvaluatePolynomial, UsesCorrectlyRoundedPowers) {
    // 3^34 is a tie between two doubles; pow may land on either side.
    std::vector<float> c(35, 0.0f);
    c[34] = 1.0f;
    c[0] = -16677181699666568.0f;
    double exact = probe::ExactPower(3.0, 34);
    EXPECT_EQ(EvaluatePolynomial(3.0, c.data(), 34),
              static_cast<float>(static_cast<double>(c[0]) + exact));
}

TEST(EvaluatePolynomial, OrderZeroAndSpecialArguments) {
    const float c[] = {-0.0f, 2.0f};
    EXPECT_EQ(std::bit_cast<std::uint32_t>(EvaluatePolynomial(5.0, c, 0)), 0x80000000u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(EvaluatePolynomial(0.0, c, 1)), 0u);  // -0 + +0
    EXPECT_EQ(EvaluatePolynomial(std::numeric_limits<double>::quiet_NaN(), c, 0), -0.0f);
    EXPECT_TRUE(std::isnan(EvaluatePolynomial(std::numeric_limits<double>::quiet_NaN(), c, 1)));
    EXPECT_EQ(EvaluatePolynomial(1e300, c, 1), std::numeric_limits<float>::infinity());
}

}  // namespace
