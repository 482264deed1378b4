#include "order_choice.h"

#include <algorithm>
#include <cmath>

OrderChoice ChooseOrder(std::span<const double> residualSquares, std::size_t count,
                        double floorVariance, unsigned lowest) {
    OrderChoice choice;
    const double n = static_cast<double>(count);
    for (unsigned k = lowest; k < residualSquares.size(); ++k) {
        const double variance = std::max(residualSquares[k] / n, floorVariance);
        const double criterion = n * std::log(variance) + (k + 1) * std::log(n);
        if (choice.scores.empty() || criterion < choice.scores[choice.order - lowest].criterion)
            choice.order = k;
        choice.scores.push_back({k, criterion});
    }
    return choice;
}
