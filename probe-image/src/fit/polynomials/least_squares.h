// Least-squares polynomials y(x) of a given order whose coefficients are to be
// stored as float32 monomial coefficients c0..cN. The solve runs in a centred and
// scaled Chebyshev basis (Householder QR), where it is well conditioned even when
// the monomials of x are not; the result is converted back to monomials. Weights,
// where given, multiply each row of the design and each y (weighted least squares
// with weights 1/u for standard uncertainties u).
#pragma once

#include <memory>
#include <span>
#include <vector>

// x mapped to t = (x - centre) / halfWidth, which spans -1 to 1.
struct ScaledAxis {
    double centre = 0;
    double halfWidth = 1;
};

struct PolynomialLeastSquares {
    std::vector<double> coefficients;  // monomial, c0 first, in double
    std::vector<double> fitted;        // the polynomial at each x, from the solve's basis
    // Sum of squared residuals, weighted where weights are given, of the best
    // polynomial of each order 0..N, from the same factorisation (index = order).
    std::vector<double> residualSquares;
    // The solve's basis and (R^T R)^-1 of its QR factorisation, row-major: the
    // covariance of the Chebyshev coefficients for residuals of unit variance after
    // weighting.
    ScaledAxis axis;
    std::vector<double> basisCovariance;
    // Condition number (largest over smallest singular value) of the design matrix
    // in the basis the image stores: the monomials of x, each column scaled to unit
    // length, since float storage is relative to each coefficient's size. Above
    // about 1e15 double precision cannot tell it exactly; it is then a lower bound.
    double monomialCondition = 0;
    // The same for the centred and scaled Chebyshev basis the solve used.
    double solveCondition = 0;
};

// x and y have one entry per measurement, and so have weights unless they are
// empty (no weighting); there must be at least order + 1 distinct x.
PolynomialLeastSquares FitPolynomial(std::span<const double> x, std::span<const double> y,
                                     unsigned order, std::span<const double> weights = {});

// T_k((x - centre) / halfWidth) for k = 0..order.
std::vector<double> ChebyshevRow(double x, const ScaledAxis& axis, unsigned order);

// The monomial coefficients in x of sum b_k T_k((x - centre) / halfWidth).
std::vector<double> ChebyshevToMonomials(std::span<const double> b, const ScaledAxis& axis);

// Float32 coefficients that keep the fit as good as storage allows: the highest
// coefficient is rounded first, the lower ones are fitted again to what its
// rounding left over, and so on down to c0 (successive rounding with
// compensation). The factorisation is made once for all the roundings asked.
class CompensatedRounding {
  public:
    CompensatedRounding(std::span<const double> x, std::span<const double> y, unsigned order,
                        std::span<const double> weights = {});
    ~CompensatedRounding();
    CompensatedRounding(const CompensatedRounding&) = delete;
    CompensatedRounding& operator=(const CompensatedRounding&) = delete;

    // Coefficients above `from` are kept as given, those from `from` down are found
    // so. A coefficient beyond the float range comes back infinite.
    std::vector<float> Round(std::vector<float> coefficients, unsigned from) const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// x^k for every x and k = 0..order, row by row: powers[i * (order + 1) + k].
std::vector<double> MonomialPowers(std::span<const double> x, unsigned order);
