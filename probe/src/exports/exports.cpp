// The exported functions of one probe library: argument and state checks live in
// the functions they call. PROBE_TYPE (2, 3 or 6) is set by the build.
#include "calibration.h"
#include "conversions.h"
#include "decoder.h"
#include "encoder.h"
#include "library_state.h"
#include "local_clock.h"
#include "palvo.h"

namespace probe {

ProbeState& LibraryState() {
    static ProbeState state;
    return state;
}

const ProbeTraits& LibraryTraits() {
    return TraitsFor(PROBE_TYPE);
}

}  // namespace probe

using probe::LibraryState;
using probe::LibraryTraits;

extern "C" {

PALVO_API uint16_t PALVO_CALL ProbeGetForce(float raw, float* result) {
    return probe::GetForce(LibraryTraits(), LibraryState(), raw, result);
}

PALVO_API uint16_t PALVO_CALL ProbeGetParameters(ProbeParameters* record) {
    return probe::GetParameters(LibraryState(), record);
}

PALVO_API uint16_t PALVO_CALL ProbeGetPosition(float raw, float* result) {
    return probe::GetPosition(LibraryState(), raw, result);
}

PALVO_API uint16_t PALVO_CALL ProbeGetPression(float raw, float* result) {
    return probe::GetPression(LibraryTraits(), LibraryState(), raw, result);
}

PALVO_API uint16_t PALVO_CALL ProbeInit(const uint8_t* image) {
    return probe::DecodeImage(LibraryTraits(), LibraryState(), image);
}

PALVO_API uint16_t PALVO_CALL ProbeIsCalibrated(int32_t* calibrated) {
    return probe::IsCalibrated(LibraryState(), probe::CurrentYearMonth(), calibrated);
}

PALVO_API uint16_t PALVO_CALL ProbeSetParameters(ProbeParameters record, uint8_t* image,
                                                 int32_t mode) {
    return probe::SetParameters(LibraryTraits(), LibraryState(), record, image, mode);
}

}  // extern "C"
