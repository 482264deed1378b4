// The fields of a journal record as the database listings show them.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

// A field's text: a string as it is, an integer in digits, anything else empty.
std::string FieldText(const nlohmann::ordered_json& object, const char* name);
