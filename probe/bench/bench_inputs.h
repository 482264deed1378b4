// What the position table benchmarks share: the image, the two ways of building
// the table, and the comparison of their bits.
#pragma once

#include <cstdint>
#include <vector>

#include "sample_images.h"

namespace probe_bench {

// A sound type-6 image with an order-15 position polynomial whose terms all
// matter somewhere in the range of the readings.
const probe_test::Image& Order15Image();

// The position coefficients of that image.
const std::vector<float>& Order15Coefficients();

// ProbeInit's work on the image (the decoder, which builds the table), then the
// state reset; a copy of the table when one is asked for. False when refused.
bool DecodeTable(const probe_test::Image& image, std::vector<float>* table = nullptr);

// The table by the same definition with the platform's pow for every power.
void NaivePowTable(const float* coefficients, std::uint16_t order, float* table);

// The table by its definition, one EvaluatePolynomial per entry.
void DefinedTable(const float* coefficients, std::uint16_t order, float* table);

// Entries whose bits differ.
int CountDifferences(const std::vector<float>& a, const std::vector<float>& b);

// Prints how the decoder's table compares with the defined and the naive ones;
// returns false when the decoder's table is not the defined one.
bool ReportTableComparison();

}  // namespace probe_bench
