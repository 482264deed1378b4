// The argument of the position polynomial for a raw reading, as ProbeGetPosition
// forms it: x = float(a 18900 raw + a 60) with the gain factor a = 10^((gain - 52) / 20)
// as a float, and position = -v 1.5 / 50 for the polynomial's value v. Only the
// design of the least squares uses this model; every value reported comes from the
// library itself.
#pragma once

#include <cstdint>

inline constexpr std::uint8_t kUnityGain = 52;  // the gain whose factor is exactly 1

// position per unit of the polynomial's value.
inline constexpr double kPositionPerValue = -1.5 / 50.0;

double PositionArgument(float raw, std::uint8_t gain);
