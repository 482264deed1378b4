// A curve thinned for drawing: of all its points that fall in one pixel column,
// only the smallest and the largest value are kept, so a 65536-point curve needs
// two points per column and still shows every extreme.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

struct ColumnPoint {
    std::size_t column = 0;
    float value = 0;
};

using ColumnLine = std::vector<ColumnPoint>;

// The column of a raw reading on an axis from low to high that is columns
// pixels wide; the reading at high falls in the last column.
std::size_t ColumnOf(double raw, double low, double high, std::size_t columns);

// Per column the smallest and the largest finite value, in the order they come
// (one point when they are equal). A value that is not finite ends a line, so
// the result is the lines to draw, in order. raw ascends; readings outside low to
// high are left out.
std::vector<ColumnLine> ThinToColumns(std::span<const float> raw, std::span<const float> values,
                                      double low, double high, std::size_t columns);
