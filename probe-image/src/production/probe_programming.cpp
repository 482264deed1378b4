#include "probe_programming.h"

#include <chrono>
#include <filesystem>
#include <new>

#include "backup_name.h"
#include "bound_library.h"
#include "eeprom_choice.h"
#include "image_facts.h"
#include "joined_text.h"
#include "library_lock.h"
#include "local_clock.h"
#include "lot_image.h"
#include "tool_error.h"

namespace {

// A failure that ends the probe: its exit status and its words.
struct ProbeFailure {
    ExitCode code;
    std::string reason;
};

std::string PageList(const std::vector<unsigned>& offsets) {
    return JoinedText(offsets, ", ", [](unsigned offset) { return std::to_string(offset); });
}

// One probe on its way; each step fills in the record or throws ProbeFailure.
class ProbeRun {
  public:
    ProbeRun(const ProductionLot& lot, ProbeEeprom& eeprom, const std::string& target)
        : lot_(lot), eeprom_(eeprom), started_(lot.clock ? lot.clock() : std::time(nullptr)) {
        record_ = lot.record;
        record_.time = UtcTimeText(started_);
        record_.transport = eeprom.Transport();
        record_.device = eeprom.Device();
        record_.production = LotFacts{lot.ledger->Lot().name, "failed", target, {}};
    }

    ProbeResult Run(const std::string& target, const SerialTaken& taken);

  private:
    ProbeImageBytes ReadAsFound();
    // The serial the found image holds when it is the lot's; nullopt otherwise.
    std::optional<long> LotSerialFound(const ProbeImageBytes& found);
    bool Done(long serial);
    void Take(const std::string& target);
    ProbeImageBytes Encode();
    void SaveAsFound(const ProbeImageBytes& found);
    void Write(const ProbeImageBytes& image);
    void Fail(ExitCode code, const std::string& reason) { throw ProbeFailure{code, reason}; }
    std::string Failure(int status) const { return EepromFailure(eeprom_, status); }
    void Spoil(const std::string& reason);

