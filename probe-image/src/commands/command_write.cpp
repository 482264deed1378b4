#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "backup_name.h"
#include "bound_library.h"
#include "command.h"
#include "commands.h"
#include "eeprom_choice.h"
#include "image_file.h"
#include "joined_text.h"
#include "recorded_run.h"
#include "tool_error.h"
#include "verdict.h"

namespace {

// Offsets of the pages whose bytes differ between the two images.
std::vector<unsigned> DifferentPages(const ProbeImageBytes& a, const ProbeImageBytes& b) {
    return ::DifferentPages(a.data(), b.data());
}

std::vector<unsigned> AllPages() {
    std::vector<unsigned> pages;
    for (unsigned offset = 0; offset < EepromSize; offset += EepromPageSize)
        pages.push_back(offset);
    return pages;
}

std::string PageList(const std::vector<unsigned>& offsets) {
    return JoinedText(offsets, ", ", [](unsigned offset) { return std::to_string(offset); });
}

// The library of the image's own type must accept it, unless forced.
void CheckImage(const ProbeImageBytes& image, bool force, Console& console) {
    const LibraryBinding binding(TypeCharacter(image));
    const Verdict verdict = JudgeImage(binding, image);
    if (verdict.accepted) {
        console.out << "image accepted by " << binding.library().fileName << "\n";
        return;
    }
    if (!force)
        throw ToolError(ExitRefused,
                        "image refused: " + verdict.reason + " (--force writes it anyway)");
    console.err << "warning: image refused: " << verdict.reason << "; writing it (--force)\n";
}

ProbeImageBytes ReadEeprom(ProbeEeprom& eeprom, const char* purpose) {
    ProbeImageBytes image{};
    const int status = eeprom.ReadImage(image.data());
    if (status != BridgeSuccess)
        throw ToolError(ExitBridge, std::string("cannot read the EEPROM ") + purpose + ": " +
                                        EepromFailure(eeprom, status));
    return image;
}

// The pages as the writer writes them, each reported as it is done and noted in
// the record. Returns the status of the first failure; firstFailure receives its
// words.
int WritePages(ProbeEeprom& eeprom, const ProbeImageBytes& image,
               const std::vector<unsigned>& offsets, Console& console, BenchRecord& record,
               std::string& firstFailure) {
    return WriteSelectedPages(eeprom, image.data(), offsets, [&](unsigned offset, int status) {
        (status == BridgeSuccess ? *record.pagesWritten : record.pagesFailed).push_back(offset);
        const std::string failure =
            status == BridgeSuccess ? std::string() : EepromFailure(eeprom, status);
        if (firstFailure.empty())
            firstFailure = failure;
        console.out << "page " << offset / EepromPageSize + 1 << "/" << EepromPageCount << " at "
                    << offset << ": " << (failure.empty() ? std::string("written") : failure)
                    << "\n"
                    << std::flush;
    });
}

// Where the old content goes without a name given: with records, a name with the
// serial in the folder beside the record; else a dated name beside the file.
std::string BackupStem(const WriteOptions& options, const RecordedRun& recorded) {
    if (recorded.backupFolder.empty())
        return DefaultBackupStem(options.file, *std::localtime(&recorded.started));
    return AsFoundBackupStem(recorded.backupFolder, recorded.record.serial,
                             *std::gmtime(&recorded.started));
}

std::filesystem::path BackupPath(const WriteOptions& options, const RecordedRun& recorded) {
    return options.backup.empty() ? FreeBackupName(BackupStem(options, recorded))
                                  : std::filesystem::path(options.backup);
}

// Saves the old content under the name given, or as a new file under the first
// free name of the stem, so that writes at once never take the same name.
std::filesystem::path SaveOldContent(const WriteOptions& options, const RecordedRun& recorded,
                                     const ProbeImageBytes& previous) {
    if (!options.backup.empty()) {
        WriteImageFile(options.backup, previous);
        return options.backup;
    }
    if (!recorded.backupFolder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(recorded.backupFolder, error);
    }
    std::string failure;
    const std::filesystem::path saved = SaveBackup(
        BackupStem(options, recorded),
        std::string_view(reinterpret_cast<const char*>(previous.data()), previous.size()), failure);
    if (saved.empty())
        throw ToolError(ExitFile, failure);
    return saved;
}

}  // namespace

