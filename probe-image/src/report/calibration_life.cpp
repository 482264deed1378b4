#include "calibration_life.h"

#include <cstdio>

#include "local_clock.h"
#include "record_fields.h"

namespace {

// Fewer uses left than this share of the limit is worth a warning.
constexpr double kFewUsesShare = 0.05;

std::string MonthText(probe::YearMonth month) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d", month.year, month.month);
    return text;
}

Finding CalibrationFinding(const char* check, Severity severity, const char* in) {
    Finding finding;
    finding.check = check;
    finding.severity = severity;
    finding.in = in;
    return finding;
}

}  // namespace

CalibrationLife ReadCalibrationLife(const ProbeParameters& record, bool calibrated,
                                    probe::YearMonth today) {
    const probe::CalibrationPeriod period =
        probe::CalibrationPeriodAt(record.CalibrationDate, record.CalibrationMonths, today);
    CalibrationLife life;
    life.calibrated = calibrated;
    life.monthsSince = period.monthsSince;
    life.month = MonthText(period.calibrated);
    life.monthsLeft = period.monthsLeft;
    life.lastMonth = MonthText(period.last);
    life.runsOut = MonthText(period.runsOut);
    const auto usage = static_cast<std::uint32_t>(record.UsageCount);
    life.usageLeft = usage <= record.UsageLimit ? record.UsageLimit - usage : 0;
    return life;
}

std::optional<CalibrationLife> LibraryCalibrationLife(const BoundLibrary& library,
                                                      const ProbeParameters& record) {
    std::int32_t calibrated = 0;
    if (library.core.ProbeIsCalibrated(&calibrated) != ProbeStatusOk)
        return std::nullopt;
    return ReadCalibrationLife(record, calibrated != 0, probe::CurrentYearMonth());
}

std::vector<Finding> CalibrationFindings(const CalibrationLife& life,
                                         const ProbeParameters& record) {
    std::vector<Finding> findings;
    const std::string date = PrintableText(record.CalibrationDate);
    if (life.calibrated) {
        if (life.monthsLeft == 0) {
            Finding finding =
                CalibrationFinding("calibration-runs-out", Severity::Warning, "CalibrationDate");
            finding.where.month = life.runsOut;
            finding.message =
                "calibration " + date + " runs out in " + life.runsOut + ": this month is its last";
            findings.push_back(finding);
        }
        if (life.usageLeft <= record.UsageLimit * kFewUsesShare) {
            Finding finding = CalibrationFinding("usage-runs-low", Severity::Warning, "UsageCount");
            finding.where.usage = record.UsageCount;
            finding.values = {{"usageLeft", life.usageLeft}, {"UsageLimit", record.UsageLimit}};
            finding.message = std::to_string(life.usageLeft) + " uses left of " +
                              std::to_string(record.UsageLimit);
            findings.push_back(finding);
        }
        return findings;
    }

    if (static_cast<std::uint32_t>(record.UsageCount) > record.UsageLimit) {
        Finding finding = CalibrationFinding("usage-exhausted", Severity::Error, "UsageCount");
        finding.where.usage = record.UsageCount;
        finding.values = {{"UsageLimit", record.UsageLimit}};
        finding.message = "usage count " + std::to_string(record.UsageCount) +
                          " is beyond the limit " + std::to_string(record.UsageLimit);
        findings.push_back(finding);
    }
    if (life.monthsSince < 0) {
        Finding finding =
            CalibrationFinding("calibration-date-ahead", Severity::Error, "CalibrationDate");
        finding.where.month = life.month;
        finding.values = {{"monthsSince", life.monthsSince}};
        finding.message = "calibration " + date + " counts as " + life.month +
                          ", after this month: the library holds it not calibrated";
        findings.push_back(finding);
    } else if (life.monthsLeft < 0) {
        Finding finding =
            CalibrationFinding("calibration-expired", Severity::Error, "CalibrationDate");
        finding.where.month = life.runsOut;
        finding.values = {{"monthsSince", life.monthsSince},
                          {"CalibrationMonths", record.CalibrationMonths}};
        finding.message = "calibration " + date + " ran out in " + life.runsOut + " (" +
                          std::to_string(life.monthsSince) + " months old, limit " +
                          std::to_string(record.CalibrationMonths) + ")";
        findings.push_back(finding);
    }
    if (findings.empty()) {
        // The library's clock read another month than ours, at the turn of one.
        Finding finding =
            CalibrationFinding("not-calibrated", Severity::Error, "ProbeIsCalibrated");
        finding.where.month = life.month;
        finding.message = "the library holds the probe not calibrated";
        findings.push_back(finding);
    }
    return findings;
}
