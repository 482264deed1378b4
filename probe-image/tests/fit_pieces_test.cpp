// The parts of "fit" that need no library: measurement files read row by row, the
// least squares in the scaled basis converted back to monomials, and the order the
// information criterion chooses.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "least_squares.h"
#include "measurements.h"
#include "order_choice.h"
#include "tool_error.h"

namespace {

struct CsvCase {
    const char* text;
    std::size_t rows;     // when it reads
    const char* failure;  // part of the message when it does not
};

TEST(Measurements, RowsReadOrTheFileAndLineAreNamed) {
    const CsvCase cases[] = {
        {"raw,position\n1,2\n3,4\n", 2, nullptr},
        {"1,2\r\n\r\n 3 , -4e-3 \r\n", 2, nullptr},  // no header, CRLF, blanks
        {"1,2\n1,2.5\n", 2, nullptr},                // a repeated reading is a measurement
        {"raw,position\n", 0, "m.csv: no measurements"},
        {"1,2\n3;4\n", 0, "m.csv line 2: expected two numbers"},
        {"1,2,3,4\n", 0, "m.csv line 1: expected two numbers"},
        {"1,2\nx,4\n", 0, "line 2: raw reading \"x\" is not a number"},
        {"1,\n", 0, "line 1: value \"\" is not a number"},
        {"1,nan\n", 0, "line 1: value \"nan\" is not finite"},
        {"inf,1\n", 0, "line 1: raw reading \"inf\" is not finite"},
        {"1,1e400\n", 0, "value \"1e400\" is not finite"},
        {"1e39,1\n", 0, "raw reading \"1e39\" does not fit a float"},
        {"raw,position\nraw,position\n", 0, "line 2: raw reading \"raw\" is not a number"},
    };
    for (const CsvCase& c : cases) {
        try {
            const Measurements m = ParseMeasurements(c.text, "m.csv");
            EXPECT_EQ(c.failure, nullptr) << c.text;
            EXPECT_EQ(m.raw.size(), c.rows) << c.text;
            EXPECT_EQ(m.value.size(), c.rows) << c.text;
        } catch (const ToolError& error) {
            ASSERT_NE(c.failure, nullptr) << c.text << ": " << error.what();
            EXPECT_EQ(error.code(), ExitFile);
            EXPECT_NE(std::string(error.what()).find(c.failure), std::string::npos)
                << c.text << ": " << error.what();
        }
    }
    EXPECT_EQ(ParseMeasurements(" 3 , -4e-3 ", "m").value[0], -4e-3);
}

struct PolynomialCase {
    double low;
    double high;
    std::vector<double> coefficients;  // c0 first
};

// Far from zero and narrow, the monomials are all but parallel; the scaled basis
// and its conversion back must still give the coefficients.
TEST(LeastSquares, ExactPolynomialsComeBackAsMonomials) {
    const PolynomialCase cases[] = {
        {-1, 1, {5}},
        {-32768, 32767, {0.12, 1.05e-3, 2e-9, -1e-13}},
        {9000, 11000, {3, -2e-3, 4e-7}},
        {0.5, 0.6, {1, -8, 30, -50, 31}},
    };
    for (const PolynomialCase& c : cases) {
        const unsigned order = static_cast<unsigned>(c.coefficients.size() - 1);
        std::vector<double> x;
        std::vector<double> y;
        for (int i = 0; i <= 40; ++i) {
            x.push_back(c.low + (c.high - c.low) * i / 40);
            double value = 0;
            for (unsigned k = order + 1; k-- > 0;)
                value = value * x.back() + c.coefficients[k];
            y.push_back(value);
        }
        const PolynomialLeastSquares fit = FitPolynomial(x, y, order);
        for (unsigned k = 0; k <= order; ++k)
            EXPECT_NEAR(fit.coefficients[k], c.coefficients[k], 1e-6 * std::abs(c.coefficients[k]))
                << "order " << order << ", c" << k;
        EXPECT_LT(fit.residualSquares[order], 1e-20);
        if (order > 0) {
            EXPECT_GT(fit.residualSquares[order - 1], 1e-12);  // one order less falls short
        }
        EXPECT_LT(fit.solveCondition, 10.0);
        EXPECT_GE(fit.monomialCondition, 1.0);

        const std::vector<float> rounded =
            CompensatedRounding(x, y, order).Round(std::vector<float>(order + 1), order);
        EXPECT_EQ(rounded.back(), static_cast<float>(c.coefficients.back()));
    }
}

TEST(OrderChoice, TheCriterionPrefersTheLowestOrderThatExplainsTheData) {
    struct Case {
        std::vector<double> residualSquares;  // orders 0, 1, ...
        double floor;
        unsigned expected;
    } cases[] = {
        {{100, 50, 1.00, 0.99, 0.98}, 1e-30, 2},     // noise: further orders gain little
        {{100, 50, 1e-20, 1e-24, 1e-28}, 1e-12, 2},  // exact: gains below the floor
        {{100, 90, 80, 70, 60}, 1e-30, 4},           // every order helps
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseOrder(c.residualSquares, 100, c.floor, 1).order, c.expected);
}

}  // namespace
