// Residuals of what the library computed against what was measured: per point, and
// their root mean square and largest magnitude.
#pragma once

#include <span>
#include <vector>

struct ResidualSummary {
    double squares = 0;  // sum of squared residuals; NaN when any output is
    double rms = 0;
    double max = 0;  // largest magnitude
};

// output - measured for each point.
std::vector<double> Residuals(std::span<const float> outputs, std::span<const double> measured);
ResidualSummary Summarise(std::span<const double> residuals);

// Whether a is a better fit than b: fewer squares, or as few and a smaller maximum.
// Never for a NaN sum.
bool Better(const ResidualSummary& a, const ResidualSummary& b);

// The spacing of float32 values at a value: the finest change a float result shows.
double FloatSpacing(double value);
