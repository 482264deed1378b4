#include <cstring>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "command.h"
#include "commands.h"
#include "eeprom_choice.h"
#include "image_file.h"
#include "recorded_run.h"
#include "refresh_status.h"
#include "status_texts.h"
#include "tool_error.h"

namespace {

class CapturedStatus : public StatusLine {
  public:
    void SetStatusText(const char* text) override { text_ = text; }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

bool IsBridgeText(const std::string& text) {
    return text == StatusText::BridgeNotPresent || text == StatusText::ProbeNotConnected ||
           text == StatusText::BusError;
}

// Reads until two reads agree, at most three times.
ProbeImageBytes ReadAgreed(ProbeEeprom& eeprom, Console& console) {
    const VerifiedRead read = ReadImageVerified(eeprom);
    if (read.status != BridgeSuccess)
        throw ToolError(ExitBridge,
                        "cannot read the EEPROM: " + EepromFailure(eeprom, read.status));
    if (!read.agreed)
        throw ToolError(ExitMismatch, "no two of " + std::to_string(read.reads) +
                                          " reads of the EEPROM agree; no file written");
    console.out << "reads " << read.first << " and " << read.second << " of the EEPROM agree\n";
    return read.image;
}

}  // namespace

int RunRead(const ReadOptions& options, Console& console, RecordedRun& recorded) {
    const std::unique_ptr<ProbeEeprom> eeprom = OpenEeprom(options.eeprom);
    NoteEeprom(recorded, *eeprom);
    ProbeImageBytes image{};
    if (options.verify) {
        image = ReadAgreed(*eeprom, console);
    } else {
        const int status = eeprom->ReadImage(image.data());
        if (status != BridgeSuccess)
            throw ToolError(ExitBridge,
                            "cannot read the EEPROM: " + EepromFailure(*eeprom, status));
    }
    recorded.record.asFound = DescribeImage(image, &recorded.record.library);
    NoteProbe(recorded.record, *recorded.record.asFound);
    WriteImageFile(options.output, image);
    const std::string message =
        "read " + std::to_string(image.size()) + " bytes from the EEPROM into " + options.output;
    console.out << message << "\n";
    recorded.record.message = message;
    return ExitSuccess;
}

int RunStatus(const StatusOptions& options, Console& console, RecordedRun& recorded) {
    const std::unique_ptr<ProbeEeprom> opened = OpenEeprom(options.eeprom);
    NoteEeprom(recorded, *opened);
    ImageKeepingEeprom eeprom(*opened);
    CapturedStatus status;
    RefreshStatus(eeprom, LinkedProbeBinding(), status);
    if (eeprom.HasImage()) {
        recorded.record.asFound = DescribeImage(eeprom.image(), &recorded.record.library);
        NoteProbe(recorded.record, *recorded.record.asFound);
    }
    recorded.record.message = status.text();
    console.out << status.text() << "\n";
    if (status.text() == StatusText::SystemAvailable)
        return ExitSuccess;
    if (!IsBridgeText(status.text()))
        return ExitRefused;
    if (const std::string detail = eeprom.FailureDetail(); !detail.empty())
        console.err << "probe-image: " << detail << "\n";
    return ExitBridge;
}

namespace {

CommandRun DeclareRead(CLI::App& command, const CommandLine& line) {
    const auto options = std::make_shared<ReadOptions>();
    command.add_option("OUT", options->output, "image file to write")->required();
    command.add_flag("--verify", options->verify,
                     "read twice and compare; on a difference read again, up to 3 reads, "
                     "and fail (status 5, no file) when no two agree");
    return ProbeCommand(
        command, line,
        [options](const EepromChoice& eeprom, Console& console, RecordedRun& recorded) {
            options->eeprom = eeprom;
            return RunRead(*options, console, recorded);
        });
}

CommandRun DeclareStatus(CLI::App& command, const CommandLine& line) {
    return ProbeCommand(command, line,
                        [](const EepromChoice& eeprom, Console& console, RecordedRun& recorded) {
                            return RunStatus(StatusOptions{eeprom}, console, recorded);
                        });
}

}  // namespace

extern const Command kReadCommand, kStatusCommand;
const Command kReadCommand{"read", "Save the EEPROM's image to a file", DeclareRead};
const Command kStatusCommand{"status", "The writer's status line for the connected probe",
                             DeclareStatus};
