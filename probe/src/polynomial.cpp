#include "polynomial.h"

#include "exact_power.h"

namespace probe {

float EvaluatePolynomial(double x, const float* coefficients, std::uint16_t order) {
    double sum = coefficients[0];
    for (unsigned k = 1; k <= order; ++k) sum += ExactPower(x, k) * static_cast<double>(coefficients[k]);
    return static_cast<float>(sum);
}

void BuildPositionTable(const float* coefficients, std::uint16_t order, float* table) {
    for (int i = 0; i < kPositionTableSize; ++i) {
        double x = i - kPositionTableZero;
        table[i] = static_cast<float>(static_cast<double>(EvaluatePolynomial(x, coefficients, order)) * 0.03);
    }
}

}  // namespace probe
