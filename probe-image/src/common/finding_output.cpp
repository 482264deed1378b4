#include "finding_output.h"

#include <cmath>
#include <iomanip>

#include "number_text.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kSeverityColumn = 9;

bool IsInteger(double value) {
    return value == static_cast<double>(static_cast<long long>(value));
}

// Raw readings of the position curves are whole samples; others are floats.
Json Number(double value) {
    if (std::isfinite(value) && std::abs(value) < 1e15 && IsInteger(value))
        return static_cast<long long>(value);
    return ShortestDouble(static_cast<float>(value));
}

Json PlaceJson(const FindingPlace& where) {
    Json json = Json::object();
    if (where.rangeCount > 0) {
        Json ranges = Json::array();
        for (const RawRange& range : where.ranges) {
            Json item{{"from", Number(range.from)}, {"to", Number(range.to)}};
            if (range.change)
                item["change"] = Number(*range.change);
            ranges.push_back(item);
        }
        json["raw"] = ranges;
        json["rangeCount"] = where.rangeCount;
    }
    if (where.raw)
        json["raw"] = Number(*where.raw);
    if (where.index)
        json["index"] = *where.index;
    if (!where.month.empty())
        json["month"] = where.month;
    if (where.usage)
        json["usage"] = *where.usage;
    return json;
}

}  // namespace

void PrintFindings(const std::vector<Finding>& findings, std::ostream& out) {
    if (findings.empty()) {
        out << "  none\n";
        return;
    }
    for (const Finding& finding : findings)
        out << "  " << std::left << std::setw(kSeverityColumn) << SeverityName(finding.severity)
            << finding.check << ": " << finding.message << "\n";
}

Json FindingsJson(const std::vector<Finding>& findings) {
    Json json = Json::array();
    for (const Finding& finding : findings) {
        Json values = Json::object();
        for (const auto& [name, value] : finding.values)
            values[name] = Number(value);
        json.push_back(Json{{"check", finding.check},
                            {"severity", SeverityName(finding.severity)},
                            {"in", finding.in},
                            {"where", PlaceJson(finding.where)},
                            {"values", values},
                            {"message", finding.message}});
    }
    return json;
}
