// ProbeInit: an EEPROM image into the library's state.
#pragma once

#include <cstdint>

#include "probe_state.h"
#include "probe_traits.h"

namespace probe {

// Resets the state, then decodes and checks the image. 0 leaves the library ready;
// 1 wrong type (or no image), 3 an order beyond the layout, 2 checksum mismatch,
// 5 a block that cannot be allocated or locked.
std::uint16_t DecodeImage(const ProbeTraits& traits, ProbeState& state, const std::uint8_t* image);

}  // namespace probe
