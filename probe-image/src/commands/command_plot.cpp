#include <map>
#include <memory>

#include <CLI/CLI.hpp>

#include "bound_library.h"
#include "calibration_life.h"
#include "command.h"
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

namespace {

const std::map<std::string, PlotContent> kPlotContents = {
    {"position", PlotContent::Position},
    {"force", PlotContent::Force},
    {"both", PlotContent::Both},
};

struct PlotCommandLine {
    PlotOptions options;
    std::string what = "both";
};

CommandRun DeclarePlot(CLI::App& command, const CommandLine&) {
    const auto line = std::make_shared<PlotCommandLine>();
    PlotOptions& options = line->options;
    command.add_option("FILE", options.file, "image file")->required();
    command.add_option("-o,--output", options.output, "SVG file to write, - for standard output")
        ->required();
    command.add_option("--what", line->what, "curves to draw")
        ->check(CLI::IsMember({"position", "force", "both"}))
        ->capture_default_str();

    command.add_option("--points", options.points,
                       "CSV of raw,position measurements drawn over ProbeGetPosition of "
                       "their readings");
    command.add_option("--force-points", options.forcePoints,
                       "CSV of raw,force measurements drawn over the force curve");
    return [line](Console& console) {
        line->options.what = kPlotContents.at(line->what);
        return RunPlot(line->options, console);
    };
}

}  // namespace

extern const Command kPlotCommand;
const Command kPlotCommand{
    "plot", "Draw the position and force curves the library reports, as an SVG file", DeclarePlot};
