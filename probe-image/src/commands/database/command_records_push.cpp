// probe-image records push: sends every journal line the database does not hold.
#include <CLI/CLI.hpp>

#include "bench_place.h"
#include "commands.h"
#include "database_commands.h"
#include "database_session.h"
#include "journal_push.h"
#include "tool_error.h"

namespace {

struct PushOptions {
    std::string dsn;
    std::string file;
};

int RunPush(const PushOptions& options, Console& console) {
    const std::filesystem::path path =
        options.file.empty() ? DefaultRecordPath() : std::filesystem::path(options.file);
    if (path.empty())
        throw ToolError(ExitFile, "no data folder for the journal; give --record FILE");
    std::error_code unknown;  // a path the system cannot look at fails below, when read
    if (!std::filesystem::exists(path, unknown) && !unknown) {
        console.out << "no journal at " << path.string() << ": nothing to send\n";
        return ExitSuccess;
    }
    const auto connection = OpenDatabase(options.dsn);
    PushResult result;
    try {
        result = PushJournal(*connection, path);
    } catch (const DatabaseError& error) {
        throw ToolError(ExitFile, std::string(error.what()) + "; nothing was sent");
    } catch (const std::runtime_error& error) {
        throw ToolError(ExitFile, error.what());
    }
    for (const std::string& skipped : result.skipped)
        console.err << "probe-image: " << path.string() << " " << skipped << "; not sent\n";
    console.out << "sent " << result.sent << (result.sent == 1 ? " record" : " records") << ", "
                << result.held << " held already";
    if (result.unchained > 0)
        console.out << ", " << result.unchained << " written before the chain (no id, not sent)";
    console.out << "\n";
    if (result.stopped.empty())
        return ExitSuccess;
    throw ToolError(result.refused ? ExitRefused : ExitFile,
                    result.stopped + "; nothing after it was sent");
}

}  // namespace

PluggedCommand AddRecordsPushCommand(CLI::App& records) {
    auto options = std::make_shared<PushOptions>();
    CLI::App* command = records.add_subcommand(
        "push",
        "Send every journal line the database does not hold yet (repeatable: a line is "
        "stored once)");
    AddDatabaseOption(*command, options->dsn);
    command->add_option("--record", options->file,
                        "journal to send (default probe-image/records.jsonl in the user's "
                        "data folder)");
    return {command, [command] { return command->parsed(); },
            [options](Console& console) { return RunPush(*options, console); }};
}
