// The force law of types 3 and 6: optional thresholds, full-width values and the
// PresetWordsB choice made from FValue.
#include <gtest/gtest.h>

#include <cmath>

#include "decoder_test_support.h"

namespace probe_test::decoding {
namespace {

constexpr std::size_t kForceLawAt = 88 + 4 * 1;  // position order 1
constexpr std::size_t kFieldWidth = 8;

class DecoderForceLaw : public testing::TestWithParam<int> {
  protected:
    int Type() const { return GetParam(); }
    ImageContents Contents() const {
        ImageContents contents;
        contents.type = Type();
        contents.force.x0 = -7.25;
        return contents;
    }
    // Decodes the image after writing each text, NUL-padded to its 8-byte field, at its
    // offset from the start of the force law.
    const ProbeParameters& DecodeWith(
        std::initializer_list<std::pair<std::size_t, const char*>> texts) {
        Image image = BuildImage(Contents());
        for (auto [offset, text] : texts) {
            std::memset(image.data() + kForceLawAt + offset, 0, kFieldWidth);
            PutText(image, kForceLawAt + offset, text);
        }
        Reseal(image, Type());
        EXPECT_EQ(Decode(Type(), *state_, image), ProbeStatusOk);
        return state_->Parameters;
    }
    FreshState state_;
};

TEST_P(DecoderForceLaw, ThresholdsAreTakenOnlyUnderTheirOwnTags) {
    const ProbeParameters& all =
        DecodeWith({{32, "x1100.25"}, {40, "f1-3.5"}, {48, "x2-80.5"}, {56, "f2 2.125"}});
    EXPECT_EQ(all.ForceX1, 100.25f);
    EXPECT_EQ(all.ForceF1, -3.5f);
    EXPECT_EQ(all.ForceX2, -80.5f);
    EXPECT_EQ(all.ForceF2, 2.125f);

    // Upper case or a tag in another slot counts as missing.
    const ProbeParameters& none =
        DecodeWith({{32, "X1100.25"}, {40, "F1-3.5"}, {48, "x1-80.5"}, {56, "2f2.125"}});
    EXPECT_EQ(none.ForceX1, -7.25f);
    EXPECT_EQ(Bits(none.ForceF1), 0u);
    EXPECT_EQ(none.ForceX2, -7.25f);
    EXPECT_EQ(Bits(none.ForceF2), 0u);

    const ProbeParameters& some = DecodeWith({{40, "f1 7.5"}, {48, "x2 1.5"}});
    EXPECT_EQ(some.ForceX1, -7.25f);
    EXPECT_EQ(some.ForceF1, 7.5f);
    EXPECT_EQ(some.ForceX2, 1.5f);
    EXPECT_EQ(Bits(some.ForceF2), 0u);
}

// Eight-character values carry no NUL; each reading stops at the next tag.
TEST_P(DecoderForceLaw, FullWidthValuesStopAtTheNextTag) {
    const ProbeParameters& record =
        DecodeWith({{0, "k 1234.5"}, {8, "x0-12.25"}, {16, "F 123.46"}, {24, "R 1.5e+2"}});
    EXPECT_EQ(record.ForceK, 1234.5f);
    EXPECT_EQ(record.ForceX0, -12.25f);
    EXPECT_EQ(record.FValue, 123.46f);
    EXPECT_EQ(record.RValue, 150.0f);
    EXPECT_EQ(record.ForceX1, -12.25f);
}

TEST_P(DecoderForceLaw, PresetWordsBFollowFValue) {
    const std::vector<std::uint16_t> below = Type() == 3
                                                 ? std::vector<std::uint16_t>{256, 2, 0, 400, 25600}
                                                 : std::vector<std::uint16_t>{1, 21, 0, 1, 22};
    const std::vector<std::uint16_t> otherwise{256, 3, 0, 400, 25600};
    struct Case {
        const char* f;
        bool isBelow;
    };
    for (Case c :
         {Case{"F 2.50", true}, Case{"F 3.00", false}, Case{"F 2.9999", true}, Case{"F -4", true},
          Case{"F 3.0001", false}, Case{"F nan", false}, Case{"F -nan", false},
          Case{"F -inf", true}, Case{"F inf", false}, Case{"F abc", true}}) {
        SCOPED_TRACE(c.f);
        const ProbeParameters& record = DecodeWith({{16, c.f}, {24, "R 5.70"}});
        std::vector<std::uint16_t> words(record.PresetWordsB, record.PresetWordsB + 5);
        EXPECT_EQ(words, c.isBelow ? below : otherwise);
    }
    EXPECT_TRUE(std::isnan(DecodeWith({{16, "F nan"}}).FValue));
}

INSTANTIATE_TEST_SUITE_P(ForceLawTypes, DecoderForceLaw, testing::ValuesIn(kForceLawTypes),
                         TypeName);

}  // namespace
}  // namespace probe_test::decoding
