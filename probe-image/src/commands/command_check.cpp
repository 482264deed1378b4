#include "bound_library.h"
#include "calibration_certificate.h"
#include "calibration_life.h"
#include "certificate_html.h"
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

int RunCheck(const CheckOptions& options, Console& console) {
    // Every file is read before anything is computed or written.
    const ProbeImageBytes image = ReadImageFile(options.file);
    const Measurements position = ReadMeasurements(options.position);
    std::optional<Measurements> force;
    if (!options.force.empty())
        force = ReadMeasurements(options.force);
    if (options.forceTolerance && !force)
        throw ToolError(ExitUsage,
                        "--force-tolerance belongs to a force check: give --force F.csv");

    const LibraryBinding binding(TypeCharacter(image));
    const Verdict verdict = RequireAccepted(binding, image);
    const BoundLibrary& library = binding.library();
    const ImageCheck check = CheckImage(
        library, {&position, force ? &*force : nullptr, options.tolerance, options.forceTolerance});

    std::string plot;
    if (!options.plot.empty() || !options.report.empty())
        plot = SvgPlot(CheckPlot(library, verdict.record,
                                 LibraryCalibrationLife(library, verdict.record), check));
    if (!options.plot.empty())
        WriteWholeFile(options.plot, plot);
    if (!options.report.empty())
        WriteWholeFile(options.report,
                       CertificateHtml(CheckCertificate(
                           ProvenanceNow(options.operatorName, library.fileName),
                           ReportImageOf(options.file, verdict.record), check, plot)));

    const CheckReportContext report{check, options.file, library.fileName, verdict.record.Type,
                                    verdict.record.Serial};
    if (options.json)
        console.out << CheckReportJson(report).dump(2) << "\n";
    else
        PrintCheckReport(report, console.out);
    return check.findings.empty() ? ExitSuccess : ExitRefused;
}
