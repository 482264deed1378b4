// Calibration measurements from a CSV file: one row "raw,value" per measurement,
// optionally under one header line. The raw reading is what the library's
// conversion takes (a float); the value is the position or force measured there.
// A third column, the same in every row, gives the value's standard uncertainty.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct Measurements {
    std::string source;  // the file, for messages and reports
    std::vector<float> raw;
    std::vector<double> value;
    std::vector<double> uncertainty;  // one per value, each above 0; empty when not given
    std::string sha256;               // of the file's bytes, in hexadecimal; empty for text
};

// Throws ToolError(ExitFile) when the file cannot be read, a row does not read as
// two numbers (or three, as the first row has them), a number is NaN or infinite,
// a raw reading does not fit a float, an uncertainty is not above 0, or there is
// no row at all. The message names the file and the line.
Measurements ReadMeasurements(const std::filesystem::path& path);

// The same from text already read; source names it in messages.
Measurements ParseMeasurements(std::string_view text, const std::string& source);
