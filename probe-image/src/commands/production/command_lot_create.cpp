// probe-image lot create: a lot of serials to program probes from one template,
// in the lab database or beside the record file.
#include <CLI/CLI.hpp>

#include "bench_place.h"
#include "bound_library.h"
#include "commands.h"
#include "database_session.h"
#include "image_file.h"
#include "lot_serials.h"
#include "lot_source.h"
#include "production_commands.h"
#include "sha256.h"
#include "tool_error.h"
#include "verdict.h"

namespace {

struct LotCreateOptions {
    std::string lot;
    std::string serials;
    std::string templateFile;
    std::string dsn;
    std::string record;
};

LotDefinition DefinitionOf(const LotCreateOptions& options, Console& console) {
    LotDefinition lot;
    lot.name = options.lot;
    try {
        RequireLotName(lot.name);
        lot.serials = ParseSerialRange(options.serials);
    } catch (const LotError& error) {
        throw ToolError(ExitUsage, error.what());
    }
    // A lot is made only for a template its probes' library takes.
    const ProbeImageBytes image = ReadImageFile(options.templateFile);
    const LibraryBinding binding(TypeCharacter(image));
    RequireAccepted(binding, image);
    console.out << "template " << options.templateFile << " accepted by "
                << binding.library().fileName << "\n";
    lot.templateSha256 = Sha256Hex(image.data(), image.size());
    return lot;
}

// Where the lot is kept; made says whether it is new.
std::string Create(const LotCreateOptions& options, const LotDefinition& lot, bool& made) {
    const std::string dsn = ChosenDatabase(options.dsn);
    try {
        if (!dsn.empty()) {
            const auto connection = OpenDatabase(dsn);
            made = CreateDatabaseLot(*connection, lot);
            return "the lab database";
        }
        const std::filesystem::path journal =
            options.record.empty() ? DefaultRecordPath() : std::filesystem::path(options.record);
        if (journal.empty())
            throw ToolError(ExitFile,
                            "no data folder for the record file beside which lots are kept "
                            "(set XDG_DATA_HOME or HOME); give --record FILE");
        const std::filesystem::path folder = LocalLotFolder(journal);
        std::error_code error;
        made = !std::filesystem::exists(folder / (lot.name + ".jsonl"), error);
        return OpenLocalLot(folder, lot)->Where();
    } catch (const LotError& error) {
        ThrowLotToolError(error);
    }
}

int RunLotCreate(const LotCreateOptions& options, Console& console) {
    const LotDefinition lot = DefinitionOf(options, console);
    bool made = false;
    const std::string where = Create(options, lot, made);
    console.out << "lot " << lot.name << (made ? " made" : " kept already as defined")
                << ": serials " << SerialRangeText(lot.serials) << ", " << lot.serials.size()
                << (lot.serials.size() == 1 ? " serial" : " serials") << "\n";
    console.out << "template SHA-256 " << lot.templateSha256 << "\n";
    console.out << "kept in " << where << "\n";
    return ExitSuccess;
}

}  // namespace

PluggedCommand AddLotCreateCommand(CLI::App& lot) {
    const auto options = std::make_shared<LotCreateOptions>();
    CLI::App* command = lot.add_subcommand(
        "create",
        "Make a lot: a range of serials for probes programmed from one template, kept in the "
        "lab database (--database) or beside the record file");
    command->add_option("LOT", options->lot, "the lot's name: letters, digits, '.', '_', '-'")
        ->required();
    command
        ->add_option("--serials", options->serials,
                     "FIRST-LAST, the serials of the lot (seven digits at most), overlapping no "
                     "other lot")
        ->required();
    command
        ->add_option("--template", options->templateFile,
                     "the image the lot's probes are programmed from; its library must accept it")
        ->required();
    AddDatabaseOption(*command, options->dsn);
    command->add_option("--record", options->record,
                        "record file beside which the lots are kept, in lots/, without a "
                        "database (default probe-image/records.jsonl in the user's data folder)");
    return {command, [command] { return command->parsed(); },
            [options](Console& console) { return RunLotCreate(*options, console); }};
}
