#include "conversions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "block_memory.h"
#include "block_memory_fake.h"
#include "loaded_probe.h"
#include "polynomial.h"

namespace {

using probe::GetForce;
using probe::GetPosition;
using probe::GetPosition2;
using probe::GetPression;
using probe_test::BlockMemoryFake;
using probe_test::ImageContents;
using probe_test::LoadedProbe;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kUntouched = -12345.0f;
constexpr int kForceLawTypes[] = {3, 6};

float Force(const LoadedProbe& probe, float raw) {
    float result = kUntouched;
    EXPECT_EQ(GetForce(probe.traits, probe.state, raw, &result), 0);
    return result;
}

float Pression(const LoadedProbe& probe, float raw) {
    float result = kUntouched;
    EXPECT_EQ(GetPression(probe.traits, probe.state, raw, &result), 0);
    return result;
}

float Position(const LoadedProbe& probe, float raw) {
    float result = kUntouched;
    EXPECT_EQ(GetPosition(probe.state, raw, &result), 0);
    return result;
}

ImageContents LinearLaw(int type, double x0, double k) {
    ImageContents contents;
    contents.type = type;
    contents.force.x0 = x0;
    contents.force.k = k;
    return contents;
}

// Thresholds 10 and 1, forces 50 and f2 beyond them, 1 + 2x + 3x^2 in between.
ImageContents Thresholds(int type, double f2 = 0.0) {
    ImageContents contents;
    contents.type = type;
    contents.force.x1 = 10.0;
    contents.force.f1 = 50.0;
    contents.force.x2 = 1.0;
    contents.force.f2 = f2;
    contents.force.polynomial = {1.0f, 2.0f, 3.0f};
    return contents;
}

TEST(Force, LinearLawWhenTheImageCarriesNoThresholds) {
    for (int type : kForceLawTypes) {
        SCOPED_TRACE(type);
        LoadedProbe probe(LinearLaw(type, 0.5, 2.0));
        ASSERT_EQ(probe.status, 0);
        EXPECT_EQ(Force(probe, 1.5f), 2.0f);
        EXPECT_EQ(Force(probe, 0.5f), 0.0f);
        EXPECT_EQ(Force(probe, 0.0f), -1.0f);  // not clamped
    }
}

TEST(Force, LinearLawSubtractsAndMultipliesInDouble) {
    // In float arithmetic (1.1f - 0.33f) * 2.3f gives 1.77099991.
    LoadedProbe probe(LinearLaw(3, 0.33, 2.3));
    EXPECT_EQ(Force(probe, 1.1f), 1.77100003f);
}

TEST(Force, ThresholdsAndPolynomial) {
    for (int type : kForceLawTypes) {
        SCOPED_TRACE(type);
        LoadedProbe probe(Thresholds(type));
        ASSERT_EQ(probe.status, 0);
        EXPECT_EQ(Force(probe, 10.0f), 50.0f);
        EXPECT_EQ(Force(probe, 1e6f), 50.0f);
        EXPECT_EQ(Force(probe, 2.0f), 17.0f);
        EXPECT_EQ(Force(probe, 1.0f), 6.0f);  // the lower threshold belongs to the polynomial
        EXPECT_EQ(Force(probe, 0.999f), 0.0f);
        EXPECT_EQ(Force(probe, kNaN), 0.0f);
    }
}

TEST(Force, BelowTheLowerThresholdAndNaNGiveF2) {
    LoadedProbe probe(Thresholds(6, -5.0));
    EXPECT_EQ(Force(probe, 0.999f), -5.0f);
    EXPECT_EQ(Force(probe, -1e30f), -5.0f);
    EXPECT_EQ(Force(probe, kNaN), -5.0f);
    EXPECT_EQ(Force(probe, 9.0f), 1.0f + 18.0f + 243.0f);
}

TEST(Force, CrossedThresholdsNeverReachThePolynomial) {
    ImageContents contents = Thresholds(3, -5.0);
    contents.force.x1 = 1.0;
    contents.force.x2 = 10.0;
    LoadedProbe probe(contents);
    EXPECT_EQ(Force(probe, 1.0f), 50.0f);
    EXPECT_EQ(Force(probe, 5.0f), 50.0f);
    EXPECT_EQ(Force(probe, 0.999f), -5.0f);
}

TEST(Force, NaNThresholdIsNeverEqual) {
    // X1 NaN: no linear law although X2 holds no number either; nothing reaches F1.
    ImageContents contents = Thresholds(6, -5.0);
    contents.force.x1 = std::numeric_limits<double>::quiet_NaN();
    LoadedProbe probe(contents);
    ASSERT_EQ(probe.status, 0);
    EXPECT_EQ(Force(probe, 100.0f), 1.0f + 200.0f + 30000.0f);
    EXPECT_EQ(Force(probe, 0.0f), -5.0f);
}

TEST(Force, OrderZeroPolynomialIsItsConstant) {
    ImageContents contents = Thresholds(3);
    contents.force.polynomial = {7.25f};
    LoadedProbe probe(contents);
    for (float raw : {1.0f, 2.5f, 9.999f})
        EXPECT_EQ(Force(probe, raw), 7.25f) << raw;
}

TEST(Force, PolynomialComesFromForcePolynomial) {
    LoadedProbe probe(Thresholds(6));
    probe.state.ForcePolynomial[0] = 100.0f;  // the ForceCoefficients block keeps 1
    EXPECT_EQ(Force(probe, 2.0f), 116.0f);
}

TEST(Force, TypeTwoDividesByRThenMultipliesByF) {
    ImageContents contents;
    contents.type = 2;
    LoadedProbe probe(contents);
    ASSERT_EQ(probe.status, 0);
    EXPECT_EQ(Force(probe, 5.7f), 4.0f);
    EXPECT_EQ(Force(probe, 1.0f), 0.701754391f);
    EXPECT_EQ(Force(probe, 10.0f), 7.01754427f);
    EXPECT_EQ(Force(probe, 0.0f), 0.0f);
}

TEST(Force, TypeTwoHasNoForceLaw) {
    ImageContents contents;
    contents.type = 2;
    LoadedProbe probe(contents);
    probe.state.Parameters.ForceX1 = 1.0f;  // would pick the thresholds in type 3
    EXPECT_EQ(Force(probe, 5.7f), 4.0f);
}

TEST(Pression, DivisorIsDoubleInTypesTwoAndThreeAndFloatInTypeSix) {
    LoadedProbe type6(LinearLaw(6, 0.0, 1.0));
    LoadedProbe type3(LinearLaw(3, 0.0, 1.0));
    ImageContents spec2;
    spec2.type = 2;
    LoadedProbe type2(spec2);
    type2.state.Parameters.RValue = 1.0f;  // force = raw
    type2.state.Parameters.FValue = 1.0f;

    EXPECT_EQ(Pression(type6, 9.81f), 1000.0f);
    EXPECT_EQ(Pression(type3, 9.81f), 1000.00006103515625f);
    EXPECT_EQ(Pression(type2, 9.81f), 1000.00006103515625f);
    for (const LoadedProbe* probe : {&type2, &type3, &type6}) {
        EXPECT_EQ(Pression(*probe, 1.0f), 101.936798f) << int(probe->traits.type);
    }
}

TEST(Pression, GoesThroughTheForceLaw) {
    ImageContents contents;
    contents.type = 2;
    LoadedProbe type2(contents);
    EXPECT_EQ(Pression(type2, 5.7f), 407.747192f);  // force 4.0
    LoadedProbe thresholds(Thresholds(3));
    EXPECT_EQ(Pression(thresholds, 10.0f), 5096.83984f);  // force 50
}

TEST(Position, GainFactorAndMapping) {
    ImageContents contents;  // polynomial 0 + 1x
    contents.gain = 52;
    LoadedProbe unity(contents);
    EXPECT_EQ(Position(unity, 0.0f), -1.79999995f);
    EXPECT_EQ(Position(unity, 1.0f), -568.799988f);  // x = 18960

    contents.gain = 72;
    LoadedProbe ten(contents);
    EXPECT_EQ(probe::GainFactor(72), 10.0f);
    EXPECT_EQ(Position(ten, 0.0f), -18.0f);

    contents.gain = 32;
    LoadedProbe tenth(contents);
    EXPECT_EQ(probe::GainFactor(32), 0.100000001f);
    EXPECT_EQ(Position(tenth, 0.0f), -0.180000007f);
}

TEST(Position, ArgumentIsRoundedToFloatBeforeThePolynomial) {
    // x = 18900 * 2^-21 + 60 lies halfway between two floats and rounds to the even
    // one, 60 + 2362 * 2^-18; its square is exact in double.
    ImageContents contents;
    contents.position = {0.0f, 0.0f, 1.0f};
    LoadedProbe probe(contents);
    const double x = 60.0 + 2362.0 / 262144.0;
    const auto v = static_cast<float>(x * x);
    EXPECT_EQ(Position(probe, 0x1p-21f), static_cast<float>(-static_cast<double>(v) * 0.03));
}

TEST(Position, GainIsUnsigned) {
    ImageContents contents;
    contents.gain = 255;
    contents.position = {1.0f};
    LoadedProbe probe(contents);
    ASSERT_EQ(probe.state.Parameters.Gain, 255);
    EXPECT_EQ(Position(probe, 123.0f), -0.0299999993f);  // order 0: the constant alone
}

TEST(Position2, ReadsTheEntryOfTheSampleUnchanged) {
    ImageContents contents;
    contents.position = {5.0f, 1.0f};
    LoadedProbe probe(contents);
    float result = kUntouched;
    ASSERT_EQ(GetPosition2(probe.state, 0, &result), 0);
    EXPECT_EQ(result, 0.15f);  // 0.03 * c0

    const float marks[] = {-7.5f, 0x1.fffffep127f, 42.0f};
    {
        probe::BlockLock table(probe.state.Parameters.PositionTable);
        ASSERT_NE(table.data(), nullptr);
        table.as<float>()[0] = marks[0];
        table.as<float>()[probe::kPositionTableZero] = marks[1];
        table.as<float>()[probe::kPositionTableSize - 1] = marks[2];
    }
    const std::int16_t samples[] = {-32768, 0, 32767};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(GetPosition2(probe.state, samples[i], &result), 0);
        EXPECT_EQ(result, marks[i]) << samples[i];
    }
    ASSERT_EQ(GetPosition2(probe.state, 1, &result), 0);
    EXPECT_EQ(result, static_cast<float>(6.0 * 0.03));
}

