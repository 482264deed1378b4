#include "value_findings.h"

#include <cmath>

#include "number_text.h"
#include "probe_types.h"

namespace {

Finding NotFinite(const std::string& in, std::optional<unsigned> index, float value) {
    Finding finding;
    finding.check = "not-finite";
    finding.in = in;
    finding.where.index = index;
    const std::string name = index ? in + "[" + std::to_string(*index) + "]" : in;
    finding.message = name + " is " + FloatText(value);
    return finding;
}

void CheckBlock(const char* in, const std::vector<float>& values, std::vector<Finding>& findings) {
    for (unsigned i = 0; i < values.size(); ++i)
        if (!std::isfinite(values[i]))
            findings.push_back(NotFinite(in, i, values[i]));
}

}  // namespace

std::vector<Finding> NonFiniteValueFindings(const ProbeParameters& record,
                                            const std::vector<float>& position,
                                            const std::vector<float>& force) {
    std::vector<Finding> findings;
    CheckBlock("PositionCoefficients", position, findings);
    CheckBlock("ForceCoefficients", force, findings);
    if (record.Type == kTypeWithRatioLaw)
        return findings;
    const std::pair<const char*, float> law[] = {
        {"ForceK", record.ForceK},   {"ForceX0", record.ForceX0}, {"ForceX1", record.ForceX1},
        {"ForceX2", record.ForceX2}, {"ForceF1", record.ForceF1}, {"ForceF2", record.ForceF2},
    };
    for (const auto& [name, value] : law)
        if (!std::isfinite(value))
            findings.push_back(NotFinite(name, std::nullopt, value));
    return findings;
}
