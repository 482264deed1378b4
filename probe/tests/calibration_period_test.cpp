// The calibration period at its edges, each case at an injected month: the last
// month within it, the first after, a change of year and a turn of the century.
#include "calibration_period.h"

#include <gtest/gtest.h>

#include <vector>

#include "local_clock.h"

namespace {

using probe::CalibrationPeriodAt;
using probe::YearMonth;

struct PeriodCase {
    const char* what;
    const char* date;
    std::uint32_t months;
    YearMonth now;
    bool within;
    std::int64_t monthsLeft;
    YearMonth last;
    YearMonth runsOut;
};

bool Same(YearMonth a, YearMonth b) {
    return a.year == b.year && a.month == b.month;
}

const std::vector<PeriodCase> kPeriodCases = {
    {"calibration month", "2606", 6, {2026, 6}, true, 6, {2026, 12}, {2027, 1}},
    {"last month, across a year change", "2606", 6, {2026, 12}, true, 0, {2026, 12}, {2027, 1}},
    {"first month after, across a year change",
     "2606",
     6,
     {2027, 1},
     false,
     -1,
     {2026, 12},
     {2027, 1}},
    {"last month is December", "2512", 12, {2026, 12}, true, 0, {2026, 12}, {2027, 1}},
    {"last month is January", "2601", 0, {2026, 1}, true, 0, {2026, 1}, {2026, 2}},
    {"the month before the calibration", "2601", 6, {2025, 12}, false, 7, {2026, 7}, {2026, 8}},
    {"a period of whole years", "2407", 24, {2026, 7}, true, 0, {2026, 7}, {2026, 8}},
    {"one month beyond whole years", "2407", 24, {2026, 8}, false, -1, {2026, 7}, {2026, 8}},
    {"a date on the far side of a century turn",
     "9912",
     6,
     {2100, 1},
     false,
     1205,
     {2200, 6},
     {2200, 7}},
    {"the longest period holds every date not ahead",
     "0001",
     0xFFFFFFFFu,
     {2099, 12},
     true,
     0xFFFFFFFFll - (99 * 12 + 11),
     {357915941, 4},
     {357915941, 5}},
};

TEST(CalibrationPeriod, EdgesOfThePeriodAtAnInjectedMonth) {
    for (const PeriodCase& c : kPeriodCases) {
        SCOPED_TRACE(c.what);
        const probe::CalibrationPeriod period = CalibrationPeriodAt(c.date, c.months, c.now);
        EXPECT_EQ(period.within, c.within);
        EXPECT_EQ(probe::WithinCalibrationPeriod(c.date, c.months, c.now), c.within);
        EXPECT_EQ(period.monthsLeft, c.monthsLeft);
        EXPECT_TRUE(Same(period.last, c.last)) << period.last.year << "-" << period.last.month;
        EXPECT_TRUE(Same(period.runsOut, c.runsOut))
            << period.runsOut.year << "-" << period.runsOut.month;
    }
}

TEST(CalibrationPeriod, CalibrationMonthIsCountedInTheCenturyOfNow) {
    struct Case {
        const char* date;
        YearMonth now;
        YearMonth calibrated;
    };
    const Case cases[] = {
        {"2512", {2026, 1}, {2025, 12}},
        {"2601", {2025, 12}, {2026, 1}},  // ahead by one month
        {"9912", {2000, 1}, {2099, 12}},  // the library counts it ahead, not 1999
        {"0001", {2100, 3}, {2100, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        const probe::CalibrationPeriod period = CalibrationPeriodAt(c.date, 6, c.now);
        EXPECT_TRUE(Same(period.calibrated, c.calibrated))
            << period.calibrated.year << "-" << period.calibrated.month;
        EXPECT_EQ(period.monthsSince, probe::MonthsSinceCalibration(c.date, c.now));
    }
}

YearMonth LastDayOfJune2026() {
    return {2026, 6};
}

YearMonth FirstDayOfJuly2026() {
    return {2026, 7};
}

TEST(CalibrationPeriod, InjectedClockDecidesAtTheTurnOfTheMonth) {
    // Calibrated in December 2025 for six months: June 2026 is the last month.
    const struct {
        probe::ClockFunction clock;
        bool within;
    } cases[] = {{&LastDayOfJune2026, true}, {&FirstDayOfJuly2026, false}};
    for (const auto& c : cases) {
        probe::SetClockForTesting(c.clock);
        EXPECT_EQ(probe::WithinCalibrationPeriod("2512", 6, probe::CurrentYearMonth()), c.within);
    }
    probe::SetClockForTesting(nullptr);
}

}  // namespace
