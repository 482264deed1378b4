// Whether the probe is within its usage limit and calibration period.
#pragma once

#include <cstdint>

#include "probe_state.h"

namespace probe {

struct YearMonth {
    int year;   // full year, e.g. 2026
    int month;  // 1..12
};

// Months from the YYMM calibration date to now, both years taken as two digits;
// negative when the date lies ahead or on the far side of a turn of the century.
std::int32_t MonthsSinceCalibration(const char* calibrationDate, YearMonth now);

// Writes 1 when the usage count and the months since calibration are within their
// limits (both compared unsigned), else 0. A null result is left alone.
std::uint16_t IsCalibrated(const ProbeState& state, YearMonth now, std::int32_t* calibrated);

}  // namespace probe
