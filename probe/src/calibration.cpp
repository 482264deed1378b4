#include "calibration.h"

#include "field_text.h"

namespace probe {
namespace {

constexpr std::size_t kYearDigits = 2;
constexpr std::size_t kMonthDigits = 2;
constexpr int kMonthsPerYear = 12;
constexpr int kYearsPerCentury = 100;

// Each pair is read on its own, as an integer that stops at the first non-digit:
// blanks or other text read as 0, a NUL ends the pair it falls in.
std::int32_t ReadPair(const char* text, std::size_t length) {
    return ReadInteger(reinterpret_cast<const std::uint8_t*>(text), length);
}

}  // namespace

std::int32_t MonthsSinceCalibration(const char* calibrationDate, YearMonth now) {
    std::int32_t year = ReadPair(calibrationDate, kYearDigits);
    std::int32_t month = ReadPair(calibrationDate + kYearDigits, kMonthDigits);
    return (now.year % kYearsPerCentury - year) * kMonthsPerYear + (now.month - month);
}

std::uint16_t IsCalibrated(const ProbeState& state, YearMonth now, std::int32_t* calibrated) {
    if (!state.Ready)
        return ProbeStatusNotReady;
    if (calibrated == nullptr)
        return ProbeStatusOk;
    const ProbeParameters& record = state.Parameters;
    // Unsigned on purpose: a date ahead of now, or a negative usage count, is out of limits.
    auto months = static_cast<std::uint32_t>(MonthsSinceCalibration(record.CalibrationDate, now));
    auto usage = static_cast<std::uint32_t>(record.UsageCount);
    *calibrated = usage <= record.UsageLimit && months <= record.CalibrationMonths ? 1 : 0;
    return ProbeStatusOk;
}

}  // namespace probe
