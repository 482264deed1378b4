#include "polynomial_uncertainty.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Points on the measured range at which the result's uncertainty is looked at,
// besides the measurements themselves; it is a polynomial of degree 2N in x, so
// its largest lies at an end or between these.
constexpr std::size_t kRangeSamples = 1025;
constexpr double kSigmas = 3;

// Variance of sum b_k T_k at x for a Chebyshev covariance (row-major).
double BasisVariance(std::span<const double> covariance, const ScaledAxis& axis,
                     std::size_t columns, double x) {
    const std::vector<double> row = ChebyshevRow(x, axis, static_cast<unsigned>(columns - 1));
    double variance = 0;
    for (std::size_t i = 0; i < columns; ++i)
        for (std::size_t j = 0; j < columns; ++j)
            variance += row[i] * covariance[i * columns + j] * row[j];
    return std::max(variance, 0.0);
}

}  // namespace

std::vector<double> MonomialCovariance(std::span<const double> basisCovariance,
                                       const ScaledAxis& axis) {
    const std::size_t columns = static_cast<std::size_t>(
        std::llround(std::sqrt(static_cast<double>(basisCovariance.size()))));
    // Column j of T: the monomials of T_j alone.
    std::vector<double> map(columns * columns);
    for (std::size_t j = 0; j < columns; ++j) {
        std::vector<double> unit(columns, 0);
        unit[j] = 1;
        const std::vector<double> monomials = ChebyshevToMonomials(unit, axis);
        for (std::size_t i = 0; i < columns; ++i)
            map[i * columns + j] = monomials[i];
    }
    std::vector<double> covariance(columns * columns, 0);
    for (std::size_t i = 0; i < columns; ++i)
        for (std::size_t j = 0; j < columns; ++j) {
            double sum = 0;
            for (std::size_t k = 0; k < columns; ++k)
                for (std::size_t l = 0; l < columns; ++l)
                    sum += map[i * columns + k] * basisCovariance[k * columns + l] *
                           map[j * columns + l];
            covariance[i * columns + j] = sum;
        }
    return covariance;
}

PolynomialUncertainty PolynomialUncertaintyOf(const PolynomialLeastSquares& solution,
                                              std::span<const double> x, bool stated,
                                              double outputPerValue) {
    PolynomialUncertainty result;
    const std::size_t columns = solution.coefficients.size();
    const std::size_t count = x.size();
    result.stated = stated;
    if (!stated)
        result.scale = count > columns
                           ? solution.residualSquares.back() / static_cast<double>(count - columns)
                           : std::numeric_limits<double>::quiet_NaN();
    std::vector<double> basis = solution.basisCovariance;
    for (double& entry : basis)
        entry *= result.scale;
    result.covariance = MonomialCovariance(basis, solution.axis);
    for (std::size_t k = 0; k < columns; ++k)
        result.coefficients.push_back(std::sqrt(result.covariance[k * columns + k]));

    const double factor = std::abs(outputPerValue);
    const auto at = [&](double value) {
        return factor * std::sqrt(BasisVariance(basis, solution.axis, columns, value));
    };
    double low = x.empty() ? 0 : x[0];
    double high = low;
    for (double value : x) {
        result.atMeasurements.push_back(at(value));
        low = std::min(low, value);
        high = std::max(high, value);
    }
    result.largestAt = low;
    result.largest = at(low);
    for (std::size_t i = 1; i < kRangeSamples; ++i) {
        const double value = i + 1 == kRangeSamples ? high
                                                    : low + (high - low) * static_cast<double>(i) /
                                                                (kRangeSamples - 1);
        const double u = at(value);
        if (u > result.largest || std::isnan(u)) {
            result.largest = u;
            result.largestAt = value;
        }
    }
    return result;
}

std::optional<double> ReducedChiSquare(std::span<const double> residuals,
                                       std::span<const double> uncertainties, std::size_t m) {
    if (residuals.size() <= m || uncertainties.size() != residuals.size())
        return std::nullopt;
    double sum = 0;
    for (std::size_t i = 0; i < residuals.size(); ++i)
        sum += (residuals[i] / uncertainties[i]) * (residuals[i] / uncertainties[i]);
    return sum / static_cast<double>(residuals.size() - m);
}

bool FarFromOne(double reducedChiSquare, std::size_t degreesOfFreedom) {
    if (degreesOfFreedom == 0)
        return false;
    // chi2 / nu is about (1 - 2 / (9 nu) + z sqrt(2 / (9 nu)))^3 at the normal quantile z.
    const double a = 2.0 / (9.0 * static_cast<double>(degreesOfFreedom));
    const double low = std::pow(std::max(0.0, 1 - a - kSigmas * std::sqrt(a)), 3);
    const double high = std::pow(1 - a + kSigmas * std::sqrt(a), 3);
    return !(reducedChiSquare >= low && reducedChiSquare <= high);
}
