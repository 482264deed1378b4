// Findings about a curve as the library reports it: the raw ranges where it
// turns back against its overall direction, and where it is not finite.
#pragma once

#include <optional>

#include "finding.h"
#include "library_curves.h"

std::optional<Finding> TurnBackFinding(const Curve& curve);
std::optional<Finding> NonFiniteFinding(const Curve& curve);

// The raw ranges of the turns, for drawing them.
std::vector<RawRange> TurnBackRanges(const Curve& curve);
