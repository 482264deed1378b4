#include "force_readings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "probe_types.h"

namespace {

// Room beside the breakpoints, as a share of the span they cover.
constexpr double kMarginShare = 0.25;
// Half the span drawn around a single breakpoint at zero.
constexpr double kSmallestHalfSpan = 1.0;

float ClampedToFloat(double value) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -kLargest, kLargest));
}

}  // namespace

std::vector<Breakpoint> ForceBreakpoints(const ProbeParameters& record) {
    if (record.Type == kTypeWithRatioLaw)
        return {};
    std::vector<Breakpoint> breakpoints;
    for (const Breakpoint& breakpoint :
         {Breakpoint{"ForceX0", "x0", record.ForceX0}, Breakpoint{"ForceX1", "x1", record.ForceX1},
          Breakpoint{"ForceX2", "x2", record.ForceX2}})
        if (std::isfinite(breakpoint.raw))
            breakpoints.push_back(breakpoint);
    return breakpoints;
}

float JustBelow(float raw) {
    return std::nextafter(raw, -std::numeric_limits<float>::infinity());
}

std::vector<float> ForceReadings(const std::vector<Breakpoint>& breakpoints, std::size_t count) {
    double low = 0;
    double high = 0;
    if (!breakpoints.empty()) {
        const auto [lowest, highest] = std::minmax_element(
            breakpoints.begin(), breakpoints.end(),
            [](const Breakpoint& a, const Breakpoint& b) { return a.raw < b.raw; });
        low = lowest->raw;
        high = highest->raw;
    }
    if (low == high) {
        const double half = std::max(std::abs(low), kSmallestHalfSpan);
        low -= half;
        high += half;
    } else {
        const double margin = (high - low) * kMarginShare;
        low -= margin;
        high += margin;
    }
    const float first = ClampedToFloat(low);
    const float last = ClampedToFloat(high);

    const std::size_t points = std::max<std::size_t>(count, 2);
    std::vector<float> readings;
    readings.reserve(points + 2 * breakpoints.size());
    for (std::size_t i = 0; i < points; ++i)
        readings.push_back(
            ClampedToFloat(first + (static_cast<double>(last) - first) * static_cast<double>(i) /
                                       static_cast<double>(points - 1)));
    for (const Breakpoint& breakpoint : breakpoints) {
        readings.push_back(breakpoint.raw);
        readings.push_back(JustBelow(breakpoint.raw));
    }
    std::sort(readings.begin(), readings.end());
    readings.erase(std::unique(readings.begin(), readings.end()), readings.end());
    return readings;
}
