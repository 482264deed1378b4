// Runs of neighbouring values in a curve: where it is not finite, and where it
// moves against its overall direction.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

// Values first to last, both included.
struct IndexRun {
    std::size_t first = 0;
    std::size_t last = 0;
};

// Runs of NaN or infinite values.
std::vector<IndexRun> NonFiniteRuns(std::span<const float> values);

// Runs over which the finite values move against the curve's overall direction
// (from its first finite value to its last; rising when they are equal). Each run
// goes from the last value before the curve turns back to the last value of the
// turn; a flat stretch inside a turn does not end it. Non-finite values are
// passed over.
std::vector<IndexRun> TurnBackRuns(std::span<const float> values);
