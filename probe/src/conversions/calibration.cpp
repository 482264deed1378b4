#include "calibration.h"

namespace probe {

std::uint16_t IsCalibrated(const ProbeState& state, YearMonth now, std::int32_t* calibrated) {
    if (!state.Ready)
        return ProbeStatusNotReady;
    if (calibrated == nullptr)
        return ProbeStatusOk;
    const ProbeParameters& record = state.Parameters;
    // Unsigned on purpose: a negative usage count is out of limits.
    auto usage = static_cast<std::uint32_t>(record.UsageCount);
    *calibrated =
        usage <= record.UsageLimit &&
                WithinCalibrationPeriod(record.CalibrationDate, record.CalibrationMonths, now)
            ? 1
            : 0;
    return ProbeStatusOk;
}

}  // namespace probe
