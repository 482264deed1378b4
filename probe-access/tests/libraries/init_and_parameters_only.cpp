// A probe library that exports only ProbeInit and ProbeGetParameters.
#include "palvo.h"

extern "C" {

uint16_t PALVO_CALL ProbeInit(const uint8_t*) {
    return ProbeStatusOk;
}
uint16_t PALVO_CALL ProbeGetParameters(ProbeParameters*) {
    return ProbeStatusOk;
}
}
