// An image checked against calibration measurements, as found: what the library
// computes from it at every measured reading, the errors against the measured
// values, and, with a tolerance, the measurements whose error exceeds it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "bound_library.h"
#include "calibration_fit.h"
#include "finding.h"
#include "measurements.h"

struct MeasurementCheck {
    const Measurements* measured = nullptr;
    std::string conversion;   // the export that gave the results
    LibraryResults results;   // errors as residuals: library - measured
    double span = 0;          // largest less smallest measured value
    double largestShare = 0;  // largest error magnitude / span; NaN for no span
    std::optional<double> tolerance;
    std::vector<std::size_t> beyond;  // measurements whose error exceeds the tolerance
};

struct CheckPlan {
    const Measurements* position = nullptr;
    const Measurements* force = nullptr;  // none: no force check
    std::optional<double> positionTolerance;
    std::optional<double> forceTolerance;
};

struct ImageCheck {
    std::optional<MeasurementCheck> position;
    std::optional<MeasurementCheck> force;
    std::vector<Finding> findings;  // an error per check with measurements beyond tolerance
};

// The library must have accepted the image (ProbeInit) before.
ImageCheck CheckImage(const BoundLibrary& library, const CheckPlan& plan);
