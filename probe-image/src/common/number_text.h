// Numbers to and from text, the same on every build: floats printed with nine
// significant digits (enough to give back the same float) or in their shortest
// exact form, readings that must take the whole text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

std::string FloatText(float value);     // printf "%.9g"
std::string ShortestText(float value);  // the shortest text that reads back as value
std::string DoubleText(double value);   // printf "%.6g", for figures in messages
// The double that the shortest text stands for, so that JSON shows 0.12 for 0.12f.
double ShortestDouble(float value);

// A decimal real rounded to float; nothing unless the whole text is one number.
std::optional<float> ParseFloat(std::string_view text);
// A decimal real as a double; nothing unless the whole text is one number. NaN and
// infinities ("nan", "inf", or beyond the double range) are numbers here.
std::optional<double> ParseDouble(std::string_view text);
// A decimal integer within [min, max]; nothing otherwise.
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max);
