#include "bound_library.h"

#include <cstdio>

#include "image_layout.h"
#include "library_loader.h"

namespace {

// Offset of the type character: the last of the three digits after the tag M.
constexpr std::size_t kTypeCharacterOffset = probe::field::kType.offset + 3;

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    LoadedFunction address = ActiveLibraryLoaderApi().lookup(module, name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

std::string Printable(char character) {
    if (character >= ' ' && character <= '~')
        return std::string("'") + character + "'";
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned char>(character));
    return text;
}

}  // namespace

char TypeCharacter(const ProbeImageBytes& image) {
    return static_cast<char>(image[kTypeCharacterOffset]);
}

char TypeCharacterOf(int probeType) {
    return static_cast<char>('0' + probeType);
}

LibraryBinding::LibraryBinding(char typeCharacter) {
    const char typeText[2] = {typeCharacter, '\0'};
    char fileName[kLibraryNameSize] = {};
    if (!ProbeLibraryFileName(typeText, fileName)) {
        failure_ = "no library for this type: the type character " + Printable(typeCharacter) +
                   " is not a digit";
        return;
    }
    library_.fileName = fileName;
    module_ = LoadProbeLibrary(fileName, library_.core);
    if (module_ == nullptr) {
        failure_ = std::string("no library for this type: ") + fileName +
                   " cannot be loaded or lacks an export";
        return;
    }
    library_.ProbeGetForce = Lookup<ProbeGetForceFn>(module_, "ProbeGetForce");
    library_.ProbeGetPosition = Lookup<ProbeGetPositionFn>(module_, "ProbeGetPosition");
    library_.ProbeGetPosition2 = Lookup<ProbeGetPosition2Fn>(module_, "ProbeGetPosition2");
    if (library_.ProbeGetForce == nullptr || library_.ProbeGetPosition == nullptr) {
        failure_ = std::string("no library for this type: ") + fileName +
                   " lacks ProbeGetForce or ProbeGetPosition";
        UnloadProbeLibrary(module_, library_.core);
        module_ = nullptr;
    }
}

LibraryBinding::~LibraryBinding() {
    if (module_ != nullptr)
        UnloadProbeLibrary(module_, library_.core);
}
