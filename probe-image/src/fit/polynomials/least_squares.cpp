#include "least_squares.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using Eigen::Index;
using Eigen::MatrixXd;
using Eigen::VectorXd;

ScaledAxis AxisOf(std::span<const double> x) {
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    ScaledAxis axis;
    axis.centre = *low / 2 + *high / 2;
    const double half = *high / 2 - *low / 2;
    if (half > 0)
        axis.halfWidth = half;
    return axis;
}

// T_k(t) for k = 0..order, one row per x, each row times its weight where given.
MatrixXd ChebyshevDesign(std::span<const double> x, const ScaledAxis& axis, unsigned order,
                         std::span<const double> weights) {
    MatrixXd design(static_cast<Index>(x.size()), static_cast<Index>(order) + 1);
    for (Index i = 0; i < design.rows(); ++i) {
        const std::vector<double> row = ChebyshevRow(x[static_cast<std::size_t>(i)], axis, order);
        const double weight = weights.empty() ? 1 : weights[static_cast<std::size_t>(i)];
        for (unsigned k = 0; k <= order; ++k)
            design(i, k) = weights.empty() ? row[k] : weight * row[k];
    }
    return design;
}

std::vector<double> ToMonomials(const VectorXd& b, const ScaledAxis& axis) {
    return ChebyshevToMonomials(
        std::span<const double>(b.data(), static_cast<std::size_t>(b.size())), axis);
}

}  // namespace

std::vector<double> ChebyshevRow(double x, const ScaledAxis& axis, unsigned order) {
    std::vector<double> row(order + 1);
    const double t = (x - axis.centre) / axis.halfWidth;
    row[0] = 1;
    if (order >= 1)
        row[1] = t;
    for (unsigned k = 2; k <= order; ++k)
        row[k] = 2 * t * row[k - 1] - row[k - 2];
    return row;
}

std::vector<double> ChebyshevToMonomials(std::span<const double> b, const ScaledAxis& axis) {
    const std::size_t count = b.size();
    // Powers of t, with the coefficients of T_k from T_k = 2 t T_(k-1) - T_(k-2).
    std::vector<double> a(count, 0);
    std::vector<double> previous(count, 0);
    std::vector<double> current(count, 0);
    previous[0] = 1;
    a[0] = b[0];
    if (count > 1) {
        current[1] = 1;
        a[1] = b[1];
    }
    for (std::size_t k = 2; k < count; ++k) {
        std::vector<double> next(count, 0);
        for (std::size_t j = 0; j < count; ++j)
            next[j] = (j > 0 ? 2 * current[j - 1] : 0) - previous[j];
        for (std::size_t j = 0; j <= k; ++j)
            a[j] += b[k] * next[j];
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

namespace {

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
    ChebyshevSolve(std::span<const double> x, unsigned order, std::span<const double> weights)
        : axis_(AxisOf(x)), qr_(ChebyshevDesign(x, axis_, order, weights)) {}

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

    // (R^T R)^-1 of the order-k solve, row-major.
    std::vector<double> UnitCovariance(unsigned k) const {
        const Index n = static_cast<Index>(k) + 1;
        const MatrixXd inverse =
            qr_.matrixQR().topLeftCorner(n, n).triangularView<Eigen::Upper>().solve(
                MatrixXd::Identity(n, n));
        const MatrixXd covariance = inverse * inverse.transpose();
        std::vector<double> entries(static_cast<std::size_t>(n * n));
        for (Index i = 0; i < n; ++i)
            for (Index j = 0; j < n; ++j)
                entries[static_cast<std::size_t>(i * n + j)] = covariance(i, j);
        return entries;
    }

    const ScaledAxis& axis() const { return axis_; }

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

// y times the weights, where given.
VectorXd Weighted(std::span<const double> y, std::span<const double> weights) {
    VectorXd target = AsVector(y);
    if (!weights.empty())
        target.array() *= AsVector(weights).array();
    return target;
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
                                     unsigned order, std::span<const double> weights) {
    const ChebyshevSolve solve(x, order, weights);
    const VectorXd rotated = solve.Rotated(Weighted(y, weights));
    PolynomialLeastSquares fit;
    fit.coefficients = solve.Monomials(rotated, order);
    VectorXd fitted = solve.Fitted(rotated, order);
    if (!weights.empty())
        fitted.array() /= AsVector(weights).array();
    fit.fitted.assign(fitted.data(), fitted.data() + fitted.size());
    fit.axis = solve.axis();
    fit.basisCovariance = solve.UnitCovariance(order);
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
    State(std::span<const double> x, std::span<const double> y, unsigned order,
          std::span<const double> w)
        : count(x.size()),
          columns(order + 1),
          solve(x, order, w),
          powers(MonomialPowers(x, order)),
          weights(w.begin(), w.end()),
          target(Weighted(y, w)) {}

    std::size_t count;
    std::size_t columns;
    ChebyshevSolve solve;
    std::vector<double> powers;
    std::vector<double> weights;
    VectorXd target;  // weighted
};

CompensatedRounding::CompensatedRounding(std::span<const double> x, std::span<const double> y,
                                         unsigned order, std::span<const double> weights)
    : state_(std::make_unique<State>(x, y, order, weights)) {}

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
            target(static_cast<Index>(i)) -= static_cast<double>(coefficients[k]) *
                                             s.powers[i * s.columns + k] *
                                             (s.weights.empty() ? 1 : s.weights[i]);
    }
    return coefficients;
}
