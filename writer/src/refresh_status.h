// The status poll: read the probe's type, bind its library, have the library
// judge the EEPROM image, and show the outcome on the status line.
#pragma once

#include "i2c_bridge.h"
#include "probe_library.h"
#include "writer_view.h"

// Loading and releasing a probe library, behind a seam for tests.
struct ProbeBinding {
    HMODULE (*load)(const char* fileName, ProbeLibrary& library);
    bool (*unload)(HMODULE& module, ProbeLibrary& library);
};

inline ProbeBinding LinkedProbeBinding() {
    return {LoadProbeLibrary, UnloadProbeLibrary};
}

// Sets exactly one status text; the library is released again on every path.
void RefreshStatus(I2cBridge& bridge, const ProbeBinding& binding, StatusLine& statusLine);
