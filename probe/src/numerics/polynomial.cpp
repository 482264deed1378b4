#include "polynomial.h"

#include "exact_power.h"

namespace probe {
namespace {

constexpr int kLargestReading = kPositionTableSize - kPositionTableZero - 1;  // 32767

float TableEntry(float value) {
    return static_cast<float>(static_cast<double>(value) * kPositionTableScale);
}

void BuildEntryByEntry(const float* coefficients, std::uint16_t order, float* table) {
    for (int i = 0; i < kPositionTableSize; ++i) {
        double x = i - kPositionTableZero;
        table[i] = TableEntry(EvaluatePolynomial(x, coefficients, order));
    }
}

}  // namespace

float EvaluatePolynomial(double x, const float* coefficients, std::uint16_t order) {
    double sum = coefficients[0];
    ExactPowerSequence powers(x);
    for (unsigned k = 1; k <= order; ++k)
        sum += powers.Next() * static_cast<double>(coefficients[k]);
    return static_cast<float>(sum);
}

// The same sums as EvaluatePolynomial, term by term in the same order; only the
// powers are found faster. Every reading x = m 2^t with m odd: the powers of m are
// rounded once per m, those of m 2^t follow by exact multiplications with 2^(tk),
// and those of -x differ from those of x only in the sign of the odd powers.
void BuildPositionTable(const float* coefficients, std::uint16_t order, float* table) {
    if (order > kMaxExactPowerExponent) {
        BuildEntryByEntry(coefficients, order, table);
        return;
    }
    double c[kMaxExactPowerExponent + 1];
    double twoToThe[kMaxExactPowerExponent + 1];  // 2^k
    for (unsigned k = 0; k <= order; ++k) {
        c[k] = coefficients[k];
        twoToThe[k] = k == 0 ? 1.0 : 2.0 * twoToThe[k - 1];
    }

    double sum = c[0];
    for (unsigned k = 1; k <= order; ++k)
        sum += 0.0 * c[k];  // 0^k = +0
    table[kPositionTableZero] = TableEntry(static_cast<float>(sum));

    double power[kMaxExactPowerExponent + 1];   // x^k
    double mirror[kMaxExactPowerExponent + 1];  // (-x)^k
    for (int m = 1; m <= kPositionTableZero; m += 2) {
        SmallIntegerPowers(static_cast<std::uint32_t>(m), order, power);
        for (unsigned k = 1; k <= order; ++k)
            mirror[k] = (k & 1) != 0 ? -power[k] : power[k];
        for (int x = m; x <= kPositionTableZero; x *= 2) {
            if (x != m) {
                for (unsigned k = 1; k <= order; ++k) {
                    power[k] *= twoToThe[k];
                    mirror[k] *= twoToThe[k];
                }
            }
            double up = c[0];
            double down = c[0];
            for (unsigned k = 1; k <= order; ++k) {
                up += power[k] * c[k];
                down += mirror[k] * c[k];
            }
            if (x <= kLargestReading) {
                table[kPositionTableZero + x] = TableEntry(static_cast<float>(up));
            }
            table[kPositionTableZero - x] = TableEntry(static_cast<float>(down));
        }
    }
}

}  // namespace probe
