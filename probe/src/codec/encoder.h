// The record across the library boundary: copied out, and encoded into an image.
#pragma once

#include <cstdint>

#include "probe_state.h"
#include "probe_traits.h"

namespace probe {

std::uint16_t GetParameters(const ProbeState& state, ProbeParameters* record);

// Starts from StoredImage, rewrites the fields the mode selects, closes with a
// fresh checksum. Never changes the state.
std::uint16_t SetParameters(const ProbeTraits& traits, const ProbeState& state,
                            const ProbeParameters& record, std::uint8_t* image, std::int32_t mode);

}  // namespace probe
