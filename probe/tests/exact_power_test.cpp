#include "exact_power.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "reference/exact_power_reference.h"
#include "reference/reference_sample.h"

namespace {

using probe::ExactPower;
using probe::ExactPowerSequence;
namespace ref = probe_reference;

std::uint64_t Bits(double x) {
    return std::bit_cast<std::uint64_t>(x);
}
double FromBits(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Every reading of the position table with every power it uses.
TEST(ExactPowerReference, EveryIntegerReadingAndPowerUpTo15) {
    for (unsigned k = 1; k <= 15; ++k) {
        ref::Fnv1a64 digest;
        for (int x = -32768; x <= 32767; ++x)
            digest.AddDouble(ExactPower(x, k));
        EXPECT_EQ(digest.value(), ref::kIntegerDigests[k - 1]) << "k = " << k;
    }
}

TEST(ExactPowerReference, Float32Sample) {
    ref::Fnv1a64 digests[16];
    ref::SplitMix64 rng(ref::kFloat32Seed);
    for (int i = 0; i < ref::kFloat32Count; ++i) {
        double x = std::bit_cast<float>(ref::Float32Sample(rng));
        for (unsigned k = 0; k <= 15; ++k)
            digests[k].AddDouble(ExactPower(x, k));
    }
    for (unsigned k = 0; k <= 15; ++k) {
        EXPECT_EQ(digests[k].value(), ref::kFloat32Digests[k]) << "k = " << k;
    }
}

// Full 53-bit mantissas: the two-limb multiplier.
TEST(ExactPowerReference, DoubleSample) {
    ref::Fnv1a64 digests[16];
    ref::SplitMix64 rng(ref::kDoubleSeed);
    for (int i = 0; i < ref::kDoubleCount; ++i) {
        double x = FromBits(ref::DoubleSample(rng));
        for (unsigned k = 0; k <= 15; ++k)
            digests[k].AddDouble(ExactPower(x, k));
    }
    for (unsigned k = 0; k <= 15; ++k) {
        EXPECT_EQ(digests[k].value(), ref::kDoubleDigests[k]) << "k = " << k;
    }
}

// Powers 16..64 through the sequence, which must agree with single calls.
TEST(ExactPowerReference, HighPowersThroughTheSequence) {
    constexpr unsigned kCount = ref::kHighLastK - ref::kHighFirstK + 1;
    ref::Fnv1a64 digests[kCount];
    ref::SplitMix64 rng(ref::kHighSeed);
    for (int i = 0; i < ref::kHighCount; ++i) {
        double x = FromBits(ref::DoubleSample(rng));
        ExactPowerSequence powers(x);
        for (unsigned k = 1; k <= ref::kHighLastK; ++k) {
            double p = powers.Next();
            if (k >= ref::kHighFirstK)
                digests[k - ref::kHighFirstK].AddDouble(p);
            if (i % 16 == 0) {
                double single = ExactPower(x, k);
                ASSERT_EQ(std::isnan(p) ? 0 : Bits(p), std::isnan(single) ? 0 : Bits(single))
                    << x << "^" << k;
            }
        }
    }
    for (unsigned i = 0; i < kCount; ++i) {
        EXPECT_EQ(digests[i].value(), ref::kHighDigests[i]) << "k = " << i + ref::kHighFirstK;
    }
}

TEST(ExactPowerSequence, AgreesBitForBitWithSingleCalls) {
    ref::SplitMix64 rng(ref::kFloat32Seed);
    for (int i = 0; i < 4000; ++i) {
        double x = std::bit_cast<float>(ref::Float32Sample(rng));
        ExactPowerSequence powers(x);
        EXPECT_EQ(Bits(powers.Current()), Bits(1.0));
        for (unsigned k = 1; k <= 15; ++k) {
            double p = powers.Next();
            double single = ExactPower(x, k);
            if (std::isnan(single)) {
                EXPECT_EQ(Bits(p), Bits(single));
            } else {
                ASSERT_EQ(Bits(p), Bits(single)) << x << "^" << k;
            }
        }
    }
}

// The fast powers of the table readings against the exact ones: all of them up to
// the 15th power, every 61st reading up to the 64th.
TEST(SmallIntegerPowers, AreTheExactPowers) {
    double powers[probe::kMaxExactPowerExponent + 1];
    for (std::uint32_t x = 1; x <= probe::kMaxSmallIntegerBase; ++x) {
        unsigned count = x % 61 == 0 || x > 32700 ? probe::kMaxExactPowerExponent : 15;
        probe::SmallIntegerPowers(x, count, powers);
        ExactPowerSequence exact(x);
        for (unsigned k = 1; k <= count; ++k) {
            ASSERT_EQ(Bits(powers[k]), Bits(exact.Next())) << x << "^" << k;
        }
    }
}

struct Case {
    double x;
    unsigned k;
    std::uint64_t expected;  // from exact rational arithmetic
};

TEST(ExactPower, RoundsTiesToEvenAndWhereGlibcPowIsOff) {
    const Case cases[] = {
        {3.0, 34, 0x434D9FE779881944u},  // 3^34 has 54 bits: a tie
        {-3.0, 35, 0xC36637ED9B2612F3u},     {3.0, 64, 0x4645AB6A57C7BC99u},
        {-32744.0, 14, 0x4D0FAC66135F884Cu},  // glibc pow: ...884B
        {-32614.0, 5, 0xC49F414D08045E30u},   // glibc pow: ...5E2F
        {-32576.0, 6, 0x458EE42F99784F6Cu},   // glibc pow: ...4F6D
        {-32301.0, 13, 0xCC1A8D7C9C25BB80u},  // glibc pow: ...BB81
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bits(ExactPower(c.x, c.k)), c.expected) << c.x << "^" << c.k;
}

TEST(ExactPower, OverflowsToInfinityAndUnderflowsToSubnormals) {
    const double max = std::numeric_limits<double>::max();
    const double minSubnormal = std::numeric_limits<double>::denorm_min();
    const Case cases[] = {
        {std::ldexp(1.0, 512), 2, 0x7FF0000000000000u},
        {-std::ldexp(1.0, 512), 3, 0xFFF0000000000000u},
        {max, 1, 0x7FEFFFFFFFFFFFFFu},
        {max, 2, 0x7FF0000000000000u},
        {std::nextafter(std::ldexp(1.0, 512), 0.0), 2, 0x7FEFFFFFFFFFFFFEu},
        {3 * std::ldexp(1.0, -215), 5, 0x7Au},  // 121.5 units of the last place: tie to 122
        {-3 * std::ldexp(1.0, -215), 5, 0x800000000000007Au},
        {std::ldexp(1.0, -215), 5, 0x0u},  // half the smallest subnormal: tie to zero
        {std::nextafter(std::ldexp(1.0, -215), 1.0), 5, 0x1u},
        {-std::ldexp(1.0, -215), 5, 0x8000000000000000u},
        {minSubnormal, 1, 0x1u},
        {minSubnormal, 2, 0x0u},
        {1.5 * std::ldexp(1.0, -537), 2, 0x2u},  // 2.25 units: down to 2
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bits(ExactPower(c.x, c.k)), c.expected) << c.x << "^" << c.k;
}

TEST(ExactPower, SpecialValuesFollowPow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double x : {nan, kInfinity, -kInfinity, 0.0, -0.0, 2.5, -1e300}) {
        EXPECT_EQ(Bits(ExactPower(x, 0)), Bits(1.0)) << x;
    }
    EXPECT_TRUE(std::isnan(ExactPower(nan, 3)));
    EXPECT_TRUE(std::isnan(ExactPower(std::numeric_limits<double>::signaling_NaN(), 2)));
    EXPECT_EQ(Bits(ExactPower(-0.0, 3)), Bits(-0.0));
    EXPECT_EQ(Bits(ExactPower(-0.0, 2)), Bits(0.0));
    EXPECT_EQ(Bits(ExactPower(0.0, 5)), Bits(0.0));
    EXPECT_EQ(ExactPower(-kInfinity, 3), -kInfinity);
    EXPECT_EQ(ExactPower(-kInfinity, 2), kInfinity);
    EXPECT_EQ(ExactPower(kInfinity, 1), kInfinity);
    EXPECT_EQ(ExactPower(-1.0, 7), -1.0);
    EXPECT_EQ(ExactPower(-2.5, 1), -2.5);
}

// Beyond kMaxExactPowerExponent: exact where the digits of m do not matter (the bit
// lengths settle overflow and underflow), NaN otherwise.
TEST(ExactPower, LargeExponents) {
    EXPECT_EQ(ExactPower(2.0, 1023), std::ldexp(1.0, 1023));
    EXPECT_EQ(ExactPower(2.0, 1024), kInfinity);
    EXPECT_EQ(ExactPower(-0.5, 1073), -std::ldexp(1.0, -1073));
    EXPECT_EQ(Bits(ExactPower(0.5, 1075)), Bits(0.0));  // a tie, to zero
    EXPECT_EQ(ExactPower(-1.0, 4000000001u), -1.0);
    EXPECT_EQ(ExactPower(5.0, 600), kInfinity);
    EXPECT_EQ(ExactPower(-5.0, 601), -kInfinity);
    EXPECT_EQ(Bits(ExactPower(-0.3, 1075)), Bits(-0.0));
    EXPECT_TRUE(std::isnan(ExactPower(1.5, 2000)));
    EXPECT_TRUE(std::isnan(ExactPower(1.0000001, 100)));
    EXPECT_EQ(ExactPower(1e300, 64), kInfinity);
}

}  // namespace
