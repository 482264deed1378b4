// ProbeGetPosition2: built into the type-6 library only.
#include "conversions.h"
#include "library_state.h"
#include "palvo.h"

extern "C" PALVO_API uint16_t PALVO_CALL ProbeGetPosition2(int16_t sample, float* result) {
    return probe::GetPosition2(probe::LibraryState(), sample, result);
}
