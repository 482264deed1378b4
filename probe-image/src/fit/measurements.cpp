#include "measurements.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "comma_list.h"
#include "number_text.h"
#include "sha256.h"
#include "tool_error.h"
#include "whole_file.h"

namespace {

constexpr char kBlanks[] = " \t\r";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

constexpr std::size_t kMostFields = 3;  // raw, value, uncertainty

// The fields of a row, each without the blanks around it.
std::vector<std::string_view> RowFields(std::string_view line) {
    std::vector<std::string_view> fields = SplitCommaList(line);
    for (std::string_view& field : fields)
        field = Trimmed(field);
    return fields;
}

[[noreturn]] void Refuse(const std::string& source, std::size_t line, const std::string& why) {
    throw ToolError(ExitFile, source + " line " + std::to_string(line) + ": " + why);
}

// A number of the row, which must be finite.
double Finite(std::string_view text, const char* what, const std::string& source,
              std::size_t line) {
    const auto value = ParseDouble(text);
    if (!value)
        Refuse(source, line, std::string(what) + " \"" + std::string(text) + "\" is not a number");
    if (!std::isfinite(*value))
        Refuse(source, line, std::string(what) + " \"" + std::string(text) + "\" is not finite");
    return *value;
}

}  // namespace

Measurements ParseMeasurements(std::string_view text, const std::string& source) {
    Measurements measurements;
    measurements.source = source;
    bool headerAllowed = true;
    std::size_t columns = 0;  // as the first row of numbers has them
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty())
            continue;
        const std::vector<std::string_view> fields = RowFields(line);
        // The first line may name the columns instead of starting with a number.
        const bool header = headerAllowed && !ParseDouble(fields.front());
        headerAllowed = false;
        if (header)
            continue;
        const std::size_t count = fields.size() > kMostFields ? 0 : fields.size();
        if (columns == 0 && count >= 2)
            columns = count;
        if (count < 2 || count != columns)
            Refuse(source, lineNumber,
                   columns == 3 ? "expected three numbers separated by commas, as in the first "
                                  "row: raw,value,uncertainty"
                                : "expected two numbers separated by a comma: raw,value (or "
                                  "raw,value,uncertainty in every row)");
        const double raw = Finite(fields[0], "raw reading", source, lineNumber);
        if (std::fabs(raw) > std::numeric_limits<float>::max())
            Refuse(source, lineNumber,
                   "raw reading \"" + std::string(fields[0]) + "\" does not fit a float");
        measurements.raw.push_back(static_cast<float>(raw));
        measurements.value.push_back(Finite(fields[1], "value", source, lineNumber));
        if (columns == 3) {
            const double u = Finite(fields[2], "uncertainty", source, lineNumber);
            if (!(u > 0))
                Refuse(source, lineNumber,
                       "uncertainty \"" + std::string(fields[2]) + "\" is not above 0");
            measurements.uncertainty.push_back(u);
        }
    }
    if (measurements.raw.empty())
        throw ToolError(ExitFile, source + ": no measurements (rows raw,value)");
    return measurements;
}

Measurements ReadMeasurements(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (file)
        text << file.rdbuf();
    if (!file || file.bad())
        throw ToolError(ExitFile, "cannot read " + QuotedPath(path));
    const std::string bytes = text.str();
    Measurements measurements = ParseMeasurements(bytes, path.string());
    measurements.sha256 = Sha256Hex(bytes);
    return measurements;
}
