// The tool's account of the calibration period against the libraries' verdict,
// at injected months around the end of the period: the month in which it runs
// out and the finding must agree with ProbeIsCalibrated's rule in each case.
#include "calibration_life.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "calibration.h"

namespace {

struct LifeCase {
    const char* what;
    const char* date;
    std::uint32_t months;
    probe::YearMonth now;
    bool calibrated;
    const char* check;  // the one calibration finding, or "" for none
    const char* runsOut;
    const char* findingMonth;
};

const std::vector<LifeCase> kLifeCases = {
    {"last month of the period",
     "2606",
     6,
     {2026, 12},
     true,
     "calibration-runs-out",
     "2027-01",
     "2027-01"},
    {"first month after it, in the next year",
     "2606",
     6,
     {2027, 1},
     false,
     "calibration-expired",
     "2027-01",
     "2027-01"},
    {"a month before the last", "2606", 6, {2026, 11}, true, "", "2027-01", ""},
    {"last month in December of a period of a year",
     "2512",
     12,
     {2026, 12},
     true,
     "calibration-runs-out",
     "2027-01",
     "2027-01"},
    {"the month before the calibration month",
     "2701",
     6,
     {2026, 12},
     false,
     "calibration-date-ahead",
     "2027-08",
     "2027-01"},
    {"a period of none, in its month",
     "2601",
     0,
     {2026, 1},
     true,
     "calibration-runs-out",
     "2026-02",
     "2026-02"},
};

ProbeParameters Record(const char* date, std::uint32_t months) {
    ProbeParameters record{};
    record.Size = PROBE_PARAMETERS_SIZE;
    std::strncpy(record.CalibrationDate, date, sizeof record.CalibrationDate - 1);
    record.CalibrationMonths = months;
    record.UsageCount = 10;
    record.UsageLimit = 20000;
    return record;
}

bool LibraryVerdict(const ProbeParameters& record, probe::YearMonth now) {
    probe::ProbeState state{};
    state.Ready = 1;
    state.Parameters = record;
    std::int32_t calibrated = -1;
    EXPECT_EQ(probe::IsCalibrated(state, now, &calibrated), ProbeStatusOk);
    return calibrated == 1;
}

TEST(CalibrationLife, AgreesWithTheLibraryAroundTheEndOfThePeriod) {
    for (const LifeCase& c : kLifeCases) {
        SCOPED_TRACE(c.what);
        const ProbeParameters record = Record(c.date, c.months);
        const bool calibrated = LibraryVerdict(record, c.now);
        EXPECT_EQ(calibrated, c.calibrated);
        const CalibrationLife life = ReadCalibrationLife(record, calibrated, c.now);
        EXPECT_EQ(life.runsOut, c.runsOut);
        const std::vector<Finding> findings = CalibrationFindings(life, record);
        if (std::string(c.check).empty()) {
            EXPECT_TRUE(findings.empty()) << findings.front().check;
            continue;
        }
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(findings[0].check, c.check);
        EXPECT_EQ(findings[0].where.month, c.findingMonth);
    }
}

TEST(CalibrationLife, ReadsTheDateAsTheLibraryDoes) {
    // A NUL ends the year pair only: the library reads the month from its own two
    // characters, and the tool must count the same age.
    ProbeParameters record = Record("", 6);
    const char cut[] = {'2', '\0', '0', '6'};
    std::memcpy(record.CalibrationDate, cut, sizeof cut);
    const probe::YearMonth now = {2002, 9};
    const CalibrationLife life = ReadCalibrationLife(record, LibraryVerdict(record, now), now);
    EXPECT_TRUE(life.calibrated);
    EXPECT_EQ(life.monthsSince, 3);
    EXPECT_EQ(life.month, "2002-06");
    EXPECT_EQ(life.runsOut, "2003-01");
    EXPECT_TRUE(CalibrationFindings(life, record).empty());
}

}  // namespace
