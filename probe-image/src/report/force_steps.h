// Steps of the force law at its thresholds x1 and x2: the force ProbeGetForce
// gives just below each against the force at it.
#pragma once

#include <vector>

#include "bound_library.h"
#include "finding.h"

// The smallest step the image's two-decimal force fields can hold.
inline constexpr double kDefaultForceStepTolerance = 0.01;

// A finding for each finite threshold of a type-3 or type-6 law where the force
// changes by more than tolerance.
std::vector<Finding> ForceStepFindings(const BoundLibrary& library, const ProbeParameters& record,
                                       double tolerance);
