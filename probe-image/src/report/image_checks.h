// The calibration checks of an accepted image, all made on what the bound
// library returns: its position curve, its table, its coefficient blocks, its
// force law at the thresholds and its calibration verdict.
#pragma once

#include <optional>
#include <vector>

#include "bound_library.h"
#include "calibration_life.h"
#include "finding.h"

struct CheckedImage {
    const ProbeParameters& record;
    const std::vector<float>& positionCoefficients;
    const std::vector<float>& forceCoefficients;
    const std::optional<CalibrationLife>& life;  // nothing when the library gave no verdict
};

// Position first, then values, force law and calibration.
std::vector<Finding> CheckImage(const BoundLibrary& library, const CheckedImage& image,
                                double forceStepTolerance);
