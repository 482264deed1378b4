#include "least_squares.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using Eigen::Index;
using Eigen::MatrixXd;
using Eigen::VectorXd;

// x mapped to t = (x - centre) / halfWidth, which spans -1 to 1.
struct ScaledAxis {
    double centre = 0;
    double halfWidth = 1;
};

ScaledAxis AxisOf(std::span<const double> x) {
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    ScaledAxis axis;
    axis.centre = *low / 2 + *high / 2;
    const double half = *high / 2 - *low / 2;
    if (half > 0)
        axis.halfWidth = half;
    return axis;
}

// T_k(t) for k = 0..order, one row per x.
MatrixXd ChebyshevDesign(std::span<const double> x, const ScaledAxis& axis, unsigned order) {
    MatrixXd design(static_cast<Index>(x.size()), static_cast<Index>(order) + 1);
    for (Index i = 0; i < design.rows(); ++i) {
        const double t = (x[static_cast<std::size_t>(i)] - axis.centre) / axis.halfWidth;
        design(i, 0) = 1;
        if (order >= 1)
            design(i, 1) = t;
        for (unsigned k = 2; k <= order; ++k)
            design(i, k) = 2 * t * design(i, k - 1) - design(i, k - 2);
    }
    return design;
}

// The monomial coefficients in x of sum b_k T_k((x - centre) / halfWidth).
std::vector<double> ToMonomials(const VectorXd& b, const ScaledAxis& axis) {
    const std::size_t count = static_cast<std::size_t>(b.size());
    // Powers of t, with the coefficients of T_k from T_k = 2 t T_(k-1) - T_(k-2).
    std::vector<double> a(count, 0);
    std::vector<double> previous(count, 0);
    std::vector<double> current(count, 0);
    previous[0] = 1;
    a[0] = b(0);
    if (count > 1) {
        current[1] = 1;
        a[1] = b(1);
    }
    for (std::size_t k = 2; k < count; ++k) {
        std::vector<double> next(count, 0);
        for (std::size_t j = 0; j < count; ++j)
            next[j] = (j > 0 ? 2 * current[j - 1] : 0) - previous[j];
        for (std::size_t j = 0; j <= k; ++j)
            a[j] += b(static_cast<Index>(k)) * next[j];
        previous = std::move(current);
        current = std::move(next);
    }
    // t = u / halfWidth with u = x - centre; divided step by step so that no power of
    // the half width overflows on the way.
    for (std::size_t j = 1; j < count; ++j)
        for (std::size_t r = 0; r < j; ++r)
            a[j] /= axis.halfWidth;
    // q(u) to p(x) = q(x - centre): repeated synthetic division (a Taylor shift).
    for (std::size_t i = 0; i + 1 < count; ++i)
        for (std::size_t j = count - 1; j-- > i;)
            a[j] -= axis.centre * a[j + 1];
    return a;
}

double ConditionNumber(const VectorXd& singularValues) {
    const double smallest = singularValues(singularValues.size() - 1);
    if (!(smallest > 0))
        return std::numeric_limits<double>::infinity();
    return singularValues(0) / smallest;
}

double MonomialCondition(std::span<const double> x, unsigned order) {
    const std::vector<double> powers = MonomialPowers(x, order);
    const Index columns = static_cast<Index>(order) + 1;
    MatrixXd design =
        Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>(
            powers.data(), static_cast<Index>(x.size()), columns);
    for (Index k = 0; k < columns; ++k) {
        const double norm = design.col(k).norm();
        if (!(norm > 0) || !std::isfinite(norm))
            return std::numeric_limits<double>::infinity();
        design.col(k) /= norm;
    }
    return ConditionNumber(Eigen::JacobiSVD<MatrixXd>(design).singularValues());
}

// The factorisation every order up to the highest shares: the first k + 1 columns
// of the Chebyshev design are those of order k, so one Householder QR serves all.
class ChebyshevSolve {
  public:
    ChebyshevSolve(std::span<const double> x, unsigned order)
        : axis_(AxisOf(x)), qr_(ChebyshevDesign(x, axis_, order)) {}

    // Q^T y: its first k + 1 entries give the order-k solution, the rest its residual.
    VectorXd Rotated(const VectorXd& y) const { return qr_.householderQ().transpose() * y; }

