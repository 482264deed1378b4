// Polynomial evaluation as the library defines it, and the position table.
#pragma once

#include <cstdint>

namespace probe {

inline constexpr int kPositionTableSize = 65536;
inline constexpr int kPositionTableZero = 32768;  // entry of the reading 0
inline constexpr double kPositionTableScale = 0.03;

// c0 widened, then for k = 1..order the term x^k * ck added in double, lowest
// power first (not Horner), each power correctly rounded; the sum rounded to float.
float EvaluatePolynomial(double x, const float* coefficients, std::uint16_t order);

// Entry i = float(double(EvaluatePolynomial(i - 32768, c, order)) * 0.03) for
// i = 0..65535, bit for bit, computed much faster than entry by entry.
void BuildPositionTable(const float* coefficients, std::uint16_t order, float* table);

}  // namespace probe
