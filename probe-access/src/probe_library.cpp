#include "probe_library.h"

#include <cstdio>

#include "library_loader.h"

namespace {

constexpr int kNotLoaded = -1;
constexpr int kExportMissing = -2;

// Looks up one export into its entry; a missing one ends the binding.
template <typename Function>
void Bind(HMODULE module, const char* name, Function& entry) {
    LoadedFunction address = ActiveLibraryLoaderApi().lookup(module, name);
    if (address == nullptr)
        throw kExportMissing;
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

bool IsSingleDigit(const char* text) {
    return text != nullptr && text[0] >= '0' && text[0] <= '9' && text[1] == '\0';
}

}  // namespace

bool ProbeLibraryFileName(const char* typeText, char (&fileName)[kLibraryNameSize]) {
    fileName[0] = '\0';
    // The text comes from a probe byte: anything but one digit could name a path.
    if (!IsSingleDigit(typeText))
        return false;
    std::snprintf(fileName, sizeof fileName, "Palvo%s.dll", typeText);
    return true;
}

HMODULE LoadProbeLibrary(const char* fileName, ProbeLibrary& library) {
    library = ProbeLibrary{};
    HMODULE module = nullptr;
    try {
        module = ActiveLibraryLoaderApi().load(fileName);
        if (module == nullptr)
            throw kNotLoaded;
        Bind(module, "ProbeGetParameters", library.ProbeGetParameters);
        Bind(module, "ProbeSetParameters", library.ProbeSetParameters);
        Bind(module, "ProbeInit", library.ProbeInit);
        Bind(module, "ProbeGetPression", library.ProbeGetPression);
        Bind(module, "ProbeIsCalibrated", library.ProbeIsCalibrated);
        return module;
    } catch (int kind) {
        library = ProbeLibrary{};
        if (kind == kExportMissing)
            ActiveLibraryLoaderApi().release(module);
        return nullptr;
    }
}

bool UnloadProbeLibrary(HMODULE& module, ProbeLibrary& library) {
    if (!ActiveLibraryLoaderApi().release(module))
        return false;
    library = ProbeLibrary{};
    module = nullptr;
    return true;
}