    const ProductionLot& lot_;
    ProbeEeprom& eeprom_;
    std::time_t started_;
    BenchRecord record_;
    ProbeResult result_;
    std::optional<long> taken_;
};

ProbeImageBytes ProbeRun::ReadAsFound() {
    const VerifiedRead read = ReadImageVerified(eeprom_);
    if (read.status != BridgeSuccess)
        Fail(ExitBridge, "cannot read the EEPROM as found: " + Failure(read.status));
    if (!read.agreed)
        Fail(ExitMismatch,
             "no two of " + std::to_string(read.reads) + " reads of the EEPROM as found agree");
    ProbeImageBytes found{};
    std::copy(read.image.begin(), read.image.end(), found.begin());
    return found;
}

std::optional<long> ProbeRun::LotSerialFound(const ProbeImageBytes& found) {
    const LibraryGuard hold(ProbeLibraryLock());
    record_.asFound = FactsOfImage(found);
    record_.type = record_.asFound->type;
    record_.serial = record_.asFound->serial;
    const LibraryBinding binding(TypeCharacter(lot_.templateImage));
    if (!binding.Bound())
        Fail(ExitRefused, binding.failure());
    record_.library = binding.library().fileName;
    return LotSerialHeld(binding.library(), lot_.templateImage, found, lot_.ledger->Lot().serials);
}

// A probe that holds its serial's image is done when the ledger has that serial
// programmed, or taken with the result lost (the write finished, its mark did
// not): then it is marked programmed now.
bool ProbeRun::Done(long serial) {
    const SerialState state = lot_.ledger->StateOf(serial);
    if (state == SerialState::Taken)
        lot_.ledger->MarkProgrammed(serial);
    else if (state != SerialState::Programmed)
        return false;
    result_.outcome = ProbeOutcome::Skipped;
    result_.serial = serial;
    record_.serial = std::to_string(serial);
    record_.production->outcome = "skipped";
    record_.message =
        "holds the lot's image with serial " + std::to_string(serial) +
        (state == SerialState::Taken ? " (its result was lost: now programmed)" : "") + "; skipped";
    return true;
}

void ProbeRun::Take(const std::string& target) {
    const std::optional<long> serial = lot_.ledger->Take(lot_.bench, target);
    if (!serial) {
        result_.lotUsedUp = true;
        Fail(ExitRefused, "the lot " + lot_.ledger->Lot().name + " is used up: no serial is left");
    }
    taken_ = serial;
    result_.serial = serial;
    record_.serial = std::to_string(*serial);
}

ProbeImageBytes ProbeRun::Encode() {
    // The clock reads the C library's one local-time buffer, as the probe
    // libraries do: under their lock.
    const LibraryGuard hold(ProbeLibraryLock());
    const probe::YearMonth month = lot_.month ? lot_.month() : probe::CurrentYearMonth();
    const LibraryBinding binding(TypeCharacter(lot_.templateImage));
    if (!binding.Bound())
        Fail(ExitRefused, binding.failure());
    EncodedImage encoded;
    try {
        encoded = LotImage(binding.library(), lot_.templateImage, *taken_, FabricationMonth(month));
    } catch (const ToolError& error) {
        Fail(error.code(), std::string("the library refuses the probe's image: ") + error.what());
    }
    if (!encoded.lostEdits.empty())
        Fail(ExitRefused, "the image cannot hold " + encoded.lostEdits.front());
    const ImageFacts facts = FactsOfImage(encoded.image);
    if (facts.verdict != "accepted")
        Fail(ExitRefused, "the probe's image is " + facts.verdict);
    record_.type = facts.type;
    return encoded.image;
}

void ProbeRun::SaveAsFound(const ProbeImageBytes& found) {
    const std::filesystem::path folder = lot_.journal->BackupFolder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string serial = record_.asFound && !record_.asFound->serial.empty()
                                   ? record_.asFound->serial
                                   : record_.serial;
    std::string failure;
    const std::filesystem::path saved = SaveBackup(
        AsFoundBackupStem(folder, serial, UtcCalendar(started_)),
        std::string_view(reinterpret_cast<const char*>(found.data()), found.size()), failure);
    if (saved.empty())
        Fail(ExitFile, "cannot save the EEPROM as found: " + failure);
    record_.backup = saved.string();
}

void ProbeRun::Write(const ProbeImageBytes& image) {
    record_.pagesWritten.emplace();
    std::string firstFailure;
    const int written = WriteImagePages(eeprom_, image.data(), [&](unsigned offset, int status) {
        (status == BridgeSuccess ? *record_.pagesWritten : record_.pagesFailed).push_back(offset);
        if (status != BridgeSuccess && firstFailure.empty())
            firstFailure = "page " + std::to_string(offset / EepromPageSize + 1) + "/" +
                           std::to_string(EepromPageCount) + " at " + std::to_string(offset) +
                           ": " + Failure(status);
    });
    record_.verification = "no read-back";
    ProbeImageBytes back{};
    const int read = eeprom_.ReadImage(back.data());
    if (read == BridgeSuccess) {
        const LibraryGuard hold(ProbeLibraryLock());
        record_.asLeft = FactsOfImage(back);
        record_.asLeftReadBack = true;
    }
    const std::vector<unsigned> wrong =
        read == BridgeSuccess ? DifferentPages(back.data(), image.data()) : std::vector<unsigned>{};
    if (read == BridgeSuccess)
        record_.verification = wrong.empty() ? "passed" : "failed";
    if (written != BridgeSuccess)
        Fail(ExitBridge, "write failed: " + firstFailure);
    if (read != BridgeSuccess)
        Fail(ExitBridge, "cannot read the EEPROM back: " + Failure(read));
    if (!wrong.empty())
        Fail(ExitMismatch,
             "verify failed: the EEPROM reads back other bytes in the pages at " + PageList(wrong));
}

void ProbeRun::Spoil(const std::string& reason) {
    if (!taken_)
        return;
    record_.production->spoiled = std::to_string(*taken_);
    try {
        lot_.ledger->MarkSpoiled(*taken_, reason);
    } catch (const LotError& error) {
        result_.reason += std::string("; the serial could not be marked spoiled: ") + error.what();
    }
}

ProbeResult ProbeRun::Run(const std::string& target, const SerialTaken& taken) {
    const auto begun = std::chrono::steady_clock::now();
    try {
        const ProbeImageBytes found = ReadAsFound();
        const std::optional<long> held = LotSerialFound(found);
        if (!held || !Done(*held)) {
            Take(target);
            if (taken)
                taken(*taken_);
            const ProbeImageBytes image = Encode();
            SaveAsFound(found);
            Write(image);
            lot_.ledger->MarkProgrammed(*taken_);
            result_.outcome = ProbeOutcome::Programmed;
            record_.production->outcome = "programmed";
            record_.message = "programmed with serial " + std::to_string(*taken_) + "; verified";
        }
    } catch (const ProbeFailure& failure) {
        result_.exit = failure.code;
        result_.reason = failure.reason;
    } catch (const LotError& error) {
        result_.exit = ExitRefused;
        result_.reason = std::string("the lot's ledger: ") + error.what();
    } catch (const ToolError& error) {
        result_.exit = error.code();
        result_.reason = error.what();
    } catch (const std::bad_alloc&) {
        result_.exit = ExitRefused;
        result_.reason = "out of memory";
    } catch (const std::exception& error) {  // a worker thread must not end the program
        result_.exit = ExitFile;
        result_.reason = error.what();
    }
    if (result_.outcome == ProbeOutcome::Failed) {
        Spoil(result_.reason);
        record_.message = result_.reason;
    }
    if (record_.library.empty())
        record_.libraryVersion.clear();
    record_.exit = result_.exit;
    const std::string unrecorded = lot_.journal->Append(record_);
    if (!unrecorded.empty()) {
        result_.journalFailed = true;
        result_.reason += (result_.reason.empty() ? "" : "; ") + unrecorded;
        if (result_.exit == ExitSuccess)
            result_.exit = ExitFile;
    }
    result_.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    return result_;
}

}  // namespace

ProbeResult ProgramProbe(const ProductionLot& lot, ProbeEeprom& eeprom, const std::string& target,
                         const SerialTaken& taken) {
    return ProbeRun(lot, eeprom, target).Run(target, taken);
}

const char* OutcomeName(ProbeOutcome outcome) {
    switch (outcome) {
        case ProbeOutcome::Programmed:
            return "programmed";
        case ProbeOutcome::Skipped:
            return "skipped";
        case ProbeOutcome::Failed:
            return "failed";
    }
    return "failed";
}
