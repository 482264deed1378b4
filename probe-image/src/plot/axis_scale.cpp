#include "axis_scale.h"

#include <algorithm>
#include <cmath>

#include "svg_numbers.h"

namespace {

constexpr double kPaddingShare = 0.05;  // of the range, on either side
constexpr double kFlatHalfShare = 0.1;  // of a single value's size
constexpr double kFlatSmallestHalf = 1.0;
constexpr double kTen = 10;
// Steps of 1, 2 and 5: the first whose limit the wanted step stays under.
constexpr double kOneUpTo = 1.5;
constexpr double kTwoUpTo = 3.5;
constexpr double kFiveUpTo = 7.5;
constexpr long long kMostTicks = 40;

}  // namespace

AxisScale ExactScale(double low, double high, int tickCount) {
    AxisScale scale{low, high, {}};
    const double wanted = (high - low) / std::max(tickCount, 1);
    if (!(wanted > 0) || !std::isfinite(wanted))
        return scale;

    // The step is multiple x 10^exponent, power holding 10^exponent.
    int exponent = 0;
    double power = 1;
    while (power * kTen <= wanted) {
        power *= kTen;
        ++exponent;
    }
    while (power > wanted) {
        power /= kTen;
        --exponent;
    }
    long long multiple = 1;
    if (wanted > power * kFiveUpTo) {
        power *= kTen;
        ++exponent;
    } else if (wanted > power * kTwoUpTo) {
        multiple = 5;
    } else if (wanted > power * kOneUpTo) {
        multiple = 2;
    }
    const double step = static_cast<double>(multiple) * power;
    const auto first = static_cast<long long>(std::ceil(low / step));
    const auto last = static_cast<long long>(std::floor(high / step));
    for (long long k = first; k <= last && k - first < kMostTicks; ++k)
        scale.ticks.push_back(
            {static_cast<double>(k * multiple) * power, TickLabel(k * multiple, exponent)});
    return scale;
}

AxisScale PaddedScale(double min, double max, int tickCount) {
    if (min == max) {
        const double half = std::max(std::abs(min) * kFlatHalfShare, kFlatSmallestHalf);
        return ExactScale(min - half, max + half, tickCount);
    }
    const double padding = (max - min) * kPaddingShare;
    return ExactScale(min - padding, max + padding, tickCount);
}
