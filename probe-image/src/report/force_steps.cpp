#include "force_steps.h"

#include <cmath>

#include "force_readings.h"
#include "library_curves.h"
#include "number_text.h"
#include "probe_types.h"

std::vector<Finding> ForceStepFindings(const BoundLibrary& library, const ProbeParameters& record,
                                       double tolerance) {
    std::vector<Finding> findings;
    if (record.Type == kTypeWithRatioLaw)
        return findings;
    const std::pair<const char*, float> thresholds[] = {{"ForceX1", record.ForceX1},
                                                        {"ForceX2", record.ForceX2}};
    for (const auto& [name, raw] : thresholds) {
        // x2 at x1, as in a linear law, is the same place.
        if (!std::isfinite(raw) || (name == thresholds[1].first && raw == record.ForceX1))
            continue;
        const float before = ForceAt(library, JustBelow(raw));
        const float after = ForceAt(library, raw);
        const double step = static_cast<double>(after) - before;
        if (std::abs(step) <= tolerance)
            continue;
        Finding finding;
        finding.check = "force-step";
        finding.in = name;
        finding.where.raw = raw;
        finding.values = {
            {"before", before}, {"after", after}, {"step", step}, {"tolerance", tolerance}};
        finding.message = std::string("ProbeGetForce steps at ") + name + " " + FloatText(raw) +
                          ": " + FloatText(before) + " just below, " + FloatText(after) +
                          " at it (tolerance " + ShortestText(static_cast<float>(tolerance)) + ")";
        findings.push_back(finding);
    }
    return findings;
}
