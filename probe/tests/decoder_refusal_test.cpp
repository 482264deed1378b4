// Refused images: the status, what the record holds at each refusal, which blocks
// are left, and the orders and checksum that decide.
#include <gtest/gtest.h>

#include <bit>

#include "block_memory_fake.h"
#include "decoder_test_support.h"
#include "image_crc.h"

namespace probe_test::decoding {
namespace {

constexpr std::size_t kPositionOrderAt = 82;

// Offset of the force order's two digits in an image of position order p.
constexpr std::size_t ForceOrderAt(std::size_t p) {
    return 88 + 4 * p + 66;
}

void SealAt(Image& image, std::size_t at) {
    probe::StoreLittleEndian32(image.data() + at, probe::ProbeImageCrc(image.data(), at));
}

std::size_t ChecksumAt(int type, std::size_t p) {
    return type == 2 ? 88 + 4 * p : 252;
}

ImageContents SpecOfType(int type, std::size_t p = 2, std::size_t q = 1) {
    ImageContents contents;
    contents.type = type;
    contents.position.assign(p + 1, 0.5f);
    contents.force.polynomial.assign(q + 1, -0.25f);
    contents.force.f = 2.5;
    return contents;
}

void ExpectNoPositionTable(const probe::ProbeState& state) {
    EXPECT_EQ(state.Ready, 0);
    EXPECT_EQ(state.Parameters.PositionTable, 0u);
}

class DecoderRefusal : public testing::TestWithParam<int> {
  protected:
    int Type() const { return GetParam(); }
    FreshState state_;
};

TEST_P(DecoderRefusal, ImageOfAnotherTypeKeepsOnlyItsType) {
    for (int imageType : {2, 3, 6, 0, 7}) {
        if (imageType == Type())
            continue;
        SCOPED_TRACE(imageType);
        Image image = BuildImage(SpecOfType(imageType));
        BlockMemoryFake memory;
        EXPECT_EQ(Decode(Type(), *state_, image), ProbeStatusWrongType);
        EXPECT_EQ(memory.Allocations(), 0u);
        EXPECT_EQ(0, std::memcmp(state_->StoredImage, image.data(), image.size()));
        ProbeParameters expected = ExpectedPresets(Type());
        expected.Type = static_cast<std::uint8_t>(imageType);
        ExpectSameRecord(state_->Parameters, expected);
        ExpectNoPositionTable(*state_);
    }
}

TEST_P(DecoderRefusal, TypeIsKeptInEightBits) {
    Image image = BuildImage(SpecOfType(Type()));
    PutText(image, 1, std::to_string(Type() + 256).c_str());
    SealAt(image, ChecksumAt(Type(), 2));
    EXPECT_EQ(Decode(Type(), *state_, image), ProbeStatusOk);
    EXPECT_EQ(state_->Parameters.Type, Type());
}

TEST_P(DecoderRefusal, PositionOrderAbove15StopsBeforeAnyBlock) {
    ImageContents contents = SpecOfType(Type());
    for (const char* order : {"16", "99", "-1"}) {
        SCOPED_TRACE(order);
        Image image = BuildImage(contents);
        PutText(image, kPositionOrderAt, order);  // the checksum no longer matches either
        BlockMemoryFake memory;
        EXPECT_EQ(Decode(Type(), *state_, image), ProbeStatusBadOrder);
        EXPECT_EQ(memory.Allocations(), 0u);
        ProbeParameters expected = ExpectedIdentity(contents);
        expected.PositionOrder = static_cast<std::uint8_t>(std::stoi(order));
        ExpectSameRecord(state_->Parameters, expected);
        EXPECT_EQ(0, std::memcmp(state_->StoredImage, image.data(), image.size()));
        ExpectNoPositionTable(*state_);
    }
}

TEST_P(DecoderRefusal, PositionOrder15IsAccepted) {
    ImageContents contents = SpecOfType(Type(), 15, 8);
    for (std::size_t i = 0; i < contents.position.size(); ++i)
        contents.position[i] = 1.0f + i;
    ASSERT_EQ(Decode(Type(), *state_, BuildImage(contents)), ProbeStatusOk);
    EXPECT_EQ(state_->Parameters.PositionOrder, 15);
    EXPECT_EQ(BlockFloats(state_->Parameters.PositionCoefficients, 16), contents.position);
}

// The order is read from its two characters alone, as scanf "%02d" reads them; a
// digit in the first coefficient byte after them is not part of it.
TEST_P(DecoderRefusal, OrderIsReadFromItsTwoCharacters) {
    struct Case {
        const char* text;
        std::size_t order;
    };
    const float digitFirst = std::bit_cast<float>(0x3F800037u);  // low byte '7'
    for (Case c : {Case{"05", 5}, Case{" 5", 5}, Case{"+5", 5}, Case{"5 ", 5}, Case{"-0", 0},
                   Case{"ab", 0}}) {
        SCOPED_TRACE(c.text);
        ImageContents contents = SpecOfType(Type(), c.order, c.order);
        contents.position[0] = digitFirst;
        contents.force.polynomial[0] = digitFirst;
        Image image = BuildImage(contents);
        PutText(image, kPositionOrderAt, c.text);
        if (Type() != 2)
            PutText(image, ForceOrderAt(c.order), c.text);
        SealAt(image, ChecksumAt(Type(), c.order));
        ASSERT_EQ(Decode(Type(), *state_, image), ProbeStatusOk);
        EXPECT_EQ(state_->Parameters.PositionOrder, c.order);
        if (Type() != 2) {
            EXPECT_EQ(state_->Parameters.ForceOrder, c.order);
        }
    }
}

TEST_P(DecoderRefusal, ChecksumWithUpperHalfSetNeverMatches) {
    Image image = BuildImage(SpecOfType(Type()));
    std::size_t at = ChecksumAt(Type(), 2);
    image[at + 2] = 1;
    EXPECT_EQ(Decode(Type(), *state_, image), ProbeStatusBadChecksum);
    image[at + 2] = 0;
    image[at + 3] = 0x80;
    EXPECT_EQ(Decode(Type(), *state_, image), ProbeStatusBadChecksum);
}

// A checksum refusal leaves every field decoded and the coefficient blocks held,
// but no table and no PresetWordsB choice.
TEST_P(DecoderRefusal, ChecksumRefusalLeavesFieldsAndCoefficientBlocks) {
    ImageContents contents = SpecOfType(Type());
    Image image = BuildImage(contents);
    image[71] ^= 0x55;  // after the NUL of the FR text, yet covered
    BlockMemoryFake memory;
    ASSERT_EQ(Decode(Type(), *state_, image), ProbeStatusBadChecksum);

    const ProbeParameters& record = state_->Parameters;
    ProbeParameters expected = ExpectedIdentity(contents);
    expected.PositionOrder = 2;
    if (Type() != 2)
        AddForceLaw(contents, expected);
    CopyHandles(record, expected);
    ExpectSameRecord(record, expected);
    ExpectNoPositionTable(*state_);
    EXPECT_TRUE(memory.IsLive(record.PositionCoefficients));
    EXPECT_EQ(memory.LiveBlocks(), Type() == 2 ? 1u : 2u);
    EXPECT_EQ(memory.HeldLocks(), 0);
    if (Type() != 2) {
        EXPECT_TRUE(memory.IsLive(record.ForceCoefficients));
        EXPECT_EQ(state_->ForcePolynomial[0], -0.25f);
        EXPECT_EQ(state_->ForcePolynomial[1], -0.25f);
    }
}

TEST_P(DecoderRefusal, TypeIsCheckedBeforeTheOrder) {
    Image image = BuildImage(SpecOfType(Type()));
    PutText(image, kPositionOrderAt, "16");
    image[1] = '9';
    EXPECT_EQ(Decode(Type(), *state_, image), ProbeStatusWrongType);
}

TEST_P(DecoderRefusal, RefusalAfterSuccessFreesTheEarlierBlocks) {
    Image good = BuildImage(SpecOfType(Type()));
    Image bad = good;
    bad[30] ^= 1;
    BlockMemoryFake memory;
    ASSERT_EQ(Decode(Type(), *state_, good), ProbeStatusOk);
    ASSERT_EQ(Decode(Type(), *state_, bad), ProbeStatusBadChecksum);
    EXPECT_EQ(state_->Ready, 0);
    EXPECT_EQ(memory.LiveBlocks(), Type() == 2 ? 1u : 2u);
    EXPECT_TRUE(memory.IsLive(state_->Parameters.PositionCoefficients));
    EXPECT_FALSE(memory.Unbalanced());
}

INSTANTIATE_TEST_SUITE_P(AllTypes, DecoderRefusal, testing::ValuesIn(kProbeTypes), TypeName);

TEST(DecoderType2Checksum, CoversBytesUpToItsOwnWordOnly) {
    ImageContents contents = SpecOfType(2, 3);
    contents.filler = 0x00;
    Image image = BuildImage(contents);
    FreshState state;
    for (std::size_t i = 104; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    EXPECT_EQ(Decode(2, *state, image), ProbeStatusOk);

    Image moved = image;
    moved[99] ^= 1;  // the last covered byte
    EXPECT_EQ(Decode(2, *state, moved), ProbeStatusBadChecksum);
    SealAt(moved, 252);  // a word where types 3 and 6 keep theirs does not count
    EXPECT_EQ(Decode(2, *state, moved), ProbeStatusBadChecksum);
}

class DecoderForceOrder : public testing::TestWithParam<int> {
  protected:
    int Type() const { return GetParam(); }
    FreshState state_;
};

// A force order above 15, or orders that together would run over the checksum or
// past the image, stop before the force coefficients are read.
TEST_P(DecoderForceOrder, RefusalKeepsOnlyThePositionBlock) {
    struct Case {
        std::size_t p;
        std::size_t builtQ;
        const char* q;
    };
    for (Case c : {Case{2, 1, "16"}, Case{2, 1, "-1"}, Case{15, 9, "09"}, Case{9, 15, "15"},
                   Case{15, 0, "15"}, Case{12, 0, "14"}}) {
        SCOPED_TRACE(std::to_string(c.p) + "+" + c.q);
        ImageContents contents = SpecOfType(Type(), c.p, c.builtQ);
        Image image = BuildImage(contents);
        PutText(image, ForceOrderAt(c.p), c.q);
        SealAt(image, 252);
        BlockMemoryFake memory;
        EXPECT_EQ(Decode(Type(), *state_, image), ProbeStatusBadOrder);

        const ProbeParameters& record = state_->Parameters;
        ProbeParameters expected = ExpectedIdentity(contents);
        expected.PositionOrder = static_cast<std::uint8_t>(c.p);
        AddForceLaw(contents, expected);
        expected.ForceOrder = static_cast<std::uint8_t>(std::stoi(c.q));
        expected.PositionCoefficients = record.PositionCoefficients;
        ExpectSameRecord(record, expected);
        EXPECT_EQ(memory.LiveBlocks(), 1u);
        EXPECT_TRUE(memory.IsLive(record.PositionCoefficients));
        EXPECT_EQ(memory.HeldLocks(), 0);
        EXPECT_EQ(std::vector<float>(state_->ForcePolynomial, state_->ForcePolynomial + 16),
                  std::vector<float>(16, 0.0f));
        ExpectNoPositionTable(*state_);
    }
}

TEST_P(DecoderForceOrder, OrdersThatEndBeforeTheChecksumAreAccepted) {
    for (auto [p, q] : {std::pair<std::size_t, std::size_t>{15, 8}, {8, 15}, {0, 15}}) {
        SCOPED_TRACE(std::to_string(p) + "+" + std::to_string(q));
        ImageContents contents = SpecOfType(Type(), p, q);
        for (std::size_t i = 0; i <= q; ++i)
            contents.force.polynomial[i] = 0.5f * i;
        ASSERT_EQ(Decode(Type(), *state_, BuildImage(contents)), ProbeStatusOk);
        EXPECT_EQ(state_->Parameters.ForceOrder, q);
        EXPECT_EQ(BlockFloats(state_->Parameters.ForceCoefficients, q + 1),
                  contents.force.polynomial);
        std::vector<float> filled = contents.force.polynomial;
        filled.resize(16, 0.0f);
        EXPECT_EQ(std::vector<float>(state_->ForcePolynomial, state_->ForcePolynomial + 16),
                  filled);
    }
}

TEST_P(DecoderForceOrder, CoveredBytesAfterTheForceLawCount) {
    Image image = BuildImage(SpecOfType(Type(), 3, 2));
    EXPECT_EQ(Decode(Type(), *state_, image), ProbeStatusOk);
    for (std::size_t at : {180u, 251u}) {
        Image changed = image;
        changed[at] ^= 0x01;
        EXPECT_EQ(Decode(Type(), *state_, changed), ProbeStatusBadChecksum) << at;
    }
}

INSTANTIATE_TEST_SUITE_P(ForceLawTypes, DecoderForceOrder, testing::ValuesIn(kForceLawTypes),
                         TypeName);

}  // namespace
}  // namespace probe_test::decoding
