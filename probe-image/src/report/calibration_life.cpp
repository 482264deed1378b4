#include "calibration_life.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "field_text.h"
#include "record_fields.h"

namespace {

constexpr int kMonthsPerYear = 12;
constexpr int kYearDigits = 2;
constexpr int kCenturyYears = 100;
constexpr int kTmFirstYear = 1900;
// Fewer uses left than this share of the limit is worth a warning.
constexpr double kFewUsesShare = 0.05;

// Months counted from January of year 0, so that month arithmetic is plain.
long long MonthIndex(Today today) {
    return static_cast<long long>(today.year) * kMonthsPerYear + (today.month - 1);
}

std::string MonthText(long long index) {
    long long year = index / kMonthsPerYear;
    long long month = index % kMonthsPerYear;
    if (month < 0) {
        month += kMonthsPerYear;
        --year;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02lld", year, month + 1);
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

Today LocalToday() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr)
        return {kTmFirstYear, 1};  // a clock beyond what the calendar holds
    return {local->tm_year + kTmFirstYear, local->tm_mon + 1};
}

int CalibrationAgeMonths(const char* calibrationDate, int currentYear, int currentMonth) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(calibrationDate);
    const std::size_t length = strnlen(calibrationDate, PROBE_TEXT_SIZE);
    const std::size_t yearLength = std::min<std::size_t>(length, kYearDigits);
    const int year = probe::ReadInteger(text, yearLength);
    const int month = probe::ReadInteger(text + yearLength,
                                         std::min<std::size_t>(length - yearLength, kYearDigits));
    return (currentYear - year) * kMonthsPerYear + (currentMonth - month);
}

CalibrationLife ReadCalibrationLife(const ProbeParameters& record, bool calibrated, Today today) {
    CalibrationLife life;
    life.calibrated = calibrated;
    life.monthsSince =
        CalibrationAgeMonths(record.CalibrationDate, today.year % kCenturyYears, today.month);
    life.month = MonthText(MonthIndex(today) - life.monthsSince);
    life.monthsLeft = static_cast<long long>(record.CalibrationMonths) - life.monthsSince;
    life.lastMonth = MonthText(MonthIndex(today) + life.monthsLeft);
    life.runsOut = MonthText(MonthIndex(today) + life.monthsLeft + 1);
    const auto usage = static_cast<std::uint32_t>(record.UsageCount);
    life.usageLeft = usage <= record.UsageLimit ? record.UsageLimit - usage : 0;
    return life;
}

std::optional<CalibrationLife> LibraryCalibrationLife(const BoundLibrary& library,
                                                      const ProbeParameters& record) {
    std::int32_t calibrated = 0;
    if (library.core.ProbeIsCalibrated(&calibrated) != ProbeStatusOk)
        return std::nullopt;
    return ReadCalibrationLife(record, calibrated != 0, LocalToday());
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
