#include <cstring>
#include <string>

#include "bridge_texts.h"
#include "commands.h"
#include "i2c_bridge.h"
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
        throw ToolError(ExitBridge, "cannot read the EEPROM: " + BridgeFailure(read.status));
    if (!read.agreed)
        throw ToolError(ExitMismatch, "no two of " + std::to_string(read.reads) +
                                          " reads of the EEPROM agree; no file written");
    console.out << "reads " << read.first << " and " << read.second << " of the EEPROM agree\n";
    return read.image;
}

}  // namespace

int RunRead(const ReadOptions& options, Console& console, RecordedRun& recorded) {
    I2cBridge bridge;
    NoteEeprom(recorded, bridge);
    ProbeImageBytes image{};
    if (options.verify) {
        image = ReadAgreed(bridge, console);
    } else {
        const int status = bridge.ReadImage(image.data());
        if (status != BridgeSuccess)
            throw ToolError(ExitBridge, "cannot read the EEPROM: " + BridgeFailure(status));
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

int RunStatus(Console& console, RecordedRun& recorded) {
    I2cBridge bridge;
    NoteEeprom(recorded, bridge);
    ImageKeepingEeprom eeprom(bridge);
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
    return IsBridgeText(status.text()) ? ExitBridge : ExitRefused;
}