TEST(PositionLocks, EachCallLocksOnceAndUnlocks) {
    LoadedProbe probe{ImageContents{}};
    BlockMemoryFake memory;
    float result = kUntouched;
    EXPECT_EQ(GetPosition(probe.state, 1.0f, &result), 0);
    EXPECT_EQ(GetPosition(probe.state, 1.0f, nullptr), 0);
    EXPECT_EQ(GetPosition2(probe.state, 7, &result), 0);
    EXPECT_EQ(GetPosition2(probe.state, 7, nullptr), 0);
    EXPECT_EQ(memory.Locks(), 4u);
    EXPECT_EQ(memory.Unlocks(), 4u);
    EXPECT_EQ(BlockMemoryFake::PlatformLockCount(probe.state.Parameters.PositionCoefficients), 0u);
    EXPECT_EQ(BlockMemoryFake::PlatformLockCount(probe.state.Parameters.PositionTable), 0u);
}

TEST(PositionLocks, ALockWithoutAddressGivesOneAndWritesNothing) {
    LoadedProbe probe{ImageContents{}};
    BlockMemoryFake memory;
    memory.FailEveryLock(true);
    float result = kUntouched;
    EXPECT_EQ(GetPosition(probe.state, 1.0f, &result), 1);
    EXPECT_EQ(GetPosition(probe.state, 1.0f, nullptr), 1);
    EXPECT_EQ(GetPosition2(probe.state, 0, &result), 1);
    EXPECT_EQ(GetPosition2(probe.state, 0, nullptr), 1);
    EXPECT_EQ(result, kUntouched);
    EXPECT_EQ(memory.RefusedLocks(), 4u);
    EXPECT_EQ(memory.Unlocks(), 0u);
    EXPECT_EQ(BlockMemoryFake::PlatformLockCount(probe.state.Parameters.PositionTable), 0u);

    // Force and pressure need no block.
    EXPECT_EQ(GetForce(probe.traits, probe.state, 1.0f, &result), 0);
    EXPECT_EQ(GetPression(probe.traits, probe.state, 1.0f, &result), 0);
}

