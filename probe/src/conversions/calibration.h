// Whether the probe is within its usage limit and calibration period.
#pragma once

#include <cstdint>

#include "calibration_period.h"
#include "probe_state.h"

namespace probe {

// Writes 1 when the usage count and the months since calibration are within their
// limits (both compared unsigned), else 0. A null result is left alone.
std::uint16_t IsCalibrated(const ProbeState& state, YearMonth now, std::int32_t* calibrated);

}  // namespace probe
