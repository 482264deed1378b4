#include "refresh_status.h"

#include <array>
#include <memory>

#include "status_texts.h"

namespace {

const char* BridgeFailureText(int status) {
    switch (status) {
        case BridgeNotPresent:
            return StatusText::BridgeNotPresent;
        case ProbeNotConnected:
            return StatusText::ProbeNotConnected;
        default:
            return StatusText::BusError;
    }
}

// Runs the bound library over the probe's image. A failed read leaves the image
// zero, which names no probe type, so the library refuses it.
const char* JudgeImage(ProbeEeprom& eeprom, const ProbeLibrary& library,
                       ProbeParameters& parameters) {
    std::array<uint8_t, PROBE_IMAGE_SIZE> image{};
    eeprom.ReadImage(image.data());
    if (library.ProbeInit(image.data()) != ProbeStatusOk) {
        return StatusText::ImageRefused;
    }
    parameters = ProbeParameters{};
    parameters.Size = PROBE_PARAMETERS_SIZE;
    if (library.ProbeGetParameters(&parameters) != ProbeStatusOk) {
        return StatusText::ParametersRefused;
    }
    return StatusText::SystemAvailable;
}

}  // namespace

void RefreshStatus(ProbeEeprom& eeprom, const ProbeBinding& binding, StatusLine& statusLine) {
    ProbeLibrary library;
    const auto parameters = std::make_unique<ProbeParameters>();

    char typeText[2] = {};
    const int status = eeprom.ReadProbeType(typeText);
    if (status != BridgeSuccess) {
        statusLine.SetStatusText(BridgeFailureText(status));
        return;
    }

    // A type character that is not a digit names no library; it is never turned
    // into a file name to load.
    char fileName[kLibraryNameSize] = {};
    if (!ProbeLibraryFileName(typeText, fileName)) {
        statusLine.SetStatusText(StatusText::LibraryError);
        return;
    }
    HMODULE module = binding.load(fileName, library);
    if (module == nullptr) {
        statusLine.SetStatusText(StatusText::LibraryError);
        return;
    }
    statusLine.SetStatusText(JudgeImage(eeprom, library, *parameters));
    binding.unload(module, library);
}
