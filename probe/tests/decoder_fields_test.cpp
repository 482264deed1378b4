// Accepted images: every field of the record, the presets of each library and the
// coefficient blocks.
#include <gtest/gtest.h>

#include "block_memory_fake.h"
#include "decoder_test_support.h"

namespace probe_test::decoding {
namespace {

class DecoderFields : public testing::TestWithParam<int> {
  protected:
    ImageContents Contents() const {
        ImageContents contents;
        contents.type = GetParam();
        contents.position = {1.5f, -0.25f, 3.0e-6f};
        contents.force.k = 12.345;
        contents.force.x0 = -1.5;
        contents.force.f = 3.75;
        contents.force.r = 5.7;
        contents.force.x1 = 100.25;
        contents.force.f1 = 9.5;
        contents.force.x2 = -80.5;
        contents.force.f2 = -2.25;
        contents.force.polynomial = {0.5f, 2.0f, -0.125f, 1.0e-3f};
        return contents;
    }
    FreshState state_;
};

TEST_P(DecoderFields, SoundImageGivesTheWholeRecord) {
    ImageContents contents = Contents();
    Image image = BuildImage(contents);
    BlockMemoryFake memory;
    ASSERT_EQ(Decode(contents.type, *state_, image), ProbeStatusOk);

    const ProbeParameters& record = state_->Parameters;
    EXPECT_EQ(state_->Ready, 1);
    EXPECT_EQ(0, std::memcmp(state_->StoredImage, image.data(), image.size()));
    ProbeParameters expected = ExpectedRecord(contents);
    CopyHandles(record, expected);
    ExpectSameRecord(record, expected);

    bool forceLaw = contents.type != 2;
    EXPECT_EQ(memory.LiveBlocks(), forceLaw ? 3u : 2u);
    EXPECT_EQ(memory.HeldLocks(), 0);
    EXPECT_FALSE(memory.Unbalanced());
    for (auto handle : {record.PositionCoefficients, record.PositionTable}) {
        EXPECT_EQ(memory.Info(handle).flags, 0x42u);
    }
    EXPECT_EQ(memory.Info(record.PositionCoefficients).bytes, 12u);
    EXPECT_EQ(BlockFloats(record.PositionCoefficients, 3), contents.position);
    EXPECT_EQ(memory.Info(record.PositionTable).bytes, 262144u);

    std::vector<float> polynomial(state_->ForcePolynomial, state_->ForcePolynomial + 16);
    if (forceLaw) {
        EXPECT_EQ(memory.Info(record.ForceCoefficients).flags, 0x42u);
        EXPECT_EQ(memory.Info(record.ForceCoefficients).bytes, 16u);
        EXPECT_EQ(BlockFloats(record.ForceCoefficients, 4), contents.force.polynomial);
        std::vector<float> filled = contents.force.polynomial;
        filled.resize(16, 0.0f);
        EXPECT_EQ(polynomial, filled);
    } else {
        EXPECT_EQ(polynomial, std::vector<float>(16, 0.0f));
    }
}

// Text fields are fixed slices: blanks and bytes after a NUL come across as they are.
TEST_P(DecoderFields, TextFieldsAreCopiedAsSlices) {
    ImageContents contents = Contents();
    contents.oText = "AB";
    Image image = BuildImage(contents);
    ASSERT_EQ(Decode(contents.type, *state_, image), ProbeStatusOk);
    const char expectedO[256] = {'A', 'B', ' ', ' ', ' ', ' ', ' '};
    EXPECT_EQ(0, std::memcmp(state_->Parameters.OText, expectedO, sizeof expectedO));

    PutText(image, 13, "X");
    image[14] = 0;
    image[15] = 'Y';
    PutText(image, 24, "25\x01Z");
    Reseal(image, contents.type);
    ASSERT_EQ(Decode(contents.type, *state_, image), ProbeStatusOk);
    EXPECT_EQ(0, std::memcmp(state_->Parameters.OText, "X\0Y    \0", 8));
    EXPECT_EQ(0, std::memcmp(state_->Parameters.CalibrationDate, "25\x01Z\0", 5));
}

// Integer fields keep their low 8 bits where the record has 8; readings stop at the
// first character that cannot continue a number, wherever that lies.
TEST_P(DecoderFields, NumericReadingsFollowTheText) {
    ImageContents contents = Contents();
    contents.serial = -5;
    contents.gain = 300;
    Image image = BuildImage(contents);
    PutText(image, 37, "  +12x3");
    PutText(image, 64, "FR-1.2e1");  // no NUL: the reading stops at the next field's tag
    Reseal(image, contents.type);
    ASSERT_EQ(Decode(contents.type, *state_, image), ProbeStatusOk);
    EXPECT_EQ(state_->Parameters.Serial, -5);
    EXPECT_EQ(state_->Parameters.Gain, 300 % 256);
    EXPECT_EQ(state_->Parameters.NNumber, 12);
    EXPECT_EQ(state_->Parameters.FrValue, -12.0f);

    // G is followed directly by the reserved area: a digit there joins the gain.
    PutText(image, 44, "G0527");
    PutText(image, 4, "Sabcdefg");
    Reseal(image, contents.type);
    ASSERT_EQ(Decode(contents.type, *state_, image), ProbeStatusOk);
    EXPECT_EQ(state_->Parameters.Gain, 527 % 256);
    EXPECT_EQ(state_->Parameters.Serial, 0);
}

TEST_P(DecoderFields, EveryInitStartsFromTheResetState) {
    ImageContents contents = Contents();
    Image image = BuildImage(contents);
    BlockMemoryFake memory;
    ASSERT_EQ(Decode(contents.type, *state_, image), ProbeStatusOk);
    ProbeParameters first = state_->Parameters;
    std::vector<float> firstTable = BlockFloats(first.PositionTable, 65536);

    ASSERT_EQ(Decode(contents.type, *state_, image), ProbeStatusOk);
    ProbeParameters second = state_->Parameters;
    EXPECT_EQ(memory.LiveBlocks(), contents.type == 2 ? 2u : 3u);
    EXPECT_TRUE(memory.IsLive(second.PositionTable));
    EXPECT_EQ(BlockFloats(second.PositionTable, 65536), firstTable);
    CopyHandles(first, second);
    ExpectSameRecord(second, first);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, DecoderFields, testing::ValuesIn(kProbeTypes), TypeName);

TEST(DecoderType2Record, ForceFieldsStayZero) {
    ImageContents contents;
    contents.type = 2;
    FreshState state;
    ASSERT_EQ(Decode(2, *state, BuildImage(contents)), ProbeStatusOk);
    const ProbeParameters& record = state->Parameters;
    EXPECT_EQ(record.ForceK, 0.0f);
    EXPECT_EQ(record.ForceX0, 0.0f);
    EXPECT_EQ(record.ForceX1, 0.0f);
    EXPECT_EQ(record.ForceX2, 0.0f);
    EXPECT_EQ(record.ForceF1, 0.0f);
    EXPECT_EQ(record.ForceF2, 0.0f);
    EXPECT_EQ(record.ForceOrder, 0);
    EXPECT_EQ(record.ForceCoefficients, 0u);
    EXPECT_EQ(Bits(record.FValue), 0x40800000u);
    EXPECT_EQ(Bits(record.RValue), 0x40B66666u);
}

// Each library sets its own presets whatever the image holds, and keeps them in a
// refusal.
TEST(DecoderPresets, RefusedImageLeavesPresetsOfTheLibrary) {
    for (int type : kProbeTypes) {
        FreshState state;
        ImageContents contents;
        contents.type = type == 2 ? 3 : 2;
        ASSERT_EQ(Decode(type, *state, BuildImage(contents)), ProbeStatusWrongType);
        ProbeParameters expected = ExpectedPresets(type);
        expected.Type = static_cast<std::uint8_t>(contents.type);
        SCOPED_TRACE(type);
        ExpectSameRecord(state->Parameters, expected);
    }
}

}  // namespace
}  // namespace probe_test::decoding
