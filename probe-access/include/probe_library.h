// Run-time binding of the probe library that matches the probe's type.
#pragma once

#include "dynamic_library.h"
#include "palvo.h"

struct ProbeLibrary {
    ProbeInitFn ProbeInit = nullptr;
    ProbeGetParametersFn ProbeGetParameters = nullptr;
    ProbeSetParametersFn ProbeSetParameters = nullptr;
    ProbeGetPressionFn ProbeGetPression = nullptr;
    ProbeIsCalibratedFn ProbeIsCalibrated = nullptr;
};

inline constexpr unsigned kLibraryNameSize = 260;

// "Palvo%s.dll" with the type text. Only a single decimal digit names a library;
// for any other text the name is left empty and false returned.
bool ProbeLibraryFileName(const char* typeText, char (&fileName)[kLibraryNameSize]);

// Loads the library and looks up its five exports; null with the record all null
// on any failure (the library is released again when an export is missing).
HMODULE LoadProbeLibrary(const char* fileName, ProbeLibrary& library);

// Releases the library; true with handle and record cleared, false when the
// platform refuses (both then left as they were).
bool UnloadProbeLibrary(HMODULE& module, ProbeLibrary& library);
