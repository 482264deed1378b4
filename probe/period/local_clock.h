// The current month from the local clock, behind a seam for tests. Each module
// that links this holds its own seam: setting it in a tool leaves the probe
// libraries the tool loads on the local clock.
#pragma once

#include "calibration_period.h"

namespace probe {

using ClockFunction = YearMonth (*)();

// The computer's local month; January 1900 when the calendar cannot hold the clock.
YearMonth LocalYearMonth();

YearMonth CurrentYearMonth();
// Replaces the clock; null puts the local clock back.
void SetClockForTesting(ClockFunction clock);

}  // namespace probe
