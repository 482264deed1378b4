// x^k for a double x and a small integer k, correctly rounded (to nearest, ties
// to even): the value pow would give if it were exact. Platform pow is not.
#pragma once

namespace probe {

double ExactPower(double x, unsigned k);

}  // namespace probe
