// Field text: printf formatting into the encoder's buffer, the three readings
// of the decoder, and a field's value as tools show it. Identical results on every build:
// formatting rounds exact ties to even (C99 printf), readings never look past the bytes they are
// given.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "image_layout.h"

namespace probe {

inline constexpr std::size_t kTextBufferSize = 256;
using TextBuffer = std::array<char, kTextBufferSize>;

// printf into the buffer, cut to its size. Bytes after the terminating NUL keep
// what earlier texts left there.
void FormatText(TextBuffer& buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The atoi rules: leading white space, one sign, decimal digits; no digit gives 0.
// Saturates to the int32 range.
std::int32_t ReadInteger(const std::uint8_t* text, std::size_t available);

// The atof rules for decimal text (digits, point, fraction, exponent, inf, nan),
// correctly rounded; nothing readable gives +0.0.
double ReadReal(const std::uint8_t* text, std::size_t available);

// scanf "%02d" on the two characters alone: white space skipped, a sign accepted;
// no number gives 0.
std::int32_t ReadOrder(const std::uint8_t* twoCharacters);

// The value of a text field, the characters after its tag, as records and messages
// show it: each byte outside printable ASCII as a blank, the blanks at its end
// dropped. A layout whose tag length is 0 gives the whole field.
std::string FieldValueText(const std::uint8_t* image, const FieldLayout& layout);

}  // namespace probe
