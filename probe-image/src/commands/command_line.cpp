#include "command_line.h"

#include <algorithm>
#include <map>
#include <new>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "database_commands.h"
#include "eeprom_choice.h"
#include "force_steps.h"
#include "palvo.h"
#include "project_version.h"
#include "recorded_run.h"
#include "tool_error.h"

namespace {

const std::map<std::string, std::int32_t> kModes = {
    {"manufacture", ProbeModeManufacture},
    {"usage", ProbeModeUsage},
    {"calibration", ProbeModeCalibration},
};

const std::map<std::string, PlotContent> kPlotContents = {
    {"position", PlotContent::Position},
    {"force", PlotContent::Force},
    {"both", PlotContent::Both},
};

const char kFieldHelp[] =
    "Field=value; fields as the record names them: Serial, OText, CalibrationDate, "
    "FabricationDate, NNumber, UsageCount, Gain, FrValue, ForceK, ForceX0, FValue, RValue, "
    "ForceX1, ForceX2, ForceF1, ForceF2, PositionCoefficients=c0,c1,..., "
    "ForceCoefficients=d0,d1,...";

struct ConvertInputs {
    std::vector<std::string> force, pressure, position, sample;
    CLI::Option* forceOption = nullptr;
    CLI::Option* pressureOption = nullptr;
    CLI::Option* positionOption = nullptr;
    CLI::Option* sampleOption = nullptr;
};

// The conversions in the order they were typed: the parser records one entry per
// value taken, naming the option that took it.
std::vector<Conversion> ConversionsInOrder(const CLI::App& command, const ConvertInputs& inputs) {
    std::vector<Conversion> conversions;
    std::size_t next[4] = {};
    const std::pair<CLI::Option*, std::pair<ConversionKind, const std::vector<std::string>*>>
        options[] = {
            {inputs.forceOption, {ConversionKind::Force, &inputs.force}},
            {inputs.pressureOption, {ConversionKind::Pressure, &inputs.pressure}},
            {inputs.positionOption, {ConversionKind::Position, &inputs.position}},
            {inputs.sampleOption, {ConversionKind::Sample, &inputs.sample}},
        };
    for (const CLI::Option* taken : command.parse_order()) {
        for (std::size_t i = 0; i < std::size(options); ++i) {
            const auto& [option, target] = options[i];
            if (option == taken && next[i] < target.second->size())
                conversions.push_back({target.first, (*target.second)[next[i]++]});
        }
    }
    return conversions;
}

// --record, --no-record and --operator of the commands that touch a probe.
void AddRecordOptions(CLI::App& command, RecordOptions& record) {
    CLI::Option* file = command.add_option(
        "--record", record.file,
        "record file to append this run to (default probe-image/records.jsonl in the user's "
        "data folder: $XDG_DATA_HOME or ~/.local/share, %LOCALAPPDATA% on Windows)");
    command.add_flag("--no-record", record.off, "keep no record of this run")->excludes(file);
    command.add_option("--operator", record.operatorName,
                       "who runs it, for the record (default the login name)");
    AddDatabaseOption(command, record.database);
}

// The arguments after the command's name, as typed.
std::vector<std::string> ArgumentsAfter(const std::vector<std::string>& arguments,
                                        const std::string& command) {
    const auto name = std::find(arguments.begin(), arguments.end(), command);
    return name == arguments.end() ? arguments
                                   : std::vector<std::string>(name + 1, arguments.end());
}

}  // namespace

