// Candidate calibrations tried through the bound library, the way every host gets
// its values: a record of an image that already has the final polynomial orders,
// given the candidate values, encoded by the library in calibration mode, loaded
// by ProbeInit and asked for its conversions.
#pragma once

#include <cstddef>
#include <vector>

#include "bound_library.h"
#include "movable_blocks.h"

struct CalibrationValues {
    std::vector<float> position;  // c0..cP
    std::vector<float> force;     // d0..dQ (types 3 and 6)
    float forceK = 0;
    float forceX0 = 0;
};

// The values a decoded record holds.
CalibrationValues ValuesOf(const ProbeParameters& record);

class LibraryTrials {
  public:
    // Loads the base image, whose identity, fields and orders every candidate keeps.
    // Throws ToolError when the library refuses it.
    LibraryTrials(const BoundLibrary& library, const ProbeImageBytes& base);

    // Encodes the candidate and has the library load it; returns the record the
    // library decoded (its blocks live until the next Load). Throws ToolError when
    // the library refuses.
    const ProbeParameters& Load(const CalibrationValues& values);

    // The values of the base image.
    const CalibrationValues& baseValues() const { return baseValues_; }

    // ProbeGetPosition and ProbeGetForce of the image last loaded.
    std::vector<float> Positions(const std::vector<float>& raws) const;
    std::vector<float> Forces(const std::vector<float>& raws) const;

  private:
    const BoundLibrary& library_;
    ProbeParameters base_;
    ProbeParameters loaded_{};
    CalibrationValues baseValues_;
    std::vector<HostBlock> blocks_;
};
