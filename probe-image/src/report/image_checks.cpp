#include "image_checks.h"

#include "curve_findings.h"
#include "force_steps.h"
#include "library_curves.h"
#include "movable_blocks.h"
#include "tool_error.h"
#include "value_findings.h"

namespace {

void Add(std::vector<Finding>& findings, std::optional<Finding> finding) {
    if (finding)
        findings.push_back(std::move(*finding));
}

void Add(std::vector<Finding>& findings, std::vector<Finding> more) {
    findings.insert(findings.end(), more.begin(), more.end());
}

// A conversion the library answers with a failure status ends that check alone,
// as a finding, so that show still reports everything else.
template <typename Check>
void Guarded(std::vector<Finding>& findings, Check check) {
    try {
        check();
    } catch (const ToolError& error) {
        Finding finding;
        finding.check = "library-status";
        finding.message = error.what();
        findings.push_back(finding);
    }
}

}  // namespace

std::vector<Finding> CheckImage(const BoundLibrary& library, const CheckedImage& image,
                                double forceStepTolerance) {
    std::vector<Finding> findings;
    const Curve position = PositionCurve(library);
    Add(findings, TurnBackFinding(position));
    Add(findings, NonFiniteFinding(position));
    if (library.ProbeGetPosition2 == nullptr) {
        // The table only ProbeGetPosition2 would read, through its handle.
        if (auto table = ReadBlockFloats(image.record.PositionTable, kPositionTableEntries))
            Add(findings, NonFiniteFinding(Curve{"PositionTable", position.raw, *table}));
    }
    Add(findings,
        NonFiniteValueFindings(image.record, image.positionCoefficients, image.forceCoefficients));
    Add(findings, ForceStepFindings(library, image.record, forceStepTolerance));
    if (image.life)
        Add(findings, CalibrationFindings(*image.life, image.record));
    return findings;
}
