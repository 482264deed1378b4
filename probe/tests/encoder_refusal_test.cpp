// The checks of ProbeGetParameters and ProbeSetParameters, their order, and what
// a refusal leaves in the caller's record or image.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "block_memory_fake.h"
#include "encoder_fixture.h"

namespace encoder_test {
namespace {

constexpr std::uint8_t kUntouched = 0xA5;

Image Untouched() {
    Image image;
    image.fill(kUntouched);
    return image;
}

bool RecordUntouched(const ProbeParameters& record, std::int32_t size) {
    ProbeParameters expected;
    std::memset(&expected, kUntouched, sizeof expected);
    expected.Size = size;
    return std::memcmp(&record, &expected, sizeof record) == 0;
}

TEST(EncoderGetParameters, ReadyIsTestedBeforeSize) {
    Library library(6);
    for (std::int32_t size : {std::int32_t{PROBE_PARAMETERS_SIZE}, 0, 1187}) {
        ProbeParameters record;
        std::memset(&record, kUntouched, sizeof record);
        record.Size = size;
        EXPECT_EQ(probe::GetParameters(library.state(), &record), ProbeStatusNotReady);
        EXPECT_TRUE(RecordUntouched(record, size));
    }
    // A refused image leaves the library not ready as well.
    Image damaged = SoundImage(6);
    damaged[50] ^= 1;
    ASSERT_EQ(library.Init(damaged), ProbeStatusBadChecksum);
    ProbeParameters record;
    std::memset(&record, kUntouched, sizeof record);
    record.Size = PROBE_PARAMETERS_SIZE;
    EXPECT_EQ(probe::GetParameters(library.state(), &record), ProbeStatusNotReady);
}

TEST(EncoderGetParameters, CopiesTheWholeRecordOnlyWithTheRightSize) {
    Library library(3);
    ASSERT_EQ(library.Init(SoundImage(3)), ProbeStatusOk);
    ProbeParameters record;
    std::memset(&record, kUntouched, sizeof record);
    record.Size = 1189;
    EXPECT_EQ(probe::GetParameters(library.state(), &record), ProbeStatusBadSize);
    EXPECT_TRUE(RecordUntouched(record, 1189));

    record.Size = PROBE_PARAMETERS_SIZE;
    EXPECT_EQ(probe::GetParameters(library.state(), &record), ProbeStatusOk);
    EXPECT_EQ(std::memcmp(&record, &library.state().Parameters, sizeof record), 0);
}

TEST(EncoderSetParameters, SizeIsTestedBeforeReadyAndNeitherTouchesTheImage) {
    Library library(6);
    ProbeParameters record{};
    record.Size = 1000;
    for (std::int32_t mode : {0, 1, 2, 0xFFFF}) {
        Image out = Untouched();
        EXPECT_EQ(library.Encode(record, out, mode), ProbeStatusBadSize);
        EXPECT_TRUE(SameImage(Untouched(), out));
    }
    record.Size = PROBE_PARAMETERS_SIZE;
    for (std::int32_t mode : {0, 1, -1, 0xFFFF, 0x10002}) {
        Image out = Untouched();
        EXPECT_EQ(library.Encode(record, out, mode), ProbeStatusNotReady);
        EXPECT_TRUE(SameImage(Untouched(), out));
    }
}

TEST(EncoderSetParameters, TypeThenSerialAreRefusedWithTheStoredImageCopied) {
    for (int type : {2, 3, 6}) {
        SCOPED_TRACE(type);
        Library library(type);
        const Image stored = SoundImage(type);
        ASSERT_EQ(library.Init(stored), ProbeStatusOk);
        const ProbeParameters own = library.Record();
        for (std::int32_t mode : {0, 1, -1, 0xFFFF}) {
            SCOPED_TRACE(mode);
            ProbeParameters record = own;
            record.Type = 7;
            record.Serial += 1;
            Image out = Untouched();
            EXPECT_EQ(library.Encode(record, out, mode), ProbeStatusWrongType);
            EXPECT_TRUE(SameImage(stored, out));

            record.Type = own.Type;
            out = Untouched();
            EXPECT_EQ(library.Encode(record, out, mode), ProbeStatusSerialMismatch);
            EXPECT_TRUE(SameImage(stored, out));
        }
    }
}

// Orders beyond the image are refused after the identity checks and before any
// field is written.
TEST(EncoderSetParameters, OrdersBeyondTheImageAreRefused) {
    struct Case {
        int type;
        std::int32_t mode;
        std::uint8_t positionOrder, forceOrder;
    };
    for (const Case& c :
         {Case{2, 0, 16, 0}, Case{2, ProbeModeCalibration, 255, 0}, Case{3, ProbeModeUsage, 16, 0},
          Case{6, ProbeModeManufacture, 16, 0}, Case{3, ProbeModeCalibration, 1, 16},
          Case{6, ProbeModeCalibration, 12, 12}, Case{6, ProbeModeCalibration, 15, 9}}) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << " mode " << c.mode << " orders "
                                          << int{c.positionOrder} << ", " << int{c.forceOrder});
        Library library(c.type);
        const Image stored = SoundImage(c.type);
        ASSERT_EQ(library.Init(stored), ProbeStatusOk);
        ProbeParameters record = library.Record();
        record.PositionOrder = c.positionOrder;
        record.ForceOrder = c.forceOrder;
        Image out = Untouched();
        EXPECT_EQ(library.Encode(record, out, c.mode), ProbeStatusCannotEncode);
        EXPECT_TRUE(SameImage(stored, out));

