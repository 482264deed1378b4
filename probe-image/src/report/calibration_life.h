// How long an image stays calibrated: the library's verdict for today, the month
// in which the calibration runs out by date, and the uses left before the usage
// limit, with findings when it has run out or is about to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bound_library.h"
#include "calibration_period.h"
#include "finding.h"

struct CalibrationLife {
    bool calibrated = false;   // ProbeIsCalibrated today
    int monthsSince = 0;       // the calibration's age today, as the library counts it
    std::string month;         // the calibration month so counted, "YYYY-MM"
    std::string lastMonth;     // the last month still calibrated by date, "YYYY-MM"
    std::string runsOut;       // the month after it
    long long monthsLeft = 0;  // calibrated months after this one; negative once run out
    std::uint32_t usageLeft = 0;
};

// calibrated is the library's answer for today; the months come from the rule the
// library answers by.
CalibrationLife ReadCalibrationLife(const ProbeParameters& record, bool calibrated,
                                    probe::YearMonth today);

// Asks ProbeIsCalibrated, and explains it at the month of the local clock (the
// one the library reads); nothing when it gives no answer.
std::optional<CalibrationLife> LibraryCalibrationLife(const BoundLibrary& library,
                                                      const ProbeParameters& record);

// Errors when the library says the probe is not calibrated, naming why; warnings
// in its last month and when few uses are left.
std::vector<Finding> CalibrationFindings(const CalibrationLife& life,
                                         const ProbeParameters& record);
