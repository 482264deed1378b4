// Curves as the bound library reports them: the raw readings asked and the value
// the library returned for each, one call per reading.
#pragma once

#include <string>
#include <vector>

#include "bound_library.h"

struct Curve {
    std::string source;  // the export that gave the values
    std::vector<float> raw;
    std::vector<float> values;
};

// Every 16-bit reading, -32768 to 32767, the readings the position table covers:
// through ProbeGetPosition2 where the library exports it, else ProbeGetPosition.
Curve PositionCurve(const BoundLibrary& library);

// ProbeGetPosition of the given readings.
Curve PositionReadings(const BoundLibrary& library, const std::vector<float>& raws);
Curve ForceCurve(const BoundLibrary& library, const std::vector<float>& raws);
Curve PressureCurve(const BoundLibrary& library, const std::vector<float>& raws);

// ProbeGetForce of one reading.
float ForceAt(const BoundLibrary& library, float raw);
