// The uncertainty of a least-squares polynomial from the covariance of its solve:
// of each monomial coefficient the image stores, and of the fitted result over the
// measured range. With stated uncertainties (a weighted fit) the covariance is
// taken as it is; without, it is scaled by the residuals' variance, RSS / (n - m)
// for n measurements and m coefficients.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "least_squares.h"

struct PolynomialUncertainty {
    bool stated = false;  // from the measurements' uncertainties, not scaled
    double scale = 1;     // applied to the solve's (R^T R)^-1; NaN when n = m unstated
    // Of the monomial coefficients c0..cN, row-major, in the polynomial's units.
    std::vector<double> covariance;
    std::vector<double> coefficients;  // standard uncertainty of each coefficient
    // Standard uncertainty of the fitted result (outputPerValue x polynomial) at each
    // measurement, and its largest over the measured range of x, where it is.
    std::vector<double> atMeasurements;
    double largest = 0;
    double largestAt = 0;
};

// x are the solve's arguments; the unstated scale uses the solution's own sum of
// squared residuals.
PolynomialUncertainty PolynomialUncertaintyOf(const PolynomialLeastSquares& solution,
                                              std::span<const double> x, bool stated,
                                              double outputPerValue);

// The covariance of monomial coefficients from that of Chebyshev ones on this axis:
// T C T^T, with T the exact linear map ChebyshevToMonomials applies.
std::vector<double> MonomialCovariance(std::span<const double> basisCovariance,
                                       const ScaledAxis& axis);

// Chi-square per degree of freedom of residuals against stated uncertainties, with
// m fitted parameters; nothing when there are no more measurements than that.
std::optional<double> ReducedChiSquare(std::span<const double> residuals,
                                       std::span<const double> uncertainties, std::size_t m);

// Whether a reduced chi-square lies outside the range that the chi-square law of
// these degrees of freedom gives in all but about 3 in 1000 cases (3 sigma, by the
// Wilson-Hilferty approximation): the stated uncertainties do not match the scatter.
bool FarFromOne(double reducedChiSquare, std::size_t degreesOfFreedom);
