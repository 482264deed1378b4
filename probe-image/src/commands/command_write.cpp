#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "backup_name.h"
#include "bound_library.h"
#include "commands.h"
#include "eeprom_choice.h"
#include "image_file.h"
#include "joined_text.h"
#include "tool_error.h"
#include "verdict.h"

namespace {

// Offsets of the pages whose bytes differ between the two images.
std::vector<unsigned> DifferentPages(const ProbeImageBytes& a, const ProbeImageBytes& b) {
    std::vector<unsigned> pages;
    for (unsigned offset = 0; offset < EepromSize; offset += EepromPageSize)
        if (std::memcmp(a.data() + offset, b.data() + offset, EepromPageSize) != 0)
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

// The sixteen pages as the writer writes them, each reported as it is done.
// Returns the status of the first failure; firstFailure receives its words.
int WritePages(ProbeEeprom& eeprom, const ProbeImageBytes& image, Console& console,
               std::string& firstFailure) {
    return WriteImagePages(eeprom, image.data(), [&](unsigned offset, int status) {
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

}  // namespace

int RunWrite(const WriteOptions& options, Console& console) {
    const std::unique_ptr<ProbeEeprom> eeprom = OpenEeprom(options.eeprom);
    const ProbeImageBytes image = ReadImageFile(options.file);
    CheckImage(image, options.force, console);

    const ProbeImageBytes previous = ReadEeprom(*eeprom, "before writing");
    const std::time_t now = std::time(nullptr);
    const std::filesystem::path backup =
        options.backup.empty() ? DefaultBackupPath(options.file, *std::localtime(&now))
                               : std::filesystem::path(options.backup);
    const std::vector<unsigned> changing = DifferentPages(previous, image);

    if (options.dryRun) {
        console.out << "dry run: would save the EEPROM to " << backup.string() << "\n"
                    << "dry run: would write " << EepromPageCount << " pages (" << changing.size()
                    << " differ from the EEPROM"
                    << (changing.empty() ? "" : ": at " + PageList(changing)) << ")\n"
                    << "dry run: "
                    << (options.noVerify ? "would not read back" : "would read back and compare")
                    << "\nnothing written\n";
        return ExitSuccess;
    }

    WriteImageFile(backup, previous);
    console.out << "saved the EEPROM to " << backup.string() << "\n";

    std::string failure;
    const int written = WritePages(*eeprom, image, console, failure);
    if (options.noVerify) {
        if (written != BridgeSuccess)
            throw ToolError(ExitBridge, "write failed: " + failure);
        console.out << "written, not verified\n";
        return ExitSuccess;
    }

    const ProbeImageBytes readBack = ReadEeprom(*eeprom, "back");
    const std::vector<unsigned> wrong = DifferentPages(readBack, image);
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
    console.out << "written and verified\n";
    return ExitSuccess;
}
