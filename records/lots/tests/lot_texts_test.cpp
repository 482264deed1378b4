#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lot_ledger.h"

namespace {

TEST(SerialRange, TakesTwoSerialsOfSevenDigitsInOrder) {
    const struct {
        const char* text;
        long first, last;
    } good[] = {{"1000001-1000100", 1000001, 1000100}, {"0-9999999", 0, 9999999}, {"7-7", 7, 7}};
    for (const auto& c : good) {
        const SerialRange range = ParseSerialRange(c.text);
        EXPECT_EQ(range.first, c.first) << c.text;
        EXPECT_EQ(range.last, c.last) << c.text;
        EXPECT_EQ(SerialRangeText(range), std::to_string(c.first) + "-" + std::to_string(c.last));
    }
    // Eight digits would be cut to seven in the image and repeat serials.
    for (const char* bad : {"", "5", "1-", "-5", "1-10000000", "12345678-12345679", "a-b", "+1-5",
                            " 1-5", "1-5-", "10-9"})
        EXPECT_THROW(ParseSerialRange(bad), LotError) << bad;
}

TEST(SerialRange, OverlapsARangeThatSharesOneSerial) {
    const SerialRange lot{100, 199};
    EXPECT_TRUE(lot.Overlaps({199, 300}));
    EXPECT_TRUE(lot.Overlaps({0, 100}));
    EXPECT_TRUE(lot.Overlaps({150, 150}));
    EXPECT_FALSE(lot.Overlaps({200, 300}));
    EXPECT_FALSE(lot.Overlaps({0, 99}));
    EXPECT_EQ(lot.size(), 100);
}

TEST(LotName, IsOneWordThatCanNameAFile) {
    for (const char* good : {"L1", "2026-12_line.A", "_x"})
        EXPECT_NO_THROW(RequireLotName(good)) << good;
    for (const std::string& bad : std::vector<std::string>{
             "", "a b", "../x", "a/b", "a\\b", ".hidden", "-n", "lot\n", std::string(65, 'a')})
        EXPECT_THROW(RequireLotName(bad), LotError) << bad;
}

TEST(SerialText, IsTheImagesSevenDigits) {
    EXPECT_EQ(SerialText(42), "0000042");
    EXPECT_EQ(SerialText(9999999), "9999999");
    EXPECT_STREQ(StateName(SerialState::Spoiled), "spoiled");
}

}  // namespace
