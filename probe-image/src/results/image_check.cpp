#include "image_check.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "library_curves.h"
#include "number_text.h"

namespace {

MeasurementCheck CheckOne(const Curve& curve, const Measurements& measured,
                          std::optional<double> tolerance) {
    MeasurementCheck check;
    check.measured = &measured;
    check.conversion = curve.source;
    check.results = ResultsAgainst(curve.values, measured, 0);
    const auto [low, high] = std::minmax_element(measured.value.begin(), measured.value.end());
    check.span = *high - *low;
    check.largestShare = check.span > 0 ? check.results.summary.max / check.span
                                        : std::numeric_limits<double>::quiet_NaN();
    check.tolerance = tolerance;
    if (tolerance)
        for (std::size_t i = 0; i < check.results.residuals.size(); ++i)
            if (!(std::abs(check.results.residuals[i]) <= *tolerance))  // NaN is beyond
                check.beyond.push_back(i);
    return check;
}

Finding BeyondTolerance(const MeasurementCheck& check, const char* unit) {
    Finding finding;
    finding.check = "out-of-tolerance";
    finding.severity = Severity::Error;
    finding.in = check.conversion;
    finding.where.rangeCount = check.beyond.size();
    std::string listed;
    for (std::size_t i : check.beyond) {
        const double raw = check.measured->raw[i];
        const double error = check.results.residuals[i];
        if (finding.where.ranges.size() < kListedRanges) {
            finding.where.ranges.push_back({raw, raw, error});
            listed += (listed.empty() ? "" : ", ") + FloatText(check.measured->raw[i]) + " (" +
                      DoubleText(error) + ")";
        }
    }
    if (check.beyond.size() > kListedRanges)
        listed += ", ...";
    finding.values = {{"tolerance", *check.tolerance},
                      {"beyond", static_cast<double>(check.beyond.size())},
                      {"max", check.results.summary.max}};
    finding.message = std::to_string(check.beyond.size()) + " of " +
                      std::to_string(check.results.residuals.size()) + " measurements of " +
                      check.measured->source + " err by more than " + DoubleText(*check.tolerance) +
                      " " + unit + "; raw (error): " + listed;
    return finding;
}

}  // namespace

ImageCheck CheckImage(const BoundLibrary& library, const CheckPlan& plan) {
    ImageCheck check;
    if (plan.position) {
        check.position = CheckOne(PositionReadings(library, plan.position->raw), *plan.position,
                                  plan.positionTolerance);
        if (!check.position->beyond.empty())
            check.findings.push_back(BeyondTolerance(*check.position, "mm"));
    }
    if (plan.force) {
        check.force =
            CheckOne(ForceCurve(library, plan.force->raw), *plan.force, plan.forceTolerance);
        if (!check.force->beyond.empty())
            check.findings.push_back(BeyondTolerance(*check.force, "N"));
    }
    return check;
}
