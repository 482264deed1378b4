// The force law's breakpoints and the raw force readings it is drawn over.
#pragma once

#include <cstddef>
#include <vector>

#include "palvo.h"

struct Breakpoint {
    const char* name;    // the record field: ForceX0, ForceX1, ForceX2
    const char* symbol;  // x0, x1, x2
    float raw;
};

// The finite breakpoints of a type-3 or type-6 force law; none for type 2.
std::vector<Breakpoint> ForceBreakpoints(const ProbeParameters& record);

// count evenly spaced readings over the breakpoints and a margin on either side,
// with each breakpoint and the reading just below it, so a step shows at its
// place. Ascending, each reading once.
std::vector<float> ForceReadings(const std::vector<Breakpoint>& breakpoints, std::size_t count);

// The reading just below a breakpoint: the float next to it towards minus infinity.
float JustBelow(float raw);
