// The linear force law of a type-3 or type-6 image, force = (raw - x0) k, fitted to
// measurements. The image holds k and x0 as text with two decimals, so the law
// stored is the best of the neighbouring two-decimal values as the library
// computes with them. With stated uncertainties the line is weighted by 1/u.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "measurements.h"
#include "polynomial_uncertainty.h"
#include "residuals.h"

// The library's forces at every measured reading for a candidate k and x0.
using LinearLawOutputs = std::function<std::vector<float>(float k, float x0)>;

struct LinearForceFit {
    double slope = 0;  // k and x0 of the solution in double
    double zero = 0;
    ResidualSummary doubleResiduals;
    float roundedK = 0;  // k and x0 rounded to two decimals on their own
    float roundedX0 = 0;
    ResidualSummary roundedResiduals;  // through the library
    float forceK = 0;                  // the best candidate through the library
    float forceX0 = 0;
    ResidualSummary refinedResiduals;
    std::size_t trials = 0;
    // Standard uncertainties of k and x0 in double, from the covariance of the line
    // force = a0 + a1 raw (k = a1, x0 = -a0 / a1), propagated to first order.
    double slopeUncertainty = 0;
    double zeroUncertainty = 0;
    PolynomialUncertainty line;
};

// Throws ToolError(ExitFile) when fewer than two different readings are measured.
LinearForceFit FitLinearForce(const Measurements& measurements, const LinearLawOutputs& outputs);
