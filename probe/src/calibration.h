// Whether the probe is within its usage limit and calibration period.
#pragma once

#include <cstdint>

#include "probe_state.h"

namespace probe {

struct YearMonth {
    int year;   // full year, e.g. 2026
    int month;  // 1..12
};

// The month count from the calibration date to now; negative when the date lies ahead.
std::int32_t MonthsSinceCalibration(const char* calibrationDate, YearMonth now);

std::uint16_t IsCalibrated(const ProbeState& state, YearMonth now, std::int32_t* calibrated);

}  // namespace probe
