#include "library_curves.h"

#include <cstdint>
#include <limits>

#include "number_text.h"
#include "tool_error.h"

namespace {

constexpr int kFirstSample = std::numeric_limits<std::int16_t>::min();
constexpr int kLastSample = std::numeric_limits<std::int16_t>::max();

// The value the library gives for a reading; a status other than 0 ends the command.
template <typename Convert>
float Converted(const char* source, float raw, Convert convert) {
    float value = 0;
    const std::uint16_t status = convert(raw, &value);
    if (status != ProbeStatusOk)
        throw ToolError(ExitRefused, std::string(source) + " " + FloatText(raw) +
                                         ": the library answers status " + std::to_string(status));
    return value;
}

template <typename Convert>
Curve Converted(const char* source, const std::vector<float>& raws, Convert convert) {
    Curve curve{source, raws, {}};
    curve.values.reserve(raws.size());
    for (float raw : raws)
        curve.values.push_back(Converted(source, raw, convert));
    return curve;
}

}  // namespace

Curve PositionCurve(const BoundLibrary& library) {
    std::vector<float> samples;
    samples.reserve(kLastSample - kFirstSample + 1);
    for (int sample = kFirstSample; sample <= kLastSample; ++sample)
        samples.push_back(static_cast<float>(sample));
    if (library.ProbeGetPosition2 != nullptr)
        return Converted("ProbeGetPosition2", samples, [&](float raw, float* value) {
            return library.ProbeGetPosition2(static_cast<std::int16_t>(raw), value);
        });
    return Converted("ProbeGetPosition", samples, library.ProbeGetPosition);
}

Curve PositionReadings(const BoundLibrary& library, const std::vector<float>& raws) {
    return Converted("ProbeGetPosition", raws, library.ProbeGetPosition);
}

Curve ForceCurve(const BoundLibrary& library, const std::vector<float>& raws) {
    return Converted("ProbeGetForce", raws, library.ProbeGetForce);
}

Curve PressureCurve(const BoundLibrary& library, const std::vector<float>& raws) {
    return Converted("ProbeGetPression", raws, library.core.ProbeGetPression);
}

float ForceAt(const BoundLibrary& library, float raw) {
    return Converted("ProbeGetForce", raw, library.ProbeGetForce);
}
