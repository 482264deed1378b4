#include <cstring>
#include <string>

#include "bridge_texts.h"
#include "commands.h"
#include "i2c_bridge.h"
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
    I2cBridge bridge;
    ProbeImageBytes image{};
    const int status = bridge.ReadImage(image.data());
    if (status != BridgeSuccess)
        throw ToolError(ExitBridge, "cannot read the EEPROM: " + BridgeFailure(status));
    WriteImageFile(options.output, image);
    console.out << "read " << image.size() << " bytes from the EEPROM into " << options.output
                << "\n";
    return ExitSuccess;
}

int RunStatus(Console& console) {
    I2cBridge bridge;
    CapturedStatus status;
    RefreshStatus(bridge, LinkedProbeBinding(), status);
    console.out << status.text() << "\n";
    if (status.text() == StatusText::SystemAvailable)
        return ExitSuccess;
    return IsBridgeText(status.text()) ? ExitBridge : ExitRefused;
}
