#include "stated_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "number_text.h"

namespace {

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string stated = text;
    if (stated.find_first_not_of("-0.") == std::string::npos && stated[0] == '-')
        stated.erase(0, 1);  // no "-0.00"
    return stated;
}

}  // namespace

StatedFigures StateFigures(double result, double U) {
    if (!std::isfinite(U) || !(U > 0) || !std::isfinite(result))
        return {DoubleText(result), DoubleText(U), 0};
    // The place of U's second significant digit: 10^place.
    int place = static_cast<int>(std::floor(std::log10(U))) - 1;
    double scaled = U / std::pow(10.0, place);
    // Up to the next whole count of that place, but not for the last bits of a
    // quotient that is whole on paper (0.0042 / 10^-4).
    double counts = std::ceil(scaled * (1 - 1e-12));
    if (counts >= 100) {  // 99.2 went up to 100: one place more
        ++place;
        counts = 10;
    }
    const int decimals = std::max(0, -place);
    const double stated = counts * std::pow(10.0, place);
    const double scale = std::pow(10.0, place);
    const double rounded = std::round(result / scale) * scale;
    return {Fixed(rounded, decimals), Fixed(stated, decimals), decimals};
}
