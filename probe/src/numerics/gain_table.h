// Gain factors 10^((gain - 52) / 20) for gain 0..255: the exponent rounded to
// double, the power taken exactly and rounded to double, then to float.
// Generated with the table by probe/tests/reference/make_gain_table.py.
#pragma once

#include <cstddef>

namespace probe {

inline constexpr std::size_t kGainCount = 256;

extern const float kGainFactors[kGainCount];

}  // namespace probe