TEST(NotReady, EveryConversionAnswersFourAndWritesNothing) {
    ImageContents type3Image;
    type3Image.type = 3;
    LoadedProbe refused(type3Image, 6);  // a type-3 image in the type-6 library
    ASSERT_EQ(refused.status, 1);
    probe::ProbeState never{};
    for (const probe::ProbeState* state : {&never, &refused.state}) {
        float result = kUntouched;
        EXPECT_EQ(GetForce(refused.traits, *state, 1.0f, &result), 4);
        EXPECT_EQ(GetPression(refused.traits, *state, 1.0f, &result), 4);
        EXPECT_EQ(GetPosition(*state, 1.0f, &result), 4);
        EXPECT_EQ(GetPosition2(*state, 0, &result), 4);
        EXPECT_EQ(GetPosition(*state, 1.0f, nullptr), 4);
        EXPECT_EQ(result, kUntouched);
    }
}

TEST(NotReady, AFailedInitAfterAGoodOneTakesTheCalibrationAway) {
    LoadedProbe probe{ImageContents{}};
    ASSERT_EQ(probe.status, 0);
    probe_test::Image damaged = probe_test::BuildImage(ImageContents{});
    damaged[5] ^= 1;  // serial digit: checksum mismatch
    ASSERT_EQ(probe::DecodeImage(probe.traits, probe.state, damaged.data()), 2);
    float result = kUntouched;
    EXPECT_EQ(GetPosition(probe.state, 1.0f, &result), 4);
    EXPECT_EQ(GetForce(probe.traits, probe.state, 1.0f, &result), 4);
    EXPECT_EQ(result, kUntouched);
}

TEST(NullResult, ForceAndPressionComputeNothing) {
    LoadedProbe probe(Thresholds(6));
    EXPECT_EQ(GetForce(probe.traits, probe.state, 2.0f, nullptr), 0);
    EXPECT_EQ(GetPression(probe.traits, probe.state, 2.0f, nullptr), 0);
}

}  // namespace
