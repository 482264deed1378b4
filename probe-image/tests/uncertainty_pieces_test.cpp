// Weighted least squares and the uncertainty of its solution, without a library:
// the covariance against closed forms and a direct computation in the monomials,
// the numpy-like scaling without stated uncertainties, weights moving the solution,
// the chi-square test, and measurement files with a column of uncertainties.
#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <cmath>
#include <string>
#include <vector>

#include "least_squares.h"
#include "measurements.h"
#include "polynomial_uncertainty.h"
#include "tool_error.h"

namespace {

void ExpectRelative(double actual, double expected, double relative, const std::string& what) {
    EXPECT_LE(std::abs(actual - expected), relative * std::abs(expected))
        << what << ": " << actual << " against " << expected;
}

std::vector<double> Inverses(const std::vector<double>& u) {
    std::vector<double> w;
    for (double value : u)
        w.push_back(1 / value);
    return w;
}

// A line with known uncertainties: var(a0) = Sxx / D, var(a1) = S / D,
// cov(a0, a1) = -Sx / D with S = sum w^2, Sx = sum w^2 x, Sxx = sum w^2 x^2,
// D = S Sxx - Sx^2 (w = 1/u).
TEST(CoefficientUncertainty, AStraightLineMatchesTheClosedForm) {
    const std::vector<double> x = {100, 103, 104.5, 108, 111, 115, 120};
    const std::vector<double> y = {2.01, 2.3, 2.49, 2.79, 3.13, 3.48, 4.02};
    const std::vector<double> u = {0.01, 0.02, 0.01, 0.05, 0.02, 0.01, 0.03};
    double s = 0, sx = 0, sxx = 0, sy = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double w2 = 1 / (u[i] * u[i]);
        s += w2;
        sx += w2 * x[i];
        sxx += w2 * x[i] * x[i];
        sy += w2 * y[i];
        sxy += w2 * x[i] * y[i];
    }
    const double d = s * sxx - sx * sx;
    const double a0 = (sxx * sy - sx * sxy) / d;
    const double a1 = (s * sxy - sx * sy) / d;

    const double outputPerValue = -0.03;  // the uncertainty of a result is |factor| x that of y
    const PolynomialLeastSquares fit = FitPolynomial(x, y, 1, Inverses(u));
    const PolynomialUncertainty uncertainty = PolynomialUncertaintyOf(fit, x, true, outputPerValue);
    ExpectRelative(fit.coefficients[0], a0, 1e-12, "a0");
    ExpectRelative(fit.coefficients[1], a1, 1e-12, "a1");
    EXPECT_EQ(uncertainty.scale, 1);
    ExpectRelative(uncertainty.covariance[0], sxx / d, 1e-9, "var a0");
    ExpectRelative(uncertainty.covariance[1], -sx / d, 1e-9, "cov a0 a1");
    ExpectRelative(uncertainty.covariance[2], -sx / d, 1e-9, "cov a1 a0");
    ExpectRelative(uncertainty.covariance[3], s / d, 1e-9, "var a1");
    ExpectRelative(uncertainty.coefficients[0], std::sqrt(sxx / d), 1e-9, "u(a0)");
    ExpectRelative(uncertainty.coefficients[1], std::sqrt(s / d), 1e-9, "u(a1)");
    for (std::size_t i = 0; i < x.size(); ++i)
        ExpectRelative(uncertainty.atMeasurements[i],
                       0.03 * std::sqrt((sxx - 2 * sx * x[i] + s * x[i] * x[i]) / d), 1e-9,
                       std::string("u(fit) at ") + std::to_string(x[i]));
    // A line's uncertainty is largest at an end of the range.
    ExpectRelative(uncertainty.largest,
                   std::max(uncertainty.atMeasurements.front(), uncertainty.atMeasurements.back()),
                   1e-12, "largest");
    // Seven points, two coefficients: five degrees of freedom.
    double chi = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        chi += std::pow((fit.fitted[i] - y[i]) / u[i], 2);
    ExpectRelative(*ReducedChiSquare(std::vector<double>{fit.fitted[0] - y[0], fit.fitted[1] - y[1],
                                                         fit.fitted[2] - y[2], fit.fitted[3] - y[3],
                                                         fit.fitted[4] - y[4], fit.fitted[5] - y[5],
                                                         fit.fitted[6] - y[6]},
                                     u, 2),
                   chi / 5, 1e-12, "reduced chi-square");
    ExpectRelative(fit.residualSquares[1], chi, 1e-9, "weighted RSS");
}

