#include "calibration.h"

#include <cstring>

#include "field_text.h"

namespace probe {

std::int32_t MonthsSinceCalibration(const char* calibrationDate, YearMonth now) {
    // The text up to its NUL, read two characters at a time; characters missing
    // after the NUL read as nothing, that is 0.
    std::uint8_t text[kDateLength] = {};
    std::memcpy(text, calibrationDate, strnlen(calibrationDate, kDateLength));
    std::int32_t year = ReadInteger(text, 2);
    std::int32_t month = ReadInteger(text + 2, 2);
    return (now.year % 100 - year) * 12 + (now.month - month);
}

std::uint16_t IsCalibrated(const ProbeState& state, YearMonth now, std::int32_t* calibrated) {
    if (!state.Ready) return ProbeStatusNotReady;
    if (calibrated == nullptr) return ProbeStatusOk;
    const ProbeParameters& record = state.Parameters;
    auto months = static_cast<std::uint32_t>(MonthsSinceCalibration(record.CalibrationDate, now));
    bool withinUsage = static_cast<std::uint32_t>(record.UsageCount) <= record.UsageLimit;
    *calibrated = withinUsage && months <= record.CalibrationMonths ? 1 : 0;
    return ProbeStatusOk;
}

}  // namespace probe