int RunWrite(const WriteOptions& options, Console& console, RecordedRun& recorded) {
    BenchRecord& record = recorded.record;
    const std::unique_ptr<ProbeEeprom> eeprom = OpenEeprom(options.eeprom);
    const ProbeImageBytes image = ReadImageFile(options.file);
    CheckImage(image, options.force, console);

    NoteEeprom(recorded, *eeprom);
    const ProbeImageBytes previous = ReadEeprom(*eeprom, "before writing");
    record.asFound = DescribeImage(previous);
    const ImageFacts imageFacts = DescribeImage(image, &record.library);
    NoteProbe(record, *record.asFound, &imageFacts);
    std::filesystem::path backup = BackupPath(options, recorded);
    const std::vector<unsigned> changing = DifferentPages(previous, image);
    const std::vector<unsigned> pages = options.onlyChanged ? changing : AllPages();
    record.pagesWritten.emplace();

    if (options.dryRun) {
        console.out << "dry run: would save the EEPROM to " << backup.string() << "\n";
        if (options.onlyChanged)
            console.out << "dry run: would write " << changing.size()
                        << " pages, those that differ from the EEPROM"
                        << (changing.empty() ? "" : ": at " + PageList(changing)) << "\n";
        else
            console.out << "dry run: would write " << EepromPageCount << " pages ("
                        << changing.size() << " differ from the EEPROM"
                        << (changing.empty() ? "" : ": at " + PageList(changing)) << ")\n";
        console.out << "dry run: "
                    << (options.noVerify ? "would not read back" : "would read back and compare")
                    << "\nnothing written\n";
        record.message = "dry run: nothing written";
        return ExitSuccess;
    }

    backup = SaveOldContent(options, recorded, previous);
    record.backup = backup.string();
    console.out << "saved the EEPROM to " << backup.string() << "\n";

    if (options.onlyChanged)
        console.out << (pages.empty() ? std::string("no page differs from the EEPROM")
                                      : "writing only the pages that differ: at " + PageList(pages))
                    << "\n";
    std::string failure;
    const int written = WritePages(*eeprom, image, pages, console, record, failure);
    if (options.noVerify) {
        record.asLeft = imageFacts;
        record.verification = "skipped";
        if (written != BridgeSuccess)
            throw ToolError(ExitBridge, "write failed: " + failure);
        console.out << "written, not verified\n";
        record.message = "written, not verified";
        return ExitSuccess;
    }

    record.verification = "no read-back";
    const ProbeImageBytes readBack = ReadEeprom(*eeprom, "back");
    const std::vector<unsigned> wrong = DifferentPages(readBack, image);
    record.asLeft = DescribeImage(readBack);
    record.asLeftReadBack = true;
    record.verification = wrong.empty() ? "passed" : "failed";
    if (written != BridgeSuccess)
        throw ToolError(
            ExitBridge,
            "write failed: " + failure +
                (wrong.empty() ? "" : "; pages at " + PageList(wrong) + " hold other bytes") +
                "; the old content is in " + backup.string());
    if (!wrong.empty())
        throw ToolError(ExitMismatch,
                        "verify failed: the EEPROM reads back other bytes in the "
                        "pages at " +
                            PageList(wrong) + "; the old content is in " + backup.string());
    record.message = pages.empty() ? "nothing to write; verified" : "written and verified";
    console.out << record.message << "\n";
    return ExitSuccess;
}

namespace {

CommandRun DeclareWrite(CLI::App& command, const CommandLine& line) {
    const auto options = std::make_shared<WriteOptions>();
    WriteOptions& write = *options;
    command.add_option("FILE", write.file, "image file (its first 256 bytes)")->required();
    command.add_flag("--no-verify", write.noVerify, "do not read back");
    command.add_option("--backup", write.backup,
                       "where the old EEPROM content goes (default "
                       "<serial>-<UTC time>-as-found.bin in as-found/ beside the record; "
                       "with --no-record FILE.backup-<date>-<time>.bin)");
    command.add_flag("--dry-run", write.dryRun, "check and tell, write nothing");
    command.add_flag("--force", write.force, "write an image the library refuses");
    command.add_flag("--only-changed", write.onlyChanged,
                     "write only the 16-byte pages that differ from the EEPROM "
                     "(default: all 16); the read-back still compares them all");
    return ProbeCommand(
        command, line,
        [options](const EepromChoice& eeprom, Console& console, RecordedRun& recorded) {
            options->eeprom = eeprom;
            return RunWrite(*options, console, recorded);
        });
}

}  // namespace

extern const Command kWriteCommand;
const Command kWriteCommand{
    "write", "Check an image file, save the EEPROM, write the file into it and read it back",
    DeclareWrite};
