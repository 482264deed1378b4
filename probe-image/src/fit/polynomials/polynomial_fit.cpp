#include "polynomial_fit.h"

#include <algorithm>
#include <cmath>

#include "tool_error.h"

namespace {

constexpr unsigned kLowestChosenOrder = 1;
constexpr double kUniformRoundingVariance = 1.0 / 12.0;  // of a rounding error, in spacings^2

// The variance that the float32 rounding of the polynomial's value and of the
// library's result adds to each residual, in the polynomial's units (weighted where
// the samples are), on average.
double RoundingVariance(const PolynomialSamples& samples) {
    double sum = 0;
    const double scale = std::abs(samples.outputPerValue);
    for (std::size_t i = 0; i < samples.measured.size(); ++i) {
        const double measured = samples.measured[i];
        const double value = FloatSpacing(measured / samples.outputPerValue);
        const double output = FloatSpacing(measured) / scale;
        const double weight = samples.weights.empty() ? 1 : samples.weights[i];
        sum += (value * value + output * output) * kUniformRoundingVariance * weight * weight;
    }
    return sum / static_cast<double>(samples.measured.size());
}

std::string Readings(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " different reading" : " different readings");
}

}  // namespace

std::size_t DistinctCount(std::span<const double> values) {
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    return static_cast<std::size_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
}

PolynomialFit SolvePolynomial(const PolynomialSamples& samples, const OrderRequest& request,
                              const std::string& source) {
    PolynomialFit fit;
    fit.source = source;
    fit.distinct = DistinctCount(samples.x);
    const std::size_t count = samples.x.size();
    const double floor = RoundingVariance(samples);
    const std::vector<double> targets = PolynomialTargets(samples);

    if (request.order) {
        fit.order = *request.order;
        if (fit.distinct < fit.order + 1u)
            throw ToolError(ExitFile, source + ": " + Readings(fit.distinct) + ", but order " +
                                          std::to_string(fit.order) + " needs at least " +
                                          std::to_string(fit.order + 1));
    } else {
        const unsigned highest =
            static_cast<unsigned>(std::min<std::size_t>(request.limit, fit.distinct - 1));
        if (highest < kLowestChosenOrder)
            throw ToolError(ExitFile, source + ": " + Readings(fit.distinct) +
                                          ", but a fit needs at least " +
                                          std::to_string(kLowestChosenOrder + 1));
        const PolynomialLeastSquares all =
            FitPolynomial(samples.x, targets, highest, samples.weights);
        fit.criterion = ChooseOrder(all.residualSquares, count, floor, kLowestChosenOrder);
        fit.order = fit.criterion.order;
        fit.chosen = true;
    }
    fit.solution = FitPolynomial(samples.x, targets, fit.order, samples.weights);
    fit.uncertainty = PolynomialUncertaintyOf(fit.solution, samples.x, !samples.weights.empty(),
                                              samples.outputPerValue);
    if (!fit.chosen && fit.order >= kLowestChosenOrder)
        fit.criterion = ChooseOrder(fit.solution.residualSquares, count, floor, kLowestChosenOrder);
    fit.preferredOrder = fit.order >= kLowestChosenOrder ? fit.criterion.order : fit.order;

    std::vector<double> residuals(count);
    for (std::size_t i = 0; i < count; ++i)
        residuals[i] = samples.outputPerValue * fit.solution.fitted[i] - samples.measured[i];
    fit.doubleResiduals = Summarise(residuals);
    return fit;
}

void FitFloats(PolynomialFit& fit, const PolynomialSamples& samples,
               const LibraryOutputs& outputs) {
    fit.floats = FitFloatCoefficients(samples, fit.solution.coefficients, outputs);
}
