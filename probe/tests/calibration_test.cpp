#include "calibration.h"

#include <gtest/gtest.h>

#include <cstring>

#include "loaded_probe.h"
#include "local_clock.h"

namespace {

using probe::IsCalibrated;
using probe::MonthsSinceCalibration;
using probe::YearMonth;
using probe_test::ImageContents;
using probe_test::LoadedProbe;

constexpr std::int32_t kUntouched = -7;

ImageContents Calibrated(const char* date, int usageCount = 42) {
    ImageContents contents;
    contents.calibrationDate = date;
    contents.usageCount = usageCount;
    return contents;
}

std::int32_t Verdict(const LoadedProbe& probe, YearMonth now) {
    std::int32_t calibrated = kUntouched;
    EXPECT_EQ(IsCalibrated(probe.state, now, &calibrated), 0);
    return calibrated;
}

TEST(Calibration, SixMonthsFromTheCalibrationMonth) {
    for (int type : {2, 3, 6}) {
        SCOPED_TRACE(type);
        ImageContents contents = Calibrated("2512");
        contents.type = type;
        LoadedProbe probe(contents);
        ASSERT_EQ(probe.status, 0);
        ASSERT_EQ(probe.state.Parameters.UsageLimit, 20000u);
        ASSERT_EQ(probe.state.Parameters.CalibrationMonths, 6u);
        EXPECT_EQ(Verdict(probe, {2025, 11}), 0);  // month count -1, taken unsigned
        EXPECT_EQ(Verdict(probe, {2025, 12}), 1);
        EXPECT_EQ(Verdict(probe, {2026, 1}), 1);
        EXPECT_EQ(Verdict(probe, {2026, 6}), 1);
        EXPECT_EQ(Verdict(probe, {2026, 7}), 0);
        EXPECT_EQ(Verdict(probe, {2030, 1}), 0);
    }
}

TEST(Calibration, UsageLimitIsInclusive) {
    LoadedProbe atLimit(Calibrated("2601", 20000));
    LoadedProbe beyond(Calibrated("2601", 20001));
    LoadedProbe negative(Calibrated("2601", -1));
    EXPECT_EQ(Verdict(atLimit, {2026, 2}), 1);
    EXPECT_EQ(Verdict(beyond, {2026, 2}), 0);
    EXPECT_EQ(Verdict(negative, {2026, 2}), 0);  // unsigned: far beyond the limit
}

TEST(Calibration, LimitsComeFromTheRecord) {
    LoadedProbe probe(Calibrated("2601", 50));
    probe.state.Parameters.UsageLimit = 49;
    EXPECT_EQ(Verdict(probe, {2026, 1}), 0);
    probe.state.Parameters.UsageLimit = 50;
    probe.state.Parameters.CalibrationMonths = 0;
    EXPECT_EQ(Verdict(probe, {2026, 1}), 1);
    EXPECT_EQ(Verdict(probe, {2026, 2}), 0);
}

TEST(Calibration, CenturyTurnCountsNegative) {
    EXPECT_EQ(MonthsSinceCalibration("9912", {2000, 1}), -1199);
    LoadedProbe probe(Calibrated("9912"));
    EXPECT_EQ(Verdict(probe, {2000, 1}), 0);
}

TEST(Calibration, DateTextReadsPairByPair) {
    EXPECT_EQ(MonthsSinceCalibration("2512", {2026, 6}), 6);
    EXPECT_EQ(MonthsSinceCalibration("    ", {2026, 3}), 26 * 12 + 3);
    EXPECT_EQ(MonthsSinceCalibration(" 7 3", {2026, 3}), 19 * 12);
    EXPECT_EQ(MonthsSinceCalibration("2AB5", {2026, 3}), 24 * 12 + 3);  // "2A" is 2, "B5" is 0
    EXPECT_EQ(MonthsSinceCalibration("2613", {2026, 1}), -12);  // month outside 1..12 as it is
    EXPECT_EQ(MonthsSinceCalibration("-1+2", {2026, 3}), 27 * 12 + 1);
    // A NUL ends the year pair only; the month pair is read from its own characters.
    const char cut[] = {'2', '\0', '0', '6', '\0'};
    EXPECT_EQ(MonthsSinceCalibration(cut, {2026, 6}), 24 * 12);

    LoadedProbe blanks(Calibrated("    "));
    EXPECT_EQ(Verdict(blanks, {2026, 3}), 0);
}

TEST(Calibration, NotReadyOrNullResult) {
    probe::ProbeState never{};
    std::int32_t calibrated = kUntouched;
    EXPECT_EQ(IsCalibrated(never, {2026, 1}, &calibrated), 4);
    EXPECT_EQ(IsCalibrated(never, {2026, 1}, nullptr), 4);
    EXPECT_EQ(calibrated, kUntouched);

    ImageContents type2;
    type2.type = 2;
    LoadedProbe refused(type2, 3);
    ASSERT_EQ(refused.status, 1);
    EXPECT_EQ(IsCalibrated(refused.state, {2026, 1}, &calibrated), 4);
    EXPECT_EQ(calibrated, kUntouched);

    LoadedProbe ready(Calibrated("2512"));
    EXPECT_EQ(IsCalibrated(ready.state, {2026, 1}, nullptr), 0);
}

YearMonth July2026() {
    return {2026, 7};
}

TEST(LocalClock, TestsCanSetTheMonth) {
    probe::SetClockForTesting(&July2026);
    YearMonth now = probe::CurrentYearMonth();
    EXPECT_EQ(now.year, 2026);
    EXPECT_EQ(now.month, 7);
    LoadedProbe probe(Calibrated("2601"));
    EXPECT_EQ(Verdict(probe, probe::CurrentYearMonth()), 1);

    probe::SetClockForTesting(nullptr);
    now = probe::CurrentYearMonth();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
}

}  // namespace
