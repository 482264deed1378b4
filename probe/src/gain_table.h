// Gain factors 10^((gain - 52) / 20) for gain 0..255: the exponent rounded to
// double, the power taken exactly and rounded to double, then to float.
#pragma once

namespace probe {

extern const float kGainFactors[256];

}  // namespace probe
