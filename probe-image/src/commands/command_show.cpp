#include <memory>

#include <CLI/CLI.hpp>

#include "bound_library.h"
#include "command.h"
#include "commands.h"
#include "exit_codes.h"
#include "force_steps.h"
#include "image_file.h"
#include "show_report.h"

int RunShow(const ShowOptions& options, Console& console) {
    const ProbeImageBytes image = ReadImageFile(options.file);
    const LibraryBinding binding(TypeCharacter(image));
    const ShowReport report =
        BuildShowReport(options.file, binding, image, options.forceStepTolerance);
    if (options.json)
        console.out << ShowReportJson(report).dump(2) << "\n";
    else
        PrintShowReport(report, console.out);
    if (!report.verdict.accepted || (options.strict && HasError(report.findings)))
        return ExitRefused;
    return ExitSuccess;
}

namespace {

CommandRun DeclareShow(CLI::App& command, const CommandLine&) {
    const auto options = std::make_shared<ShowOptions>();
    command.add_option("FILE", options->file, "image file")->required();
    command.add_flag("--json", options->json, "JSON for scripts");
    command.add_flag("--strict", options->strict, "fail (status 3) when a finding is an error");
    options->forceStepTolerance = kDefaultForceStepTolerance;
    command
        .add_option("--force-step-tolerance", options->forceStepTolerance,
                    "largest change of the force at a threshold x1 or x2 that is no finding")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    return [options](Console& console) { return RunShow(*options, console); };
}

}  // namespace

extern const Command kShowCommand;
const Command kShowCommand{
    "show", "The library's verdict on an image and everything it decodes from it", DeclareShow};
