#include "linear_force_fit.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "least_squares.h"
#include "polynomial_fit.h"
#include "tool_error.h"

namespace {

constexpr double kHundredths = 100.0;  // the image keeps k and x0 to two decimals
constexpr int kNeighbours = 1;         // candidates either side of the rounded value

float Hundredths(double steps) {
    return static_cast<float>(steps / kHundredths);
}

// The x0 that fits best for a given k: the mean of raw - force / k, weighted by
// 1/u^2 where uncertainties are stated.
double BestZero(const Measurements& measurements, double k) {
    if (k == 0)
        return 0;
    if (measurements.uncertainty.empty()) {
        double sum = 0;
        for (std::size_t i = 0; i < measurements.raw.size(); ++i)
            sum += measurements.raw[i] - measurements.value[i] / k;
        return sum / static_cast<double>(measurements.raw.size());
    }
    double sum = 0;
    double weights = 0;
    for (std::size_t i = 0; i < measurements.raw.size(); ++i) {
        const double weight = 1 / (measurements.uncertainty[i] * measurements.uncertainty[i]);
        sum += weight * (measurements.raw[i] - measurements.value[i] / k);
        weights += weight;
    }
    return sum / weights;
}

}  // namespace

LinearForceFit FitLinearForce(const Measurements& measurements, const LinearLawOutputs& outputs) {
    const std::vector<double> raw(measurements.raw.begin(), measurements.raw.end());
    if (DistinctCount(raw) < 2)
        throw ToolError(ExitFile, measurements.source +
                                      ": a linear force law needs at least 2 different readings");
    std::vector<double> weights;
    for (double u : measurements.uncertainty)
        weights.push_back(1 / u);
    const PolynomialLeastSquares line = FitPolynomial(raw, measurements.value, 1, weights);
    LinearForceFit fit;
    fit.slope = line.coefficients[1];
    fit.zero = fit.slope != 0 ? -line.coefficients[0] / fit.slope : 0;
    fit.line = PolynomialUncertaintyOf(line, raw, !weights.empty(), 1);
    const std::vector<double>& c = fit.line.covariance;  // of a0, a1
    fit.slopeUncertainty = std::sqrt(c[3]);
    if (fit.slope != 0) {
        // d x0 / d a0 = -1 / a1, d x0 / d a1 = a0 / a1^2
        const double d0 = -1 / fit.slope;
        const double d1 = line.coefficients[0] / (fit.slope * fit.slope);
        fit.zeroUncertainty =
            std::sqrt(std::max(0.0, d0 * d0 * c[0] + 2 * d0 * d1 * c[1] + d1 * d1 * c[3]));
    }
    std::vector<double> residuals(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i)
        residuals[i] = line.fitted[i] - measurements.value[i];
    fit.doubleResiduals = Summarise(residuals);

    // Each rounded on its own first, then the neighbours of the rounded k, each with
    // the x0 that suits it best and that x0's neighbours.
    const double slopeSteps = std::round(fit.slope * kHundredths);
    std::vector<std::pair<float, float>> candidates = {
        {Hundredths(slopeSteps), Hundredths(std::round(fit.zero * kHundredths))}};
    for (int j = -kNeighbours; j <= kNeighbours; ++j) {
        const float k = Hundredths(slopeSteps + j);
        const double zeroSteps = std::round(BestZero(measurements, k) * kHundredths);
        for (int i = -kNeighbours; i <= kNeighbours; ++i)
            candidates.push_back({k, Hundredths(zeroSteps + i)});
    }
    for (const auto& [k, x0] : candidates) {
        const ResidualSummary summary = Summarise(Residuals(outputs(k, x0), measurements.value));
        if (fit.trials++ == 0) {
            fit.roundedK = fit.forceK = k;
            fit.roundedX0 = fit.forceX0 = x0;
            fit.roundedResiduals = fit.refinedResiduals = summary;
        } else if (Better(summary, fit.refinedResiduals)) {
            fit.forceK = k;
            fit.forceX0 = x0;
            fit.refinedResiduals = summary;
        }
    }
    return fit;
}
