// Choosing a polynomial order from the data by the Bayesian information
// criterion, BIC = n ln(RSS / n) + (order + 1) ln n, lowest wins: each further
// coefficient must lower the residual by a factor that grows with the number of
// measurements. It prefers the lowest order that explains the data, needs no
// random folds (so the choice is repeatable), and is not fooled by repeated
// readings as leaving one point out is.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

struct OrderScore {
    unsigned order = 0;
    double criterion = 0;  // BIC
};

struct OrderChoice {
    unsigned order = 0;
    std::vector<OrderScore> scores;  // lowest order first
};

// residualSquares[k] is the RSS of order k; orders lowest to residualSquares.size() - 1
// are scored. RSS / n is taken no lower than floorVariance: the rounding of the
// library's float32 results, below which a better fit cannot show.
OrderChoice ChooseOrder(std::span<const double> residualSquares, std::size_t count,
                        double floorVariance, unsigned lowest);
