#include "refresh_status.h"

#include <array>
#include <memory>

#include "image_load.h"
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

// Has the bound library load the probe's image. A failed read leaves the image
// zero, which names no probe type, so the library refuses it.
const char* ImageStatusText(ProbeEeprom& eeprom, const ProbeLibrary& library,
                            ProbeParameters& parameters) {
    std::array<uint8_t, PROBE_IMAGE_SIZE> image{};
    eeprom.ReadImage(image.data());
    switch (LoadImageRecord(library, image.data(), parameters).stage) {
        case ImageLoadStage::Accepted:
            return StatusText::SystemAvailable;
        case ImageLoadStage::RecordRefused:
            return StatusText::ParametersRefused;
        case ImageLoadStage::ImageRefused:
            break;
    }
    return StatusText::ImageRefused;
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
    statusLine.SetStatusText(ImageStatusText(eeprom, library, *parameters));
    binding.unload(module, library);
}
