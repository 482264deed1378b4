// The current month from the local clock, behind a seam for tests.
#pragma once

#include "calibration.h"

namespace probe {

using ClockFunction = YearMonth (*)();

YearMonth CurrentYearMonth();
// Replaces the clock; null puts the local clock back.
void SetClockForTesting(ClockFunction clock);

}  // namespace probe
