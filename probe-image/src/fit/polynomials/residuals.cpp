#include "residuals.h"

#include <cmath>
#include <limits>

std::vector<double> Residuals(std::span<const float> outputs, std::span<const double> measured) {
    std::vector<double> residuals(outputs.size());
    for (std::size_t i = 0; i < outputs.size(); ++i)
        residuals[i] = static_cast<double>(outputs[i]) - measured[i];
    return residuals;
}

ResidualSummary Summarise(std::span<const double> residuals) {
    ResidualSummary summary;
    for (double residual : residuals) {
        summary.squares += residual * residual;
        const double magnitude = std::abs(residual);
        if (std::isnan(magnitude) || magnitude > summary.max)
            summary.max = magnitude;  // a NaN stays
    }
    if (!residuals.empty())
        summary.rms = std::sqrt(summary.squares / static_cast<double>(residuals.size()));
    return summary;
}

bool Better(const ResidualSummary& a, const ResidualSummary& b) {
    if (std::isnan(a.squares))
        return false;
    if (std::isnan(b.squares))
        return true;
    return a.squares < b.squares || (a.squares == b.squares && a.max < b.max);
}

double FloatSpacing(double value) {
    const float magnitude = static_cast<float>(std::abs(value));
    if (!std::isfinite(magnitude))
        return std::numeric_limits<double>::infinity();
    return static_cast<double>(std::nextafter(magnitude, std::numeric_limits<float>::infinity())) -
           magnitude;
}
