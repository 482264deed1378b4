// The status poll: read the probe's type, bind its library, have the library
// judge the EEPROM image, and show the outcome on the status line.
#pragma once

#include "probe_eeprom.h"
#include "probe_library.h"
#include "status_line.h"

// Loading and releasing a probe library, behind a seam for tests.
struct ProbeBinding {
    HMODULE (*load)(const char* fileName, ProbeLibrary& library);
    bool (*unload)(HMODULE& module, ProbeLibrary& library);
};

inline ProbeBinding LinkedProbeBinding() {
    return {LoadProbeLibrary, UnloadProbeLibrary};
}

// Sets exactly one status text; the library is released again on every path.
void RefreshStatus(ProbeEeprom& eeprom, const ProbeBinding& binding, StatusLine& statusLine);
