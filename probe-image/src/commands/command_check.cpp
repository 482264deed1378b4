#include <memory>

#include <CLI/CLI.hpp>

#include "bound_library.h"
#include "calibration_certificate.h"
#include "calibration_inputs.h"
#include "calibration_life.h"
#include "calibration_record.h"
#include "certificate_html.h"
#include "certificate_statements.h"
#include "check_report.h"
#include "command.h"
#include "commands.h"
#include "image_check.h"
#include "image_file.h"
#include "measurements.h"
#include "report_sources.h"
#include "result_plots.h"
#include "tool_error.h"
#include "verdict.h"
#include "whole_file.h"

namespace {

QuantityInputs InputsOf(const std::optional<MeasurementCheck>& checked) {
    if (!checked)
        return {};
    return {checked->measured, &checked->results.residuals, checked->tolerance, {}};
}

// The files of the check, kept with its record.
void KeepCheckFiles(RecordedRun& recorded, const CheckOptions& options) {
    KeepFile(recorded, "image", options.file);
    KeepFile(recorded, "position", options.position);
    if (!options.force.empty())
        KeepFile(recorded, "force", options.force);
    if (!options.certificate.budget.empty())
        KeepFile(recorded, "budget", options.certificate.budget);
}

}  // namespace

int RunCheck(const CheckOptions& options, Console& console, RecordedRun& recorded) {
    // Every file is read before anything is computed or written.
    const ProbeImageBytes image = ReadImageFile(options.file);
    const Measurements position = ReadMeasurements(options.position);
    std::optional<Measurements> force;
    if (!options.force.empty())
        force = ReadMeasurements(options.force);
    if (options.forceTolerance && !force)
        throw ToolError(ExitUsage,
                        "--force-tolerance belongs to a force check: give --force F.csv");
    const CalibrationInputs inputs = ReadCalibrationInputs(options.certificate);
    if (!options.certificate.amends.empty() && options.report.empty())
        throw ToolError(ExitUsage, "--amends belongs to a certificate: give --report FILE.html");

    std::string library;
    const ImageFacts found = DescribeImage(image, &library);
    NoteProbe(recorded.record, found);
    recorded.record.asFound = found;
    recorded.record.library = library;

    const LibraryBinding binding(TypeCharacter(image));
    const Verdict verdict = RequireAccepted(binding, image);
    const BoundLibrary& bound = binding.library();
    const ImageCheck check = CheckImage(
        bound, {&position, force ? &*force : nullptr, options.tolerance, options.forceTolerance});
    const Conformity conformity =
        ConformityOf(inputs.rule, inputs.budget ? &*inputs.budget : nullptr,
                     InputsOf(check.position), InputsOf(check.force));
    KeepCheckFiles(recorded, options);
    NoteConformity(recorded, conformity);

    std::string plot;
    if (!options.plot.empty() || !options.report.empty())
        plot = SvgPlot(
            CheckPlot(bound, verdict.record, LibraryCalibrationLife(bound, verdict.record), check));
    if (!options.plot.empty())
        WriteWholeFile(options.plot, plot);
    if (!options.report.empty()) {
        Certificate certificate =
            CheckCertificate(ProvenanceNow(options.operatorName, bound.fileName),
                             ReportImageOf(options.file, verdict.record), check, plot);
        const std::string number = TakeCertificateNumber(recorded, options.certificate);
        AddCertificateStatements(
            certificate,
            CertificateFactsOf(options.certificate, inputs, number, recorded.record.operatorName),
            conformity);
        WriteWholeFile(options.report, CertificateHtml(certificate));
        console.err << "certificate " << number << ": " << options.report << "\n";
    }

    const CheckReportContext report{
        check,      options.file, bound.fileName, verdict.record.Type, verdict.record.Serial,
        &conformity};
    if (options.json)
        console.out << CheckReportJson(report).dump(2) << "\n";
    else
        PrintCheckReport(report, console.out);
    // With a tolerance the decision rule tells; simple acceptance as the findings do.
    if (conformity.decided)
        return DecisionExit(conformity.overall);
    return check.findings.empty() ? ExitSuccess : ExitRefused;
}

namespace {

struct CheckCommandLine {
    CheckOptions options;
    double tolerance = 0;
    double forceTolerance = 0;
    CLI::Option* toleranceOption = nullptr;
    CLI::Option* forceToleranceOption = nullptr;
};

CommandRun DeclareCheck(CLI::App& command, const CommandLine& typed) {
    const auto line = std::make_shared<CheckCommandLine>();
    CheckOptions& check = line->options;
    command.add_option("FILE", check.file, "image file")->required();
    command
        .add_option("--position", check.position,
                    "CSV of raw,position measurements, or raw,position,u with the standard "
                    "uncertainty u")
        ->required();
    command.add_option("--force", check.force, "CSV of raw,force measurements (or raw,force,u)");
    command.add_flag("--json", check.json, "JSON for scripts");
    command.add_option("--plot", check.plot,
                       "SVG of the image with the measurements and the errors below");
    line->toleranceOption =
        command
            .add_option("--tolerance", line->tolerance,
                        "largest position error in mm that passes (beyond it: status 3)")
            ->check(CLI::NonNegativeNumber);
    line->forceToleranceOption =
        command
            .add_option("--force-tolerance", line->forceTolerance,
                        "largest force error in N that passes (beyond it: status 3)")
            ->check(CLI::NonNegativeNumber);
    command.add_option("--report", check.report,
                       "a calibration report as one self-contained printable HTML page");
    command.add_option("--operator", check.operatorName, "who checked, for the report");
    AddCertificateOptions(command, check.certificate);
    return [line, arguments = ArgumentsOf(typed, "check")](Console& console) {
        if (line->toleranceOption->count() > 0)
            line->options.tolerance = line->tolerance;
        if (line->forceToleranceOption->count() > 0)
            line->options.forceTolerance = line->forceTolerance;
        const CheckOptions& options = line->options;
        RecordOptions record = CalibrationRecordOptions(options.certificate, options.operatorName);
        record.notices = &console.err;
        return RunRecorded(record, "check", arguments,
                           [&](RecordedRun& run) { return RunCheck(options, console, run); });
    };
}

}  // namespace

extern const Command kCheckCommand;
const Command kCheckCommand{"check",
                            "The errors of an image against measurements, through the library: "
                            "per measurement, RMS, largest, and the largest as a share of the "
                            "measured span",
                            DeclareCheck};
