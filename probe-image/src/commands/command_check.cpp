#include "bound_library.h"
#include "calibration_certificate.h"
#include "calibration_inputs.h"
#include "calibration_life.h"
#include "calibration_record.h"
#include "certificate_html.h"
#include "certificate_statements.h"
#include "check_report.h"
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
