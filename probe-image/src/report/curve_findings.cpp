#include "curve_findings.h"

#include <algorithm>
#include <cstddef>

#include "joined_text.h"
#include "number_text.h"
#include "value_runs.h"

namespace {

std::string RangeText(const RawRange& range) {
    std::string text = FloatText(static_cast<float>(range.from));
    if (range.to != range.from)
        text += " to " + FloatText(static_cast<float>(range.to));
    if (range.change)
        text += " (change " + FloatText(static_cast<float>(*range.change)) + ")";
    return text;
}

std::string RangesText(const FindingPlace& where) {
    std::string text = JoinedText(where.ranges, ", ", RangeText);
    if (where.rangeCount > where.ranges.size())
        text += " and " + std::to_string(where.rangeCount - where.ranges.size()) + " more";
    return text;
}

FindingPlace Ranges(const std::vector<RawRange>& ranges) {
    FindingPlace where;
    where.rangeCount = ranges.size();
    where.ranges.assign(ranges.begin(), ranges.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                             ranges.size(), kListedRanges)));
    return where;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::vector<RawRange> TurnBackRanges(const Curve& curve) {
    std::vector<RawRange> ranges;
    for (const IndexRun& run : TurnBackRuns(curve.values))
        ranges.push_back({curve.raw[run.first], curve.raw[run.last],
                          static_cast<double>(curve.values[run.last]) - curve.values[run.first]});
    return ranges;
}

std::optional<Finding> TurnBackFinding(const Curve& curve) {
    const std::vector<RawRange> ranges = TurnBackRanges(curve);
    if (ranges.empty())
        return std::nullopt;
    Finding finding;
    finding.check = "position-turns-back";
    finding.in = curve.source;
    finding.where = Ranges(ranges);
    const bool rising = *ranges.front().change < 0;
    finding.message =
        curve.source + " turns back against its overall " + (rising ? "rise" : "fall") + " over " +
        Plural(ranges.size(), "raw range", "raw ranges") + ": " + RangesText(finding.where);
    return finding;
}

std::optional<Finding> NonFiniteFinding(const Curve& curve) {
    std::vector<RawRange> ranges;
    std::size_t count = 0;
    for (const IndexRun& run : NonFiniteRuns(curve.values)) {
        ranges.push_back({curve.raw[run.first], curve.raw[run.last], std::nullopt});
        count += run.last - run.first + 1;
    }
    if (ranges.empty())
        return std::nullopt;
    Finding finding;
    finding.check = "not-finite";
    finding.in = curve.source;
    finding.where = Ranges(ranges);
    finding.values = {{"count", static_cast<double>(count)}};
    finding.message = curve.source + " is NaN or infinite for " +
                      Plural(count, "raw reading", "raw readings") + ": " +
                      RangesText(finding.where);
    return finding;
}
