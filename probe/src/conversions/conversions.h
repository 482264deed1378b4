// Raw readings into force, pressure and position.
#pragma once

#include <cstdint>

#include "probe_state.h"
#include "probe_traits.h"

namespace probe {

// 10^((gain - 52) / 20) as float; exactly 1.0 at 52.
float GainFactor(std::uint8_t gain);

// Each returns 4 while the library is not ready. The force and pressure return 0
// without computing when the result is null; the positions lock their block even
// then and return 1, with nothing written, when the lock yields no address.
std::uint16_t GetForce(const ProbeTraits& traits, const ProbeState& state, float raw,
                       float* result);
std::uint16_t GetPression(const ProbeTraits& traits, const ProbeState& state, float raw,
                          float* result);
std::uint16_t GetPosition(const ProbeState& state, float raw, float* result);
std::uint16_t GetPosition2(const ProbeState& state, std::int16_t sample, float* result);

}  // namespace probe