    // The order-k least-squares polynomial in the Chebyshev basis.
    VectorXd Solution(const VectorXd& rotated, unsigned k) const {
        const Index n = static_cast<Index>(k) + 1;
        return qr_.matrixQR().topLeftCorner(n, n).triangularView<Eigen::Upper>().solve(
            rotated.head(n));
    }

    // Its monomial coefficients.
    std::vector<double> Monomials(const VectorXd& rotated, unsigned k) const {
        return ToMonomials(Solution(rotated, k), axis_);
    }

    // Its values at every x: Q times the rotated values kept.
    VectorXd Fitted(const VectorXd& rotated, unsigned k) const {
        VectorXd kept = VectorXd::Zero(rotated.size());
        const Index n = static_cast<Index>(k) + 1;
        kept.head(n) = rotated.head(n);
        return qr_.householderQ() * kept;
    }

    double Condition(unsigned order) const {
        const Index n = static_cast<Index>(order) + 1;
        const MatrixXd r = qr_.matrixQR().topLeftCorner(n, n).triangularView<Eigen::Upper>();
        return ConditionNumber(Eigen::JacobiSVD<MatrixXd>(r).singularValues());
    }

  private:
    ScaledAxis axis_;
    Eigen::HouseholderQR<MatrixXd> qr_;
};

VectorXd AsVector(std::span<const double> values) {
    return Eigen::Map<const VectorXd>(values.data(), static_cast<Index>(values.size()));
}

}  // namespace

std::vector<double> MonomialPowers(std::span<const double> x, unsigned order) {
    const std::size_t columns = order + 1;
    std::vector<double> powers(x.size() * columns);
    for (std::size_t i = 0; i < x.size(); ++i) {
        double power = 1;
        for (std::size_t k = 0; k < columns; ++k) {
            powers[i * columns + k] = power;
            power *= x[i];
        }
    }
    return powers;
}

PolynomialLeastSquares FitPolynomial(std::span<const double> x, std::span<const double> y,
                                     unsigned order) {
    const ChebyshevSolve solve(x, order);
    const VectorXd rotated = solve.Rotated(AsVector(y));
    PolynomialLeastSquares fit;
    fit.coefficients = solve.Monomials(rotated, order);
    const VectorXd fitted = solve.Fitted(rotated, order);
    fit.fitted.assign(fitted.data(), fitted.data() + fitted.size());
    // Order k leaves the rotated entries from k + 1 on unexplained.
    fit.residualSquares.assign(order + 1, 0);
    double tail = rotated.tail(rotated.size() - static_cast<Index>(order) - 1).squaredNorm();
    for (unsigned k = order + 1; k-- > 0;) {
        fit.residualSquares[k] = tail;
        tail += rotated(k) * rotated(k);
    }
    fit.solveCondition = solve.Condition(order);
    fit.monomialCondition = MonomialCondition(x, order);
    return fit;
}

struct CompensatedRounding::State {
    State(std::span<const double> x, std::span<const double> y, unsigned order)
        : count(x.size()),
          columns(order + 1),
          solve(x, order),
          powers(MonomialPowers(x, order)),
          target(AsVector(y)) {}

    std::size_t count;
    std::size_t columns;
    ChebyshevSolve solve;
    std::vector<double> powers;
    VectorXd target;
};

CompensatedRounding::CompensatedRounding(std::span<const double> x, std::span<const double> y,
                                         unsigned order)
    : state_(std::make_unique<State>(x, y, order)) {}

CompensatedRounding::~CompensatedRounding() = default;

std::vector<float> CompensatedRounding::Round(std::vector<float> coefficients,
                                              unsigned from) const {
    const State& s = *state_;
    VectorXd target = s.target;
    for (std::size_t k = s.columns; k-- > 0;) {
        if (k <= from)
            coefficients[k] = static_cast<float>(
                s.solve.Monomials(s.solve.Rotated(target), static_cast<unsigned>(k))[k]);
        for (std::size_t i = 0; i < s.count; ++i)
            target(static_cast<Index>(i)) -=
                static_cast<double>(coefficients[k]) * s.powers[i * s.columns + k];
    }
    return coefficients;
}