        record.Serial += 1;  // the identity checks come first
        EXPECT_EQ(library.Encode(record, out, c.mode), c.mode == ProbeModeManufacture
                                                           ? ProbeStatusCannotEncode
                                                           : ProbeStatusSerialMismatch);
    }
}

TEST(EncoderSetParameters, ForceOrderMattersOnlyInCalibrationWithAForceLaw) {
    for (int type : {2, 6}) {
        Library library(type);
        ASSERT_EQ(library.Init(SoundImage(type)), ProbeStatusOk);
        ProbeParameters record = library.Record();
        record.ForceOrder = 200;
        Image out = Untouched();
        EXPECT_EQ(library.Encode(record, out, ProbeModeUsage), ProbeStatusOk);
        EXPECT_EQ(library.Encode(record, out, ProbeModeCalibration),
                  type == 2 ? ProbeStatusOk : ProbeStatusCannotEncode);
    }
}

// Movable memory that counts locks and can refuse the Nth one.
class EncoderLocks : public ::testing::Test {
  protected:
    probe_test::BlockMemoryFake memory_;
};

TEST_F(EncoderLocks, ABlockThatCannotBeLockedIsRefusedWithNothingLeftLocked) {
    for (int type : {2, 6}) {
        Library library(type);
        const Image stored = SoundImage(type);
        ASSERT_EQ(library.Init(stored), ProbeStatusOk);
        const ProbeParameters record = library.Record();
        const unsigned blocks = type == 2 ? 1 : 2;
        for (unsigned failAt = 1; failAt <= blocks; ++failAt) {
            SCOPED_TRACE(::testing::Message() << "type " << type << " lock " << failAt);
            memory_.FailLock(failAt);
            Image out = Untouched();
            EXPECT_EQ(library.Encode(record, out, ProbeModeCalibration), ProbeStatusCannotEncode);
            EXPECT_TRUE(SameImage(stored, out));
            EXPECT_EQ(memory_.OutstandingLocks(), 0);
        }
        memory_.FailLock(0);
        const unsigned callsBefore = memory_.LockCalls();
        Image out = Untouched();
        EXPECT_EQ(library.Encode(record, out, ProbeModeCalibration), ProbeStatusOk);
        EXPECT_EQ(memory_.LockCalls() - callsBefore, blocks);
        EXPECT_EQ(memory_.OutstandingLocks(), 0);
        EXPECT_EQ(library.Encode(record, out, ProbeModeUsage), ProbeStatusOk);
        // No block is touched outside calibration.
        EXPECT_EQ(memory_.LockCalls() - callsBefore, blocks);
    }
}

TEST_F(EncoderLocks, MissingOrShortBlocksAreRefusedWithoutALock) {
    Library library(6);
    const Image stored = SoundImage(6);
    ASSERT_EQ(library.Init(stored), ProbeStatusOk);
    const ProbeParameters own = library.Record();

    ProbeParameters record = own;
    record.ForceCoefficients = 0;
    Image out = Untouched();
    EXPECT_EQ(library.Encode(record, out, ProbeModeCalibration), ProbeStatusCannotEncode);
    EXPECT_TRUE(SameImage(stored, out));

    record = own;
    record.PositionOrder = 7;  // the library's block holds two values, not eight
    out = Untouched();
    EXPECT_EQ(library.Encode(record, out, ProbeModeCalibration), ProbeStatusCannotEncode);
    EXPECT_TRUE(SameImage(stored, out));
    EXPECT_EQ(memory_.OutstandingLocks(), 0);
}

TEST(EncoderSetParameters, NoOutputImageIsRefused) {
    Library library(6);
    ASSERT_EQ(library.Init(SoundImage(6)), ProbeStatusOk);
    EXPECT_EQ(probe::SetParameters(probe::kProbeType6, library.state(), library.Record(), nullptr,
                                   ProbeModeUsage),
              ProbeStatusCannotEncode);
}

}  // namespace
}  // namespace encoder_test
