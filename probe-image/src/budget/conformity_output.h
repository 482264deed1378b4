// The uncertainty budget, the expanded uncertainties and the decisions of a
// calibration: as text after the errors, and as JSON with the unrounded values.
#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

#include "conformity.h"

void PrintConformity(const Conformity& conformity, std::ostream& out);
nlohmann::ordered_json ConformityJson(const Conformity& conformity);

// "0.1234 +- 0.0042 mm (k = 2.05)": a result stated with its U.
std::string StatedResult(double result, const ExpandedUncertainty& expanded, const char* unit);