// The monomial covariance is T C T^T of the Chebyshev one: the same as
// (X^T W^2 X)^-1 in the monomials directly, and without stated uncertainties that
// times RSS / (n - m), as numpy's polyfit(cov=True) scales it.
TEST(CoefficientUncertainty, TheMonomialConversionIsTheDirectCovariance) {
    const std::vector<double> x = {-2, -1.5, -0.5, 0, 0.7, 1.2, 2.5, 3};
    const std::vector<double> y = {4.1, 2.2, 0.35, 0.02, 0.5, 1.5, 6.2, 9.1};
    const std::vector<double> u = {0.1, 0.2, 0.1, 0.05, 0.1, 0.3, 0.2, 0.1};
    for (bool stated : {true, false}) {
        const std::vector<double> w = stated ? Inverses(u) : std::vector<double>{};
        const PolynomialLeastSquares fit = FitPolynomial(x, y, 2, w);
        const PolynomialUncertainty uncertainty = PolynomialUncertaintyOf(fit, x, stated, 1);
        Eigen::MatrixXd design(x.size(), 3);
        Eigen::VectorXd target(x.size());
        for (Eigen::Index i = 0; i < design.rows(); ++i) {
            const double weight = stated ? w[i] : 1;
            for (Eigen::Index k = 0; k < 3; ++k)
                design(i, k) = weight * std::pow(x[i], static_cast<double>(k));
            target(i) = weight * y[i];
        }
        Eigen::MatrixXd direct = (design.transpose() * design).inverse();
        if (!stated) {
            const Eigen::VectorXd solution = direct * design.transpose() * target;
            direct *= (design * solution - target).squaredNorm() / (x.size() - 3.0);
        }
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                ExpectRelative(uncertainty.covariance[i * 3 + j], direct(i, j), 1e-9,
                               std::string("C") + std::to_string(i) + std::to_string(j) +
                                   (stated ? " stated" : " scaled"));
    }
}

TEST(CoefficientUncertainty, WeightsPullTheSolutionTowardsTheSurerMeasurements) {
    // On y = x but for the last point, which is 1 high.
    const std::vector<double> x = {0, 1, 2, 3, 4};
    const std::vector<double> y = {0, 1, 2, 3, 5};
    const PolynomialLeastSquares plain = FitPolynomial(x, y, 1);
    // The outlier stated as unsure, then as the surest of all.
    const PolynomialLeastSquares unsure = FitPolynomial(x, y, 1, Inverses({1, 1, 1, 1, 10}));
    const PolynomialLeastSquares sure = FitPolynomial(x, y, 1, Inverses({1, 1, 1, 1, 0.01}));
    EXPECT_LT(std::abs(unsure.coefficients[1] - 1), std::abs(plain.coefficients[1] - 1));
    EXPECT_LT(std::abs(unsure.fitted[1] - 1), std::abs(plain.fitted[1] - 1));
    EXPECT_LT(std::abs(sure.fitted[4] - 5), std::abs(plain.fitted[4] - 5));
    EXPECT_LT(std::abs(sure.fitted[4] - 5), 1e-3);
}

TEST(CoefficientUncertainty, ChiSquareFarFromOneByItsDegreesOfFreedom) {
    EXPECT_FALSE(FarFromOne(1, 1));
    EXPECT_FALSE(FarFromOne(1.3, 100));
    EXPECT_TRUE(FarFromOne(1.7, 100));
    EXPECT_TRUE(FarFromOne(0.5, 100));
    EXPECT_FALSE(FarFromOne(4, 2));  // two degrees of freedom scatter widely
    EXPECT_TRUE(FarFromOne(0.9, 100000));
    EXPECT_FALSE(ReducedChiSquare(std::vector<double>{1, 2}, std::vector<double>{1, 1}, 2));
}

TEST(Measurements, AThirdColumnStatesEveryValuesUncertainty) {
    const Measurements read = ParseMeasurements("raw,position,u\n1,2,0.5\n3,4,1e-3\n", "m.csv");
    EXPECT_EQ(read.uncertainty, (std::vector<double>{0.5, 1e-3}));
    EXPECT_TRUE(ParseMeasurements("1,2\n3,4\n", "m.csv").uncertainty.empty());
    const std::pair<const char*, const char*> refused[] = {
        {"1,2,0.5\n3,4\n", "line 2: expected three numbers"},
        {"1,2\n3,4,0.5\n", "line 2: expected two numbers"},
        {"1,2,0\n", "line 1: uncertainty \"0\" is not above 0"},
        {"1,2,-0.1\n", "uncertainty \"-0.1\" is not above 0"},
        {"1,2,nan\n", "uncertainty \"nan\" is not finite"},
        {"1,2,0.1,4\n", "line 1: expected two numbers"},
    };
    for (const auto& [text, failure] : refused) {
        try {
            ParseMeasurements(text, "m.csv");
            ADD_FAILURE() << text;
        } catch (const ToolError& error) {
            EXPECT_NE(std::string(error.what()).find(failure), std::string::npos)
                << text << ": " << error.what();
        }
    }
}

}  // namespace
