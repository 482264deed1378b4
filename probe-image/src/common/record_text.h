// The fields of a journal record as listings show them, in tables.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// A field's text: a string as it is, an integer in digits, anything else empty.
std::string FieldText(const nlohmann::ordered_json& object, const char* name);

// Rows as columns two spaces apart, each as wide as its widest cell; the first row
// is the heading.
void PrintTable(const std::vector<std::vector<std::string>>& rows, std::ostream& out);
