// A probe library that exports every function the writer binds but ProbeGetParameters.
#include "palvo.h"

extern "C" {

uint16_t PALVO_CALL ProbeInit(const uint8_t*) {
    return ProbeStatusOk;
}
uint16_t PALVO_CALL ProbeSetParameters(ProbeParameters, uint8_t*, int32_t) {
    return ProbeStatusOk;
}
uint16_t PALVO_CALL ProbeGetPression(float, float*) {
    return ProbeStatusOk;
}
uint16_t PALVO_CALL ProbeIsCalibrated(int32_t*) {
    return ProbeStatusOk;
}
}
