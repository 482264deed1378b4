#include "result_plots.h"

#include <algorithm>

#include "error_panel.h"
#include "fit_report.h"
#include "plot_contents.h"

namespace {

constexpr char kPositionColour[] = "#1f5fa8";
constexpr char kForceColour[] = "#b03a2e";
constexpr double kCoverage = 2;  // the band is ±2u

ErrorPanelLook PositionErrors(const std::string& conversion) {
    return {"position-error", "Position error: " + conversion + " - measured",
            "raw position reading", "mm", kPositionColour};
}

ErrorPanelLook ForceErrors(const std::string& conversion) {
    return {"force-error", "Force error: " + conversion + " - measured", "raw force reading", "N",
            kForceColour};
}

std::vector<double> Times(std::vector<double> values, double factor) {
    for (double& value : values)
        value *= factor;
    return values;
}

}  // namespace

PlotDocument CheckPlot(const BoundLibrary& library, const ProbeParameters& record,
                       const std::optional<CalibrationLife>& life, const ImageCheck& check) {
    const PlotChoice choice{check.position.has_value(), check.force.has_value()};
    const PlotMeasurements measured{check.position ? check.position->measured : nullptr,
                                    check.force ? check.force->measured : nullptr};
    PlotDocument document = PlotContents(library, record, life, choice, measured);
    // The check is of force, not of its pressure view.
    std::erase_if(document.panels, [](const PlotPanel& panel) { return panel.id == "pressure"; });
    if (check.position)
        InsertAfter(document, "position",
                    ErrorPanel(PositionErrors(check.position->conversion),
                               *check.position->measured, check.position->results.residuals));
    if (check.force)
        InsertAfter(document, "force",
                    ErrorPanel(ForceErrors(check.force->conversion), *check.force->measured,
                               check.force->results.residuals));
    return document;
}

void AddFitErrorPanels(PlotDocument& document, const FitPlan& plan, const CalibrationFit& fit) {
    ErrorPanelLook position = PositionErrors("ProbeGetPosition");
    position.title += ", band ±2u of the fit";
    InsertAfter(document, "position",
                ErrorPanel(position, plan.position, fit.positionResults.residuals,
                           Times(fit.position.uncertainty.atMeasurements, kCoverage)));
    if (plan.force && fit.forceResults) {
        ErrorPanelLook force = ForceErrors("ProbeGetForce");
        force.title += ", band ±2u of the fit";
        InsertAfter(
            document, "force",
            ErrorPanel(force, plan.force->measurements, fit.forceResults->residuals,
                       Times(ForceFitUncertainty(fit, plan.force->measurements), kCoverage)));
    }
}
