// Findings about single values of the record: coefficients and force-law values
// that are NaN or infinite.
#pragma once

#include <vector>

#include "finding.h"
#include "palvo.h"

// position and force are the coefficient blocks as read through their handles.
std::vector<Finding> NonFiniteValueFindings(const ProbeParameters& record,
                                            const std::vector<float>& position,
                                            const std::vector<float>& force);
