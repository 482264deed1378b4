#include "calibration_period.h"

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

// Months counted from January of year 0, so that month arithmetic is plain.
std::int64_t MonthIndex(YearMonth month) {
    return std::int64_t{month.year} * kMonthsPerYear + (month.month - 1);
}

YearMonth MonthAt(std::int64_t index) {
    std::int64_t year = index / kMonthsPerYear;
    std::int64_t month = index % kMonthsPerYear;
    if (month < 0) {
        month += kMonthsPerYear;
        --year;
    }
    return {static_cast<int>(year), static_cast<int>(month) + 1};
}

}  // namespace

std::int32_t MonthsSinceCalibration(const char* calibrationDate, YearMonth now) {
    std::int32_t year = ReadPair(calibrationDate, kYearDigits);
    std::int32_t month = ReadPair(calibrationDate + kYearDigits, kMonthDigits);
    return (now.year % kYearsPerCentury - year) * kMonthsPerYear + (now.month - month);
}

bool WithinCalibrationPeriod(const char* calibrationDate, std::uint32_t calibrationMonths,
                             YearMonth now) {
    auto months = static_cast<std::uint32_t>(MonthsSinceCalibration(calibrationDate, now));
    return months <= calibrationMonths;
}

CalibrationPeriod CalibrationPeriodAt(const char* calibrationDate, std::uint32_t calibrationMonths,
                                      YearMonth now) {
    CalibrationPeriod period{};
    period.monthsSince = MonthsSinceCalibration(calibrationDate, now);
    period.monthsLeft = std::int64_t{calibrationMonths} - period.monthsSince;
    const std::int64_t index = MonthIndex(now);
    period.calibrated = MonthAt(index - period.monthsSince);
    period.last = MonthAt(index + period.monthsLeft);
    period.runsOut = MonthAt(index + period.monthsLeft + 1);
    period.within = WithinCalibrationPeriod(calibrationDate, calibrationMonths, now);
    return period;
}

}  // namespace probe
