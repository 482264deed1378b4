#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

std::string FloatText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string DoubleText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string ShortestText(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

double ShortestDouble(float value) {
    if (!std::isfinite(value))
        return value;
    return std::strtod(ShortestText(value).c_str(), nullptr);
}

std::optional<float> ParseFloat(std::string_view text) {
    const auto value = ParseDouble(text);
    if (!value)
        return std::nullopt;
    if (std::isfinite(*value) && std::fabs(*value) > std::numeric_limits<float>::max())
        return std::nullopt;  // would not fit a float
    return static_cast<float>(*value);
}

std::optional<double> ParseDouble(std::string_view text) {
    const std::string copy(text);
    if (copy.empty() || copy.front() == ' ')
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min,
                                         std::int64_t max) {
    std::int64_t value = 0;
    const char* first = text.data();
    if (!text.empty() && text.front() == '+')
        ++first;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc{} || end != last || first == last || value < min || value > max)
        return std::nullopt;
    return value;
}
