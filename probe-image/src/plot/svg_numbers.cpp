#include "svg_numbers.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kTenthsPerPixel = 10;
constexpr int kTenthsPerUnit = 10;
// Plain labels keep at most this many digits before the point and zeros after it.
constexpr int kLongestPlainWhole = 7;
constexpr int kLongestPlainZeros = 3;

}  // namespace

std::string PixelText(double value) {
    const long long tenths = std::llround(value * kTenthsPerPixel);
    std::string text = tenths < 0 ? "-" : "";
    const long long magnitude = std::llabs(tenths);
    text += std::to_string(magnitude / kTenthsPerUnit);
    if (magnitude % kTenthsPerUnit != 0) {
        text += '.';
        text += std::to_string(magnitude % kTenthsPerUnit);
    }
    return text == "-0" ? "0" : text;
}

std::string TickLabel(long long digits, int exponent) {
    if (digits == 0)
        return "0";
    const std::string sign = digits < 0 ? "-" : "";
    std::string text = std::to_string(std::llabs(digits));
    while (text.size() > 1 && text.back() == '0') {
        text.pop_back();
        ++exponent;
    }
    const int whole = static_cast<int>(text.size()) + exponent;  // digits before the point
    if (whole > kLongestPlainWhole || whole < -kLongestPlainZeros) {
        std::string label = sign + text.substr(0, 1);
        if (text.size() > 1) {
            label += '.';
            label += text.substr(1);
        }
        label += 'e';
        label += std::to_string(whole - 1);
        return label;
    }
    if (exponent >= 0)
        return sign + text + std::string(static_cast<std::size_t>(exponent), '0');
    if (whole > 0)
        return sign + text.substr(0, static_cast<std::size_t>(whole)) + "." +
               text.substr(static_cast<std::size_t>(whole));
    return sign + "0." + std::string(static_cast<std::size_t>(-whole), '0') + text;
}

std::string XmlEscaped(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else if (c == '"')
            escaped += "&quot;";
        else
            escaped += c;
    }
    return escaped;
}
