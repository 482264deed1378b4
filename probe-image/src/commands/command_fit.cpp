#include <cmath>
#include <optional>

#include "bound_library.h"
#include "calibration_fit.h"
#include "calibration_life.h"
#include "commands.h"
#include "finding_output.h"
#include "fit_report.h"
#include "image_file.h"
#include "number_text.h"
#include "plot_contents.h"
#include "tool_error.h"
#include "verdict.h"
#include "whole_file.h"

namespace {

constexpr char kAutomatic[] = "auto";
constexpr long long kLargestOrderText = 1000000;  // larger is a typing mistake, not an order
// --thresholds X2,X1,F2,F1, in this order.
constexpr const char* kThresholdFields[] = {"ForceX2", "ForceX1", "ForceF2", "ForceF1"};

[[noreturn]] void Usage(const std::string& message) {
    throw ToolError(ExitUsage, message);
}

// Nothing for "auto" or an option not given.
std::optional<unsigned> OrderOption(const std::string& text, const char* option) {
    if (text.empty() || text == kAutomatic)
        return std::nullopt;
    const auto order = ParseInteger(text, 0, kLargestOrderText);
    if (!order)
        Usage(std::string(option) + " " + text + ": expected an order (0 or more) or auto");
    return static_cast<unsigned>(*order);
}

std::vector<std::string> CommaSeparated(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

std::vector<FieldEdit> ThresholdEdits(const std::string& text) {
    const std::vector<std::string> values = CommaSeparated(text);
    if (values.size() != std::size(kThresholdFields))
        Usage("--thresholds " + text + ": expected four numbers X2,X1,F2,F1");
    std::vector<FieldEdit> edits;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto value = ParseFloat(values[i]);
        if (!value || !std::isfinite(*value))
            Usage("--thresholds " + text + ": \"" + values[i] + "\" is not a finite number");
        edits.push_back(ParseFieldEdit(std::string(kThresholdFields[i]) + "=" + values[i]));
    }
    return edits;
}

FitPlan PlanOf(const FitOptions& options) {
    FitPlan plan;
    plan.type = options.type;
    plan.edits = ParseFieldEdits(options.assignments);
    plan.positionOrder = OrderOption(options.order, "--order");
    const std::optional<unsigned> forceOrder = OrderOption(options.forceOrder, "--force-order");
    std::vector<FieldEdit> thresholds;
    if (!options.thresholds.empty())
        thresholds = ThresholdEdits(options.thresholds);
    if (options.force.empty() && (!options.forceOrder.empty() || !thresholds.empty()))
        Usage("--force-order and --thresholds belong to a force fit: give --force FILE.csv");
    // Every file is read before anything is fitted or written.
    plan.position = ReadMeasurements(options.position);
    if (!options.force.empty())
        plan.force = ForcePlan{ReadMeasurements(options.force), forceOrder, thresholds};
    return plan;
}

std::string FitPlot(const LibraryBinding& binding, const ProbeImageBytes& image,
                    const FitPlan& plan) {
    const Verdict verdict = RequireAccepted(binding, image);
    const BoundLibrary& library = binding.library();
    const PlotMeasurements measured{&plan.position,
                                    plan.force ? &plan.force->measurements : nullptr};
    return SvgPlot(PlotContents(library, verdict.record,
                                LibraryCalibrationLife(library, verdict.record), PlotChoice{},
                                measured));
}

}  // namespace

int RunFit(const FitOptions& options, Console& console) {
    const FitPlan plan = PlanOf(options);
    const LibraryBinding binding(TypeCharacterOf(options.type));
    if (!binding.Bound())
        throw ToolError(ExitRefused, binding.failure());
    const CalibrationFit fit = FitCalibration(binding.library(), plan);
    const std::string plot = options.plot.empty() ? "" : FitPlot(binding, fit.image.image, plan);

    for (const std::string& note : fit.image.notes)
        console.err << "note: " << note << "\n";
    for (const std::string& lost : fit.image.lostEdits)
        console.err << "warning: " << lost << "\n";
    if (!fit.refusal.empty()) {
        PrintFindings(fit.warnings, console.err);
        throw ToolError(ExitRefused, "not written: " + fit.refusal);
    }
    WriteImageFile(options.output, fit.image.image);
    if (!options.plot.empty())
        WriteWholeFile(options.plot, plot);

    const FitReportContext report{plan, fit, binding.library().fileName, options.output};
    if (options.json)
        console.out << FitReportJson(report).dump(2) << "\n";
    else
        PrintFitReport(report, console.out);
    return ExitSuccess;
}
