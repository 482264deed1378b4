#include <cmath>
#include <memory>
#include <optional>

#include <CLI/CLI.hpp>

#include "bound_library.h"
#include "calibration_certificate.h"
#include "calibration_fit.h"
#include "calibration_life.h"
#include "certificate_html.h"
#include "command.h"
#include "commands.h"
#include "finding_output.h"
#include "fit_report.h"
#include "image_check.h"
#include "image_file.h"
#include "number_text.h"
#include "plot_contents.h"
#include "report_sources.h"
#include "result_plots.h"
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

bool Stated(const FitPlan& plan) {
    return !plan.position.uncertainty.empty() ||
           (plan.force && !plan.force->measurements.uncertainty.empty());
}

// The image written with the measurements; with the error panels where the
// uncertainties are stated, the old image was checked or a report asks for them.
std::string FitPlot(const LibraryBinding& binding, const ProbeImageBytes& image,
                    const FitPlan& plan, const CalibrationFit& fit, bool errors, bool forReport) {
    const Verdict verdict = RequireAccepted(binding, image);
    const BoundLibrary& library = binding.library();
    const PlotMeasurements measured{&plan.position,
                                    plan.force ? &plan.force->measurements : nullptr};
    PlotDocument document =
        PlotContents(library, verdict.record, LibraryCalibrationLife(library, verdict.record),
                     PlotChoice{}, measured);
    if (errors)
        AddFitErrorPanels(document, plan, fit);
    if (forReport)  // beside the check's plot, which shows no pressure
        std::erase_if(document.panels,
                      [](const PlotPanel& panel) { return panel.id == "pressure"; });
    return SvgPlot(document);
}

// The old image checked on the measurements, before the fit binds its library.
struct AsFound {
    ImageCheck check;
    ReportImage image;
    std::string plot;  // for the report
};

std::optional<AsFound> CheckAsFound(const FitOptions& options, const FitPlan& plan) {
    if (options.asFound.empty())
        return std::nullopt;
    const ProbeImageBytes image = ReadImageFile(options.asFound);
    const LibraryBinding binding(TypeCharacter(image));
    const Verdict verdict = JudgeImage(binding, image);
    if (!verdict.accepted)
        throw ToolError(ExitRefused,
                        "--as-found " + options.asFound + ": image refused: " + verdict.reason);
    const BoundLibrary& library = binding.library();
    AsFound found;
    found.check = CheckImage(
        library, {&plan.position, plan.force ? &plan.force->measurements : nullptr, {}, {}});
    found.image = ReportImageOf(options.asFound, verdict.record);
    if (!options.report.empty())
        found.plot = SvgPlot(CheckPlot(
            library, verdict.record, LibraryCalibrationLife(library, verdict.record), found.check));
    return found;
}

}  // namespace

int RunFit(const FitOptions& options, Console& console) {
    const FitPlan plan = PlanOf(options);
    const std::optional<AsFound> asFound = CheckAsFound(options, plan);
    const LibraryBinding binding(TypeCharacterOf(options.type));
    if (!binding.Bound())
        throw ToolError(ExitRefused, binding.failure());
    const CalibrationFit fit = FitCalibration(binding.library(), plan);
    const std::string plot = options.plot.empty()
                                 ? ""
                                 : FitPlot(binding, fit.image.image, plan, fit,
                                           Stated(plan) || asFound.has_value(), false);
    const std::string reportPlot =
        options.report.empty() ? "" : FitPlot(binding, fit.image.image, plan, fit, true, true);

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

    const FitReportContext report{plan,
                                  fit,
                                  binding.library().fileName,
                                  options.output,
                                  asFound ? &asFound->check : nullptr,
                                  options.asFound};
    if (!options.report.empty()) {
        const Verdict written = JudgeImage(binding, fit.image.image);
        WriteWholeFile(options.report,
                       CertificateHtml(FitCertificate(
                           ProvenanceNow(options.operatorName, binding.library().fileName), report,
                           ReportImageOf(options.output, written.record), reportPlot,
                           asFound ? std::optional<ReportImage>(asFound->image) : std::nullopt,
                           asFound ? asFound->plot : "")));
    }
    if (options.json)
        console.out << FitReportJson(report).dump(2) << "\n";
    else
        PrintFitReport(report, console.out);
    return ExitSuccess;
}

namespace {

CommandRun DeclareFit(CLI::App& command, const CommandLine&) {
    const auto options = std::make_shared<FitOptions>();
    FitOptions& fit = *options;
    command.add_option("--type", fit.type, "probe type")
        ->required()
        ->check(CLI::IsMember({2, 3, 6}));
    command
        .add_option("--position", fit.position,
                    "CSV of raw,position measurements (raw: what ProbeGetPosition takes); a "
                    "third column, the standard uncertainty u, makes the fit weighted (1/u)")
        ->required();
    command.add_option("--order", fit.order,
                       "position order, or auto: chosen from 1 to the image's limit by "
                       "the Bayesian information criterion (default)");
    command.add_option("--force", fit.force,
                       "CSV of raw,force measurements (types 3 and 6): the linear law, or "
                       "with --thresholds the polynomial between them");
    command.add_option("--force-order", fit.forceOrder,
                       "force polynomial order between the thresholds, or auto (default); "
                       "0: the linear law");
    command.add_option("--thresholds", fit.thresholds,
                       "X2,X1,F2,F1: the polynomial serves X2 <= raw < X1, F2 below, F1 "
                       "from X1 on");
    command.add_option("-o,--output", fit.output, "image file to write")->required();
    command.add_option("--set", fit.assignments, std::string(kFieldHelp) + "; Gain defaults to 52");
    command.add_flag("--json", fit.json, "JSON for scripts");
    command.add_option("--plot", fit.plot,
                       "SVG of the image written with the measurements drawn over it (and "
                       "the errors with the band of +-2u of the fit below, where "
                       "uncertainties are stated or --as-found is given)");
    command.add_option("--as-found", fit.asFound,
                       "the probe's old image, checked on the same measurements first: "
                       "its errors are reported beside those of the image written");
    command.add_option("--report", fit.report,
                       "a calibration report as one self-contained printable HTML page");
    command.add_option("--operator", fit.operatorName, "who calibrated, for the report");
    return [options](Console& console) { return RunFit(*options, console); };
}

}  // namespace

extern const Command kFitCommand;
const Command kFitCommand{"fit",
                          "Fit the calibration to measurements and encode it with the library's "
                          "encoder; report the residuals the library computes from the image "
                          "written",
                          DeclareFit};
