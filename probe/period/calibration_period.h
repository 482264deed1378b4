// The calibration period of a probe: how many months its YYMM calibration date
// lies before a given month, whether that month is still within the period, and
// the months in which the period ends. The probe libraries give their verdict by
// it and the tools explain that verdict by it.
#pragma once

#include <cstdint>

namespace probe {

struct YearMonth {
    int year;   // full year, e.g. 2026
    int month;  // 1..12
};

// Months from the YYMM calibration date to now, both years taken as two digits;
// negative when the date lies ahead or on the far side of a turn of the century.
std::int32_t MonthsSinceCalibration(const char* calibrationDate, YearMonth now);

// The month count taken unsigned, so that a date ahead of now is out of the
// period: now is within it from the calibration month to the last one, both
// included.
bool WithinCalibrationPeriod(const char* calibrationDate, std::uint32_t calibrationMonths,
                             YearMonth now);

struct CalibrationPeriod {
    std::int32_t monthsSince;  // as MonthsSinceCalibration counts them
    std::int64_t monthsLeft;   // calibrated months after now; negative once run out
    YearMonth calibrated;      // the calibration month so counted
    YearMonth last;            // the last month within the period
    YearMonth runsOut;         // the first month after it
    bool within;               // as WithinCalibrationPeriod answers
};

CalibrationPeriod CalibrationPeriodAt(const char* calibrationDate, std::uint32_t calibrationMonths,
                                      YearMonth now);

}  // namespace probe
