// What a calibration check found in an image: how grave it is, what it concerns
// (a library function or a record field), where it happens and what was measured.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class Severity { Warning, Error };

// Raw readings from one to another, both included; change is what the value did
// over them, where that is the point.
struct RawRange {
    double from = 0;
    double to = 0;
    std::optional<double> change;
};

// A finding names at most this many ranges and counts the rest.
inline constexpr std::size_t kListedRanges = 10;

struct FindingPlace {
    std::vector<RawRange> ranges;
    std::size_t rangeCount = 0;     // all ranges found, ranges holds the first ones
    std::optional<double> raw;      // one raw reading
    std::optional<unsigned> index;  // coefficient number, c0 = 0
    std::string month;              // "YYYY-MM"
    std::optional<long long> usage;
};

struct Finding {
    std::string check;  // e.g. "position-turns-back"
    Severity severity = Severity::Error;
    std::string in;  // e.g. "ProbeGetPosition2", "ForceCoefficients", "UsageCount"
    FindingPlace where;
    std::vector<std::pair<std::string, double>> values;  // measured, in the order told
    std::string message;                                 // one line for people
};

inline const char* SeverityName(Severity severity) {
    return severity == Severity::Error ? "error" : "warning";
}

inline bool HasError(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& finding) { return finding.severity == Severity::Error; });
}
