#include <cmath>
#include <memory>
#include <optional>

#include <CLI/CLI.hpp>

#include "bound_library.h"
#include "calibration_certificate.h"
#include "calibration_fit.h"
#include "calibration_inputs.h"
#include "calibration_life.h"
#include "calibration_record.h"
#include "certificate_html.h"
#include "certificate_statements.h"
#include "comma_list.h"
#include "command.h"
#include "commands.h"
#include "conformity_output.h"
#include "finding_output.h"
#include "fit_report.h"
#include "image_check.h"
#include "image_file.h"
#include "number_text.h"
#include "plan_conflict.h"
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

std::vector<FieldEdit> ThresholdEdits(const std::string& text) {
    const std::vector<std::string_view> values = SplitCommaList(text);
    if (values.size() != std::size(kThresholdFields))
        Usage("--thresholds " + text + ": expected four numbers X2,X1,F2,F1");
    std::vector<FieldEdit> edits;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string given(values[i]);
        const auto value = ParseFloat(given);
        if (!value || !std::isfinite(*value))
            Usage("--thresholds " + text + ": \"" + given + "\" is not a finite number");
        edits.push_back(ParseFieldEdit(std::string(kThresholdFields[i]) + "=" + given));
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

// The fit's objection to the plan in the words of the options that made it.
std::string OptionWording(const FitPlanError& error) {
    const PlanConflict& conflict = error.conflict();
    switch (conflict.kind) {
        case PlanConflictKind::FieldSetByFit:  // "Field: why"
            return "--set " + std::string(error.what());
        case PlanConflictKind::ForceOrderWithoutThresholds:
            return "--force-order " + std::to_string(conflict.order) +
                   " needs --thresholds X2,X1,F2,F1: without them the force law is linear";
        case PlanConflictKind::ThresholdsWithLinearLaw:
            return "--force-order 0 is the linear law, which has no thresholds: leave out "
                   "--thresholds or give a force order of 1 or more";
        case PlanConflictKind::ThresholdsOutOfOrder:
            return "--thresholds: x2 (" + FloatText(conflict.x2) + ") must lie below x1 (" +
                   FloatText(conflict.x1) + "), as the image holds them";
    }
    return error.what();
}

CalibrationFit FitAsAsked(const BoundLibrary& library, const FitPlan& plan) {
    try {
        return FitCalibration(library, plan);
    } catch (const FitPlanError& error) {
        Usage(OptionWording(error));
    }
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

// The expanded uncertainty as left: the budget, each point's u and the fitted
// curve's u with n - m degrees of freedom.
Conformity FitConformity(const CalibrationInputs& inputs, const FitPlan& plan,
                         const CalibrationFit& fit, const std::vector<double>& forceFitted) {
    const auto dof = [](std::size_t points, std::size_t parameters) {
        return points > parameters ? static_cast<double>(points - parameters) : 0.0;
    };
    const QuantityInputs position{
        &plan.position,
        &fit.positionResults.residuals,
        std::nullopt,
        {&fit.position.uncertainty.atMeasurements,
         dof(plan.position.raw.size(), fit.position.uncertainty.coefficients.size())}};
    QuantityInputs force;
    if (plan.force && fit.forceResults) {
        const std::size_t parameters =
            fit.forcePolynomial ? fit.forcePolynomial->uncertainty.coefficients.size() : 2;
        force = {&plan.force->measurements,
                 &fit.forceResults->residuals,
                 std::nullopt,
                 {&forceFitted, dof(plan.force->measurements.raw.size(), parameters)}};
    }
    return ConformityOf(inputs.rule, inputs.budget ? &*inputs.budget : nullptr, position, force);
}

void KeepFitFiles(RecordedRun& recorded, const FitOptions& options) {
    if (!options.asFound.empty())
        KeepFile(recorded, "as-found", options.asFound);
    KeepFile(recorded, "as-left", options.output);
    KeepFile(recorded, "position", options.position);
    if (!options.force.empty())
        KeepFile(recorded, "force", options.force);
    if (!options.certificate.budget.empty())
        KeepFile(recorded, "budget", options.certificate.budget);
}

}  // namespace

int RunFit(const FitOptions& options, Console& console, RecordedRun& recorded) {
    const FitPlan plan = PlanOf(options);
    const CalibrationInputs inputs = ReadCalibrationInputs(options.certificate);
    if (!options.certificate.amends.empty() && options.report.empty())
        throw ToolError(ExitUsage, "--amends belongs to a certificate: give --report FILE.html");
    const std::optional<AsFound> asFound = CheckAsFound(options, plan);
    const LibraryBinding binding(TypeCharacterOf(options.type));
    if (!binding.Bound())
        throw ToolError(ExitRefused, binding.failure());
    const CalibrationFit fit = FitAsAsked(binding.library(), plan);
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
    const std::vector<double> forceFitted = plan.force && fit.forceResults
                                                ? ForceFitUncertainty(fit, plan.force->measurements)
                                                : std::vector<double>();
    const Conformity conformity = FitConformity(inputs, plan, fit, forceFitted);
    {
        std::string library;
        const ImageFacts left = DescribeImage(fit.image.image, &library);
        NoteProbe(recorded.record, left);
        recorded.record.asLeft = left;
        recorded.record.library = library;
        if (!options.asFound.empty())
            recorded.record.asFound = DescribeImage(ReadImageFile(options.asFound));
    }
    KeepFitFiles(recorded, options);
    NoteConformity(recorded, conformity);

    const FitReportContext report{plan,
                                  fit,
                                  binding.library().fileName,
                                  options.output,
                                  asFound ? &asFound->check : nullptr,
                                  options.asFound};
    if (!options.report.empty()) {
        const Verdict written = JudgeImage(binding, fit.image.image);
        Certificate certificate =
            FitCertificate(ProvenanceNow(options.operatorName, binding.library().fileName), report,
                           ReportImageOf(options.output, written.record), reportPlot,
                           asFound ? std::optional<ReportImage>(asFound->image) : std::nullopt,
                           asFound ? asFound->plot : "");
        const std::string number = TakeCertificateNumber(recorded, options.certificate);
        AddCertificateStatements(
            certificate,
            CertificateFactsOf(options.certificate, inputs, number, recorded.record.operatorName),
            conformity);
        WriteWholeFile(options.report, CertificateHtml(certificate));
        console.err << "certificate " << number << ": " << options.report << "\n";
    }
    // The uncertainty as left in a block of its own after the fit's report.
    if (options.json) {
        nlohmann::ordered_json json = FitReportJson(report);
        if (!StatesNothing(conformity))
            json["conformity"] = ConformityJson(conformity);
        console.out << json.dump(2) << "\n";
    } else {
        PrintFitReport(report, console.out);
        PrintConformity(conformity, console.out);
    }
    return ExitSuccess;
}

namespace {

CommandRun DeclareFit(CLI::App& command, const CommandLine& typed) {
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
    AddCertificateOptions(command, fit.certificate);
    return [options, arguments = ArgumentsOf(typed, "fit")](Console& console) {
        RecordOptions record =
            CalibrationRecordOptions(options->certificate, options->operatorName);
        record.notices = &console.err;
        return RunRecorded(record, "fit", arguments,
                           [&](RecordedRun& run) { return RunFit(*options, console, run); });
    };
}

}  // namespace

extern const Command kFitCommand;
const Command kFitCommand{"fit",
                          "Fit the calibration to measurements and encode it with the library's "
                          "encoder; report the residuals the library computes from the image "
                          "written",
                          DeclareFit};
