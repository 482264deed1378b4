#include <memory>

#include <CLI/CLI.hpp>

#include "bound_library.h"
#include "calibration_certificate.h"
#include "calibration_life.h"
#include "certificate_html.h"
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

namespace {

struct CheckCommandLine {
    CheckOptions options;
    double tolerance = 0;
    double forceTolerance = 0;
    CLI::Option* toleranceOption = nullptr;
    CLI::Option* forceToleranceOption = nullptr;
};

CommandRun DeclareCheck(CLI::App& command, const CommandLine&) {
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
    return [line](Console& console) {
        if (line->toleranceOption->count() > 0)
            line->options.tolerance = line->tolerance;
        if (line->forceToleranceOption->count() > 0)
            line->options.forceTolerance = line->forceTolerance;
        return RunCheck(line->options, console);
    };
}

}  // namespace

extern const Command kCheckCommand;
const Command kCheckCommand{"check",
                            "The errors of an image against measurements, through the library: "
                            "per measurement, RMS, largest, and the largest as a share of the "
                            "measured span",
                            DeclareCheck};
