// Findings as show prints them: one line each for people, an array for scripts.
#pragma once

#include <ostream>
#include <vector>

#include <nlohmann/json.hpp>

#include "finding.h"

void PrintFindings(const std::vector<Finding>& findings, std::ostream& out);
nlohmann::ordered_json FindingsJson(const std::vector<Finding>& findings);
