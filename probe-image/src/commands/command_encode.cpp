#include <map>
#include <memory>

#include <CLI/CLI.hpp>

#include "bound_library.h"
#include "command.h"
#include "commands.h"
#include "encoding.h"
#include "palvo.h"
#include "tool_error.h"

namespace {

const BoundLibrary& RequireLibrary(const LibraryBinding& binding) {
    if (!binding.Bound())
        throw ToolError(ExitRefused, binding.failure());
    return binding.library();
}

int Finish(const EncodedImage& encoded, const std::string& output, bool strict, Console& console) {
    for (const std::string& note : encoded.notes)
        console.err << "note: " << note << "\n";
    for (const std::string& lost : encoded.lostEdits)
        console.err << (strict ? "error: " : "warning: ") << lost << "\n";
    if (strict && !encoded.lostEdits.empty())
        throw ToolError(ExitRefused, "not written: the image cannot hold every value as given");
    WriteImageFile(output, encoded.image);
    console.out << "wrote " << output << "\n";
    return ExitSuccess;
}

}  // namespace

int RunEdit(const EditOptions& options, Console& console) {
    const std::vector<FieldEdit> edits = ParseFieldEdits(options.assignments);
    const ProbeImageBytes original = ReadImageFile(options.file);
    const LibraryBinding binding(TypeCharacter(original));
    const EncodedImage encoded = EditImage(RequireLibrary(binding), original, edits, options.mode);
    return Finish(encoded, options.output, options.strict, console);
}

int RunNew(const NewOptions& options, Console& console) {
    const std::vector<FieldEdit> edits = ParseFieldEdits(options.assignments);
    const LibraryBinding binding(TypeCharacterOf(options.type));
    const EncodedImage encoded = NewImage(RequireLibrary(binding), options.type, edits);
    return Finish(encoded, options.output, options.strict, console);
}

namespace {

const std::map<std::string, std::int32_t> kModes = {
    {"manufacture", ProbeModeManufacture},
    {"usage", ProbeModeUsage},
    {"calibration", ProbeModeCalibration},
};

struct EditCommandLine {
    EditOptions options;
    std::string mode;
};

CommandRun DeclareEdit(CLI::App& command, const CommandLine&) {
    const auto line = std::make_shared<EditCommandLine>();
    EditOptions& options = line->options;
    command.add_option("FILE", options.file, "image file to start from")->required();
    command.add_option("-o,--output", options.output, "image file to write")->required();
    command.add_option("--mode", line->mode, "field group the encoder writes")
        ->required()
        ->check(CLI::IsMember({"manufacture", "usage", "calibration"}));
    command.add_option("--set", options.assignments, kFieldHelp)->required();
    command.add_flag("--strict", options.strict,
                     "refuse when a value does not come back from the image as given");
    return [line](Console& console) {
        line->options.mode = kModes.at(line->mode);
        return RunEdit(line->options, console);
    };
}

CommandRun DeclareNew(CLI::App& command, const CommandLine&) {
    const auto options = std::make_shared<NewOptions>();
    command.add_option("--type", options->type, "probe type")
        ->required()
        ->check(CLI::IsMember({2, 3, 6}));
    command.add_option("-o,--output", options->output, "image file to write")->required();
    command.add_option("--set", options->assignments, kFieldHelp);
    command.add_flag("--strict", options->strict,
                     "refuse when a value does not come back from the image as given");
    return [options](Console& console) { return RunNew(*options, console); };
}

}  // namespace

extern const Command kEditCommand, kNewCommand;
const Command kEditCommand{"edit", "Change fields and encode them with the library's encoder",
                           DeclareEdit};
const Command kNewCommand{"new", "A fresh image built by the encoder", DeclareNew};
