// Blocks that cannot be allocated or locked, and an image that is not there: each
// a clean refusal after which the next init works.
#include <gtest/gtest.h>

#include "block_memory_fake.h"
#include "decoder_test_support.h"

namespace probe_test::decoding {
namespace {

ImageContents SpecOfType(int type) {
    ImageContents contents;
    contents.type = type;
    return contents;
}

class DecoderMemory : public testing::TestWithParam<int> {
  protected:
    int Type() const { return GetParam(); }
    // Coefficient blocks and the position table.
    unsigned BlocksPerImage() const { return Type() == 2 ? 2 : 3; }

    void ExpectCleanRefusal(std::uint16_t status, const BlockMemoryFake& memory) {
        EXPECT_EQ(status, ProbeStatusNoMemory);
        EXPECT_EQ(state_->Ready, 0);
        EXPECT_EQ(memory.LiveBlocks(), 0u);
        EXPECT_EQ(memory.HeldLocks(), 0);
        EXPECT_FALSE(memory.Unbalanced());
        EXPECT_EQ(state_->Parameters.PositionCoefficients, 0u);
        EXPECT_EQ(state_->Parameters.ForceCoefficients, 0u);
        EXPECT_EQ(state_->Parameters.PositionTable, 0u);
        EXPECT_EQ(std::vector<float>(state_->ForcePolynomial, state_->ForcePolynomial + 16),
                  std::vector<float>(16, 0.0f));
        EXPECT_EQ(0, std::memcmp(state_->StoredImage, image_.data(), image_.size()));
    }
    void ExpectNextInitWorks(const BlockMemoryFake& memory) {
        ASSERT_EQ(Decode(Type(), *state_, image_), ProbeStatusOk);
        EXPECT_EQ(state_->Ready, 1);
        EXPECT_EQ(memory.LiveBlocks(), BlocksPerImage());
        EXPECT_EQ(memory.HeldLocks(), 0);
        ProbeParameters expected = ExpectedRecord(spec_);
        CopyHandles(state_->Parameters, expected);
        ExpectSameRecord(state_->Parameters, expected);
    }

    ImageContents spec_ = SpecOfType(GetParam());
    Image image_ = BuildImage(spec_);
    FreshState state_;
};

// Fails the first, second, ... allocation until one init goes through.
TEST_P(DecoderMemory, FailedAllocationFreesEverything) {
    BlockMemoryFake memory;
    unsigned failing = 1;
    for (;; ++failing) {
        SCOPED_TRACE(failing);
        ASSERT_LE(failing, BlocksPerImage() + 1);
        ASSERT_EQ(Decode(Type(), *state_, image_), ProbeStatusOk);  // blocks to free first
        memory.FailAllocation(failing);
        std::uint16_t status = Decode(Type(), *state_, image_);
        memory.FailAllocation(0);
        if (status == ProbeStatusOk)
            break;
        ExpectCleanRefusal(status, memory);
        ExpectNextInitWorks(memory);
    }
    EXPECT_EQ(failing, BlocksPerImage() + 1);
}

TEST_P(DecoderMemory, FailedLockFreesEverything) {
    BlockMemoryFake memory;
    unsigned failing = 1;
    for (;; ++failing) {
        SCOPED_TRACE(failing);
        ASSERT_LE(failing, BlocksPerImage() + 1);
        memory.FailLock(failing);
        std::uint16_t status = Decode(Type(), *state_, image_);
        memory.FailLock(0);
        if (status == ProbeStatusOk)
            break;
        ExpectCleanRefusal(status, memory);
        ExpectNextInitWorks(memory);
    }
    EXPECT_EQ(failing, BlocksPerImage() + 1);
}

// A handle wider than the record's 32 bits is given back, never truncated.
TEST_P(DecoderMemory, WideHandleIsRefusedAndFreed) {
    if (!BlockMemoryFake::kCanWidenHandles)
        GTEST_SKIP() << "handles are 32-bit here";
    BlockMemoryFake memory;
    for (unsigned widened = 1; widened <= BlocksPerImage(); ++widened) {
        SCOPED_TRACE(widened);
        memory.WidenHandle(widened);
        ExpectCleanRefusal(Decode(Type(), *state_, image_), memory);
        EXPECT_EQ(memory.LiveWideHandles(), 0u);
        memory.WidenHandle(0);
        ExpectNextInitWorks(memory);
    }
}

TEST_P(DecoderMemory, MissingImageIsRefusedAndDropsTheEarlierOne) {
    BlockMemoryFake memory;
    ASSERT_EQ(Decode(Type(), *state_, image_), ProbeStatusOk);
    EXPECT_NE(probe::DecodeImage(probe::TraitsFor(Type()), *state_, nullptr), ProbeStatusOk);
    EXPECT_EQ(state_->Ready, 0);
    EXPECT_EQ(memory.LiveBlocks(), 0u);
    EXPECT_EQ(state_->Parameters.PositionTable, 0u);
    EXPECT_EQ(0, std::memcmp(state_->StoredImage, Image{}.data(), sizeof state_->StoredImage));
    ExpectNextInitWorks(memory);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, DecoderMemory, testing::ValuesIn(kProbeTypes), TypeName);

}  // namespace
}  // namespace probe_test::decoding
