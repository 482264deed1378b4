// The library's process-wide state and its reset.
#pragma once

#include <cstdint>

#include "image_layout.h"
#include "palvo.h"

namespace probe {

struct ProbeState {
    std::int32_t Ready;
    float ForcePolynomial[kMaxOrder + 1];  // types 3 and 6; zero beyond ForceOrder
    ProbeParameters Parameters;
    std::uint8_t StoredImage[kImageSize];  // the image last given to ProbeInit
};

// Frees the blocks the record holds and zeroes everything.
void ResetProbeState(ProbeState& state);

}  // namespace probe
