// A probe state decoded from a hand-built image, with its blocks freed at the end.
#pragma once

#include <cstdint>

#include "decoder.h"
#include "probe_state.h"
#include "probe_traits.h"
#include "sample_images.h"

namespace probe_test {

struct LoadedProbe {
    explicit LoadedProbe(const ImageContents& contents)
        : traits(probe::TraitsFor(contents.type)),
          status(probe::DecodeImage(traits, state, BuildImage(contents).data())) {}
    // The image given to a library of another type.
    LoadedProbe(const ImageContents& contents, int libraryType)
        : traits(probe::TraitsFor(libraryType)),
          status(probe::DecodeImage(traits, state, BuildImage(contents).data())) {}
    ~LoadedProbe() { probe::ResetProbeState(state); }
    LoadedProbe(const LoadedProbe&) = delete;
    LoadedProbe& operator=(const LoadedProbe&) = delete;

    const probe::ProbeTraits& traits;
    probe::ProbeState state{};
    std::uint16_t status;
};

}  // namespace probe_test
