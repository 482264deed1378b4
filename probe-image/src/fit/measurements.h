// Calibration measurements from a CSV file: one row "raw,value" per measurement,
// optionally under one header line. The raw reading is what the library's
// conversion takes (a float); the value is the position or force measured there.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct Measurements {
    std::string source;  // the file, for messages and reports
    std::vector<float> raw;
    std::vector<double> value;
};

// Throws ToolError(ExitFile) when the file cannot be read, a row does not read as
// two numbers, a number is NaN or infinite, a raw reading does not fit a float, or
// there is no row at all. The message names the file and the line.
Measurements ReadMeasurements(const std::filesystem::path& path);

// The same from text already read; source names it in messages.
Measurements ParseMeasurements(std::string_view text, const std::string& source);
