// The position table an accepted image leaves: its size and the entries that
// need no rounded power.
#include <gtest/gtest.h>

#include "block_memory_fake.h"
#include "decoder_test_support.h"

namespace probe_test::decoding {
namespace {

constexpr int kEntries = 65536;
constexpr int kZeroEntry = 32768;

float Scaled(double value) {
    return static_cast<float>(value * 0.03);
}

class DecoderTable : public testing::TestWithParam<int> {
  protected:
    std::vector<float> TableOf(std::vector<float> position) {
        ImageContents contents;
        contents.type = GetParam();
        contents.position = std::move(position);
        EXPECT_EQ(Decode(contents.type, *state_, BuildImage(contents)), ProbeStatusOk);
        EXPECT_EQ(memory_.Info(state_->Parameters.PositionTable).bytes, kEntries * sizeof(float));
        return BlockFloats(state_->Parameters.PositionTable, kEntries);
    }
    FreshState state_;
    BlockMemoryFake memory_;
};

TEST_P(DecoderTable, ConstantPolynomialFillsEveryEntry) {
    std::vector<float> table = TableOf({1.7f});
    ASSERT_EQ(table.size(), static_cast<std::size_t>(kEntries));
    for (int i = 0; i < kEntries; ++i)
        ASSERT_EQ(table[i], Scaled(1.7f)) << i;
}

TEST_P(DecoderTable, LinearPolynomialFollowsTheReading) {
    std::vector<float> table = TableOf({0.5f, 2.0f});
    for (int i = 0; i < kEntries; ++i) {
        double x = i - kZeroEntry;
        ASSERT_EQ(table[i], Scaled(static_cast<float>(0.5 + 2.0 * x))) << i;
    }
}

TEST_P(DecoderTable, ReadingZeroGivesTheConstantTerm) {
    std::vector<float> table = TableOf({-3.25f, 1.0e-3f, 7.0e-7f, -1.5e-9f});
    EXPECT_EQ(table[kZeroEntry], Scaled(-3.25f));
    EXPECT_EQ(table[kZeroEntry + 1],
              Scaled(static_cast<float>(-3.25 + 1.0e-3f + 7.0e-7f - 1.5e-9f)));
}

INSTANTIATE_TEST_SUITE_P(AllTypes, DecoderTable, testing::ValuesIn(kProbeTypes), TypeName);

}  // namespace
}  // namespace probe_test::decoding
