#include "field_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

using probe::FormatText;
using probe::TextBuffer;

std::string Format(const char* format, double value) {
    TextBuffer buffer{};
    FormatText(buffer, format, value);
    return buffer.data();
}

std::int32_t Integer(const char* text) {
    return probe::ReadInteger(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text));
}
double Real(const char* text) {
    return probe::ReadReal(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text));
}
std::int32_t Order(const char* twoCharacters) {
    return probe::ReadOrder(reinterpret_cast<const std::uint8_t*>(twoCharacters));
}

TEST(FieldFormat, ExactTiesRoundToEven) {
    EXPECT_EQ(Format("%2.2f", 3.125), "3.12");
    EXPECT_EQ(Format("%2.2f", 0.625), "0.62");
    EXPECT_EQ(Format("%2.1f", 1.25), "1.2");
    EXPECT_EQ(Format("%2.2f", 3.375), "3.38");
    EXPECT_EQ(Format("FR%2.1f", static_cast<double>(3.46f)), "FR3.5");
    EXPECT_EQ(Format("F %2.2f", 123.456), "F 123.46");
}

TEST(FieldFormat, IntegersAndTexts) {
    TextBuffer buffer{};
    FormatText(buffer, "S%07d", 12345678);
    EXPECT_EQ(std::string(buffer.data(), 8), "S1234567");
    FormatText(buffer, "C%07d", -5);
    EXPECT_STREQ(buffer.data(), "C-000005");
    FormatText(buffer, "O%-7.*s", 2, "AB");
    EXPECT_STREQ(buffer.data(), "OAB     ");
}

TEST(FieldFormat, ShortTextKeepsEarlierBytesAfterItsNul) {
    TextBuffer buffer{};
    FormatText(buffer, "C%07d", 1234);
    FormatText(buffer, "FR%2.1f", 3.5);
    const char expected[8] = {'F', 'R', '3', '.', '5', '\0', '3', '4'};
    EXPECT_EQ(std::memcmp(buffer.data(), expected, 8), 0);
}

TEST(FieldFormat, LongTextIsCutToTheBuffer) {
    TextBuffer buffer;
    buffer.fill('#');
    std::string text(300, 'x');
    FormatText(buffer, "O%-7.*s", 300, text.c_str());
    EXPECT_EQ(buffer[255], '\0');
    EXPECT_EQ(std::strlen(buffer.data()), 255u);
}

TEST(IntegerReading, FollowsAtoi) {
    EXPECT_EQ(Integer("1234567"), 1234567);
    EXPECT_EQ(Integer("  \t42x"), 42);
    EXPECT_EQ(Integer("-000005"), -5);
    EXPECT_EQ(Integer("+7"), 7);
    EXPECT_EQ(Integer("abc"), 0);
    EXPECT_EQ(Integer("-"), 0);
    EXPECT_EQ(Integer(""), 0);
    EXPECT_EQ(Integer("- 5"), 0);
}

TEST(IntegerReading, SaturatesOnOverflow) {
    EXPECT_EQ(Integer("2147483647"), 2147483647);
    EXPECT_EQ(Integer("2147483648"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Integer("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Integer("-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Integer("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
}

TEST(IntegerReading, StopsAtTheEndOfWhatItIsGiven) {
    const std::uint8_t digits[4] = {'1', '2', '3', '4'};
    EXPECT_EQ(probe::ReadInteger(digits, 2), 12);
}

TEST(RealReading, FollowsAtof) {
    EXPECT_EQ(Real("3.5"), 3.5);
    EXPECT_EQ(Real(" -1.25R 5"), -1.25);
    EXPECT_EQ(Real("123.46R 5.70"), 123.46);
    EXPECT_EQ(Real("1e3x"), 1000.0);
    EXPECT_EQ(Real("1e"), 1.0);
    EXPECT_EQ(Real(".5"), 0.5);
    EXPECT_EQ(Real("7."), 7.0);
    EXPECT_EQ(Real("0.1"), 0.1);
    EXPECT_TRUE(std::isinf(Real("1e999")));
    EXPECT_EQ(Real("1e-999"), 0.0);
    EXPECT_TRUE(std::isnan(Real("nan")));
}

TEST(RealReading, NothingReadableIsPositiveZero) {
    for (const char* text : {"", "-", "+", " - ", "x1", "-x", "+-1", "."}) {
        double value = Real(text);
        EXPECT_EQ(value, 0.0) << text;
        EXPECT_FALSE(std::signbit(value)) << text;
    }
}

TEST(RealReading, IsCorrectlyRounded) {
    // Halfway between two doubles, decided by the last of many digits.
    EXPECT_EQ(Real("9007199254740993"), 9007199254740992.0);
    EXPECT_EQ(Real("9007199254740993.0000000000000000001"), 9007199254740994.0);
    EXPECT_EQ(Real("2.2250738585072011e-308"), 2.2250738585072011e-308);
}

TEST(OrderReading, TwoCharactersAlone) {
    EXPECT_EQ(Order("05"), 5);
    EXPECT_EQ(Order(" 7"), 7);
    EXPECT_EQ(Order("-1"), -1);
    EXPECT_EQ(Order("x5"), 0);
    EXPECT_EQ(Order("15"), 15);
    EXPECT_EQ(Order("5x"), 5);
    EXPECT_EQ(Order("+"), 0);
    EXPECT_EQ(Order("1234"), 12);  // the digits after the two are not read
    const std::uint8_t nul[2] = {0, '5'};
    EXPECT_EQ(probe::ReadOrder(nul), 0);
}

struct ValueTextCase {
    const char* bytes;  // the field, 8 bytes from offset 0
    std::size_t tagLength;
    const char* text;
};

TEST(FieldValueText, PrintableValueWithoutTheBlanksAtItsEnd) {
    const ValueTextCase cases[] = {
        {"S0001234", 1, "0001234"},
        {"S0001234", 0, "S0001234"},  // no tag: the whole field
        {"DCAL12\0\0", 4, "12"},      // NULs at the end are dropped
        {"O A  B  ", 1, " A  B"},     // blanks inside and in front stay
        {"O\x01\x7F\xFF"
         "ab\0x",
         1, "   ab x"},  // unprintable bytes read as blanks
        {"S       ", 1, ""},
        {"S\0\0\0\0\0\0\0", 1, ""},
    };
    for (const ValueTextCase& c : cases) {
        std::uint8_t image[probe::kImageSize] = {};
        std::memcpy(image, c.bytes, 8);
        image[8] = 'X';  // past the field: never read
        const probe::FieldLayout layout{0, 8, c.tagLength, ""};
        EXPECT_EQ(probe::FieldValueText(image, layout), c.text) << c.bytes;
    }
    std::uint8_t image[probe::kImageSize] = {};
    std::memcpy(image + probe::field::kSerial.offset, "S1000001", 8);
    EXPECT_EQ(probe::FieldValueText(image, probe::field::kSerial), "1000001");
}

}  // namespace
