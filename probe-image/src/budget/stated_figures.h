// An expanded uncertainty and its result as a certificate states them: U to two
// significant digits, rounded up so that it never claims less than was computed,
// and the result to the same decimal place.
#pragma once

#include <string>

struct StatedFigures {
    std::string result;
    std::string U;
    int decimals = 0;  // places after the point of both; 0 or more
};

// Non-finite values and a U of 0 are stated with printf "%.6g".
StatedFigures StateFigures(double result, double U);
