#include "field_text.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace probe {
namespace {

bool IsSpace(std::uint8_t c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

// Skips white space and one sign; returns the index of the first character after
// them and whether the sign was a minus.
std::size_t SkipBlanksAndSign(const std::uint8_t* text, std::size_t available, bool& negative) {
    std::size_t i = 0;
    while (i < available && text[i] != 0 && IsSpace(text[i]))
        ++i;
    negative = false;
    if (i < available && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

}  // namespace

void FormatText(TextBuffer& buffer, const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    va_end(arguments);
}

std::int32_t ReadInteger(const std::uint8_t* text, std::size_t available) {
    bool negative = false;
    std::size_t i = SkipBlanksAndSign(text, available, negative);
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < available && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLimit)
            magnitude = kLimit;
    }
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        value = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

double ReadReal(const std::uint8_t* text, std::size_t available) {
    bool negative = false;
    std::size_t start = SkipBlanksAndSign(text, available, negative);
    // from_chars needs a contiguous text; copy what is left, NUL-terminated.
    char digits[kTextBufferSize + 1];
    std::size_t length = 0;
    while (start + length < available && length < kTextBufferSize && text[start + length] != 0) {
        digits[length] = static_cast<char>(text[start + length]);
        ++length;
    }
    digits[length] = '\0';
    if (length == 0 || digits[0] == '+' || digits[0] == '-')
        return 0.0;

    double value = 0.0;
    auto [end, error] = std::from_chars(digits, digits + length, value, std::chars_format::general);
    if (error == std::errc::invalid_argument)
        return 0.0;
    if (error == std::errc::result_out_of_range) {
        // Overflow or underflow: the C reading gives infinity or zero here.
        value = std::strtod(digits, nullptr);
    }
    (void)end;
    return negative ? -value : value;
}

std::int32_t ReadOrder(const std::uint8_t* twoCharacters) {
    std::size_t available = twoCharacters[0] == 0 ? 0 : 2;
    bool negative = false;
    std::size_t i = SkipBlanksAndSign(twoCharacters, available, negative);
    if (i >= available || !IsDigit(twoCharacters[i]))
        return 0;
    std::int32_t value = 0;
    for (; i < available && IsDigit(twoCharacters[i]); ++i)
        value = value * 10 + (twoCharacters[i] - '0');
    return negative ? -value : value;
}

std::string FieldValueText(const std::uint8_t* image, const FieldLayout& layout) {
    std::string text;
    for (std::size_t i = layout.ValueOffset(); i < layout.offset + layout.width; ++i)
        text += image[i] >= 0x20 && image[i] < 0x7F ? static_cast<char>(image[i]) : ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

}  // namespace probe
