// Float32 coefficients for a least-squares polynomial, judged by what the library
// computes from them. The double solution is rounded two ways (each coefficient on
// its own, and highest first with the lower ones fitted again to what each rounding
// left over); the better of the two through the library is then refined by single
// steps of one coefficient to a neighbouring float, kept while the library's sum of
// squared residuals falls.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "residuals.h"

// The library's results at every measured reading for candidate coefficients.
using LibraryOutputs = std::function<std::vector<float>(const std::vector<float>&)>;

struct PolynomialSamples {
    std::vector<double> x;         // the polynomial's argument at each measurement
    std::vector<double> measured;  // what the library's result should be there
    double outputPerValue = 1;     // result = outputPerValue x polynomial, as a model
    // 1/u of each measurement in the polynomial's units (|outputPerValue| / u for a
    // result's standard uncertainty u); empty: unweighted.
    std::vector<double> weights;
};

// What the polynomial itself should be at each measurement: measured / outputPerValue.
std::vector<double> PolynomialTargets(const PolynomialSamples& samples);

struct FloatFit {
    std::vector<float> rounded;  // each double coefficient rounded on its own
    ResidualSummary roundedResiduals;
    std::vector<float> refined;
    ResidualSummary refinedResiduals;
    std::size_t trials = 0;  // images the library encoded, loaded and converted with
};

// Throws ToolError(ExitFile) when a coefficient does not fit a float.
FloatFit FitFloatCoefficients(const PolynomialSamples& samples,
                              const std::vector<double>& coefficients,
                              const LibraryOutputs& outputs);
