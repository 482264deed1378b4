#include "bound_library.h"
#include "calibration_life.h"
#include "commands.h"
#include "image_file.h"
#include "measurements.h"
#include "plot_contents.h"
#include "tool_error.h"
#include "verdict.h"
#include "whole_file.h"

namespace {

constexpr char kStandardOutput[] = "-";

}  // namespace

int RunPlot(const PlotOptions& options, Console& console) {
    const ProbeImageBytes image = ReadImageFile(options.file);
    std::optional<Measurements> positions;
    std::optional<Measurements> forces;
    if (!options.points.empty())
        positions = ReadMeasurements(options.points);
    if (!options.forcePoints.empty())
        forces = ReadMeasurements(options.forcePoints);
    const LibraryBinding binding(TypeCharacter(image));
    const Verdict verdict = RequireAccepted(binding, image);
    const BoundLibrary& library = binding.library();

    const PlotChoice choice{options.what != PlotContent::Force,
                            options.what != PlotContent::Position};
    const PlotMeasurements measured{positions ? &*positions : nullptr, forces ? &*forces : nullptr};
    const std::string svg =
        SvgPlot(PlotContents(library, verdict.record,
                             LibraryCalibrationLife(library, verdict.record), choice, measured));

    if (options.output == kStandardOutput) {
        console.out.write(svg.data(), static_cast<std::streamsize>(svg.size()));
        console.out.flush();
        if (!console.out)
            throw ToolError(ExitFile, "cannot write the plot to standard output");
        return ExitSuccess;
    }
    WriteWholeFile(options.output, svg);
    console.out << "wrote " << options.output << "\n";
    return ExitSuccess;
}