int RunProbeImage(std::vector<std::string> arguments, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "Inspect, check, plot, edit, create, fit, read and write probe EEPROM images through "
        "the probe libraries themselves, the one of the image's type bound at run time.",
        "probe-image"};
    app.set_version_flag("--version", std::string("probe-image ") + kProjectVersion);
    app.require_subcommand(1);
    app.footer(kExitCodeHelp);

    ShowOptions show;
    CLI::App* showCommand = app.add_subcommand("show",
                                               "The library's verdict on an image and "
                                               "everything it decodes from it");
    showCommand->add_option("FILE", show.file, "image file")->required();
    showCommand->add_flag("--json", show.json, "JSON for scripts");
    showCommand->add_flag("--strict", show.strict, "fail (status 3) when a finding is an error");
    show.forceStepTolerance = kDefaultForceStepTolerance;
    showCommand
        ->add_option("--force-step-tolerance", show.forceStepTolerance,
                     "largest change of the force at a threshold x1 or x2 that is no finding")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();

    PlotOptions plot;
    std::string plotWhat = "both";
    CLI::App* plotCommand = app.add_subcommand(
        "plot", "Draw the position and force curves the library reports, as an SVG file");
    plotCommand->add_option("FILE", plot.file, "image file")->required();
    plotCommand->add_option("-o,--output", plot.output, "SVG file to write, - for standard output")
        ->required();
    plotCommand->add_option("--what", plotWhat, "curves to draw")
        ->check(CLI::IsMember({"position", "force", "both"}))
        ->capture_default_str();

    plotCommand->add_option("--points", plot.points,
                            "CSV of raw,position measurements drawn over ProbeGetPosition of "
                            "their readings");
    plotCommand->add_option("--force-points", plot.forcePoints,
                            "CSV of raw,force measurements drawn over the force curve");

    EditOptions edit;
    std::string editMode;
    CLI::App* editCommand =
        app.add_subcommand("edit", "Change fields and encode them with the library's encoder");
    editCommand->add_option("FILE", edit.file, "image file to start from")->required();
    editCommand->add_option("-o,--output", edit.output, "image file to write")->required();
    editCommand->add_option("--mode", editMode, "field group the encoder writes")
        ->required()
        ->check(CLI::IsMember({"manufacture", "usage", "calibration"}));
    editCommand->add_option("--set", edit.assignments, kFieldHelp)->required();
    editCommand->add_flag("--strict", edit.strict,
                          "refuse when a value does not come back from the image as given");

    NewOptions fresh;
    CLI::App* newCommand = app.add_subcommand("new", "A fresh image built by the encoder");
    newCommand->add_option("--type", fresh.type, "probe type")
        ->required()
        ->check(CLI::IsMember({2, 3, 6}));
    newCommand->add_option("-o,--output", fresh.output, "image file to write")->required();
    newCommand->add_option("--set", fresh.assignments, kFieldHelp);
    newCommand->add_flag("--strict", fresh.strict,
                         "refuse when a value does not come back from the image as given");

    FitOptions fit;
    CLI::App* fitCommand = app.add_subcommand(
        "fit",
        "Fit the calibration to measurements and encode it with the library's encoder; "
        "report the residuals the library computes from the image written");
    fitCommand->add_option("--type", fit.type, "probe type")
        ->required()
        ->check(CLI::IsMember({2, 3, 6}));
    fitCommand
        ->add_option("--position", fit.position,
                     "CSV of raw,position measurements (raw: what ProbeGetPosition takes); a "
                     "third column, the standard uncertainty u, makes the fit weighted (1/u)")
        ->required();
    fitCommand->add_option("--order", fit.order,
                           "position order, or auto: chosen from 1 to the image's limit by "
                           "the Bayesian information criterion (default)");
    fitCommand->add_option("--force", fit.force,
                           "CSV of raw,force measurements (types 3 and 6): the linear law, or "
                           "with --thresholds the polynomial between them");
    fitCommand->add_option("--force-order", fit.forceOrder,
                           "force polynomial order between the thresholds, or auto (default); "
                           "0: the linear law");
    fitCommand->add_option("--thresholds", fit.thresholds,
                           "X2,X1,F2,F1: the polynomial serves X2 <= raw < X1, F2 below, F1 "
                           "from X1 on");
    fitCommand->add_option("-o,--output", fit.output, "image file to write")->required();
    fitCommand->add_option("--set", fit.assignments,
                           std::string(kFieldHelp) + "; Gain defaults to 52");
    fitCommand->add_flag("--json", fit.json, "JSON for scripts");
    fitCommand->add_option("--plot", fit.plot,
                           "SVG of the image written with the measurements drawn over it (and "
                           "the errors with the band of +-2u of the fit below, where "
                           "uncertainties are stated or --as-found is given)");
    fitCommand->add_option("--as-found", fit.asFound,
                           "the probe's old image, checked on the same measurements first: "
                           "its errors are reported beside those of the image written");
    fitCommand->add_option("--report", fit.report,
                           "a calibration report as one self-contained printable HTML page");
    fitCommand->add_option("--operator", fit.operatorName, "who calibrated, for the report");

    CheckOptions check;
    double tolerance = 0;
    double forceTolerance = 0;
    CLI::App* checkCommand = app.add_subcommand(
        "check",
        "The errors of an image against measurements, through the library: per measurement, "
        "RMS, largest, and the largest as a share of the measured span");
    checkCommand->add_option("FILE", check.file, "image file")->required();
    checkCommand
        ->add_option("--position", check.position,
                     "CSV of raw,position measurements, or raw,position,u with the standard "
                     "uncertainty u")
        ->required();
    checkCommand->add_option("--force", check.force,
                             "CSV of raw,force measurements (or raw,force,u)");
    checkCommand->add_flag("--json", check.json, "JSON for scripts");
    checkCommand->add_option("--plot", check.plot,
                             "SVG of the image with the measurements and the errors below");
    CLI::Option* toleranceOption =
        checkCommand
            ->add_option("--tolerance", tolerance,
                         "largest position error in mm that passes (beyond it: status 3)")
            ->check(CLI::NonNegativeNumber);
    CLI::Option* forceToleranceOption =
        checkCommand
            ->add_option("--force-tolerance", forceTolerance,
                         "largest force error in N that passes (beyond it: status 3)")
            ->check(CLI::NonNegativeNumber);
    checkCommand->add_option("--report", check.report,
                             "a calibration report as one self-contained printable HTML page");
    checkCommand->add_option("--operator", check.operatorName, "who checked, for the report");

    ConvertOptions convert;
    ConvertInputs inputs;
    CLI::App* convertCommand = app.add_subcommand(
        "convert", "Raw readings converted by the library of the image's type, one per line");
    convertCommand->add_option("FILE", convert.file, "image file")->required();
    inputs.forceOption =
        convertCommand->add_option("--force", inputs.force, "raw force reading (ProbeGetForce)");
    inputs.pressureOption = convertCommand->add_option("--pressure", inputs.pressure,
                                                       "raw force reading (ProbeGetPression)");
    inputs.positionOption = convertCommand->add_option("--position", inputs.position,
                                                       "raw position reading (ProbeGetPosition)");
    inputs.sampleOption = convertCommand->add_option(
        "--sample", inputs.sample, "16-bit position sample (ProbeGetPosition2 or the table)");

    RecordOptions record;
    ReadOptions read;
    CLI::App* readCommand = app.add_subcommand("read", "Save the EEPROM's image to a file");
    readCommand->add_option("OUT", read.output, "image file to write")->required();
    readCommand->add_flag("--verify", read.verify,
                          "read twice and compare; on a difference read again, up to 3 reads, "
                          "and fail (status 5, no file) when no two agree");
    AddEepromOptions(*readCommand, read.eeprom);
    AddRecordOptions(*readCommand, record);

    StatusOptions status;
    CLI::App* statusCommand =
        app.add_subcommand("status", "The writer's status line for the connected probe");
    AddEepromOptions(*statusCommand, status.eeprom);
    AddRecordOptions(*statusCommand, record);

    WriteOptions write;
    CLI::App* writeCommand = app.add_subcommand(
        "write", "Check an image file, save the EEPROM, write the file into it and read it back");
    writeCommand->add_option("FILE", write.file, "image file (its first 256 bytes)")->required();
    writeCommand->add_flag("--no-verify", write.noVerify, "do not read back");
    writeCommand->add_option("--backup", write.backup,
                             "where the old EEPROM content goes (default "
                             "<serial>-<UTC time>-as-found.bin in as-found/ beside the record; "
                             "with --no-record FILE.backup-<date>-<time>.bin)");
    writeCommand->add_flag("--dry-run", write.dryRun, "check and tell, write nothing");
    writeCommand->add_flag("--force", write.force, "write an image the library refuses");
    writeCommand->add_flag("--only-changed", write.onlyChanged,
                           "write only the 16-byte pages that differ from the EEPROM "
                           "(default: all 16); the read-back still compares them all");
    AddEepromOptions(*writeCommand, write.eeprom);
    AddRecordOptions(*writeCommand, record);

    CLI::App* busesCommand = AddBusSupport(app);

    RecordsOptions records;
    CLI::App* recordsCommand = app.add_subcommand(
        "records", "List the records of reads, writes and status polls, oldest first");
    recordsCommand->add_option("--record", records.file,
                               "record file (default probe-image/records.jsonl in the user's "
                               "data folder)");
    recordsCommand->add_option("--serial", records.serial, "only the probe with this serial");
    recordsCommand->add_option("--since", records.since,
                               "only from this UTC date or time on (YYYY-MM-DD or "
                               "YYYY-MM-DDTHH:MM:SSZ)");
    recordsCommand->add_flag("--json", records.json, "JSON for scripts");
    const std::vector<PluggedCommand> plugged = AddDatabaseCommands(app, *recordsCommand, records);

    const std::vector<std::string> typed = arguments;
    std::reverse(arguments.begin(), arguments.end());
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? ExitSuccess : ExitUsage;
    }

    Console console{out, err};
    record.notices = &err;
    try {
        for (const PluggedCommand& command : plugged)
            if (command.chosen())
                return command.run(console);
        if (showCommand->parsed())
            return RunShow(show, console);
        if (plotCommand->parsed()) {
            plot.what = kPlotContents.at(plotWhat);
            return RunPlot(plot, console);
        }
        if (editCommand->parsed()) {
            edit.mode = kModes.at(editMode);
            return RunEdit(edit, console);
        }
        if (newCommand->parsed())
            return RunNew(fresh, console);
        if (fitCommand->parsed())
            return RunFit(fit, console);
        if (checkCommand->parsed()) {
            if (toleranceOption->count() > 0)
                check.tolerance = tolerance;
            if (forceToleranceOption->count() > 0)
                check.forceTolerance = forceTolerance;
            return RunCheck(check, console);
        }
        if (convertCommand->parsed()) {
            convert.conversions = ConversionsInOrder(*convertCommand, inputs);
            return RunConvert(convert, console);
        }
        if (recordsCommand->parsed())
            return RunRecords(records, console);
        if (readCommand->parsed())
            return RunRecorded(record, "read", ArgumentsAfter(typed, "read"),
                               [&](RecordedRun& run) { return RunRead(read, console, run); });
        if (writeCommand->parsed())
            return RunRecorded(record, "write", ArgumentsAfter(typed, "write"),
                               [&](RecordedRun& run) { return RunWrite(write, console, run); });
        if (busesCommand != nullptr && busesCommand->parsed())
            return RunBuses(console);
        return RunRecorded(record, "status", ArgumentsAfter(typed, "status"),
                           [&](RecordedRun& run) { return RunStatus(status, console, run); });
    } catch (const ToolError& error) {
        err << "probe-image: " << error.what() << "\n";
        return error.code();
    } catch (const std::bad_alloc&) {
        err << "probe-image: out of memory\n";
        return ExitRefused;
    }
}
