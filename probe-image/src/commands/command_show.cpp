#include "bound_library.h"
#include "commands.h"
#include "exit_codes.h"
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
