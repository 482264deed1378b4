#include <cstring>
#include <memory>
#include <string>

#include "commands.h"
#include "eeprom_choice.h"
#include "image_file.h"
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

}  // namespace

int RunRead(const ReadOptions& options, Console& console) {
    const std::unique_ptr<ProbeEeprom> eeprom = OpenEeprom(options.eeprom);
    ProbeImageBytes image{};
    const int status = eeprom->ReadImage(image.data());
    if (status != BridgeSuccess)
        throw ToolError(ExitBridge, "cannot read the EEPROM: " + EepromFailure(*eeprom, status));
    WriteImageFile(options.output, image);
    console.out << "read " << image.size() << " bytes from the EEPROM into " << options.output
                << "\n";
    return ExitSuccess;
}

int RunStatus(const StatusOptions& options, Console& console) {
    const std::unique_ptr<ProbeEeprom> eeprom = OpenEeprom(options.eeprom);
    CapturedStatus status;
    RefreshStatus(*eeprom, LinkedProbeBinding(), status);
    console.out << status.text() << "\n";
    if (status.text() == StatusText::SystemAvailable)
        return ExitSuccess;
    if (!IsBridgeText(status.text()))
        return ExitRefused;
    if (const std::string detail = eeprom->FailureDetail(); !detail.empty())
        console.err << "probe-image: " << detail << "\n";
    return ExitBridge;
}
