#include "record_text.h"

#include <algorithm>

std::string FieldText(const nlohmann::ordered_json& object, const char* name) {
    if (!object.is_object())
        return {};
    const auto field = object.find(name);
    if (field == object.end())
        return {};
    if (field->is_string())
        return field->get<std::string>();
    if (field->is_number_integer())
        return field->dump();
    return {};
}

void PrintTable(const std::vector<std::vector<std::string>>& rows, std::ostream& out) {
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i + 1 < row.size(); ++i)
            line += row[i] + std::string(widths[i] - row[i].size() + 2, ' ');
        out << line << row.back() << "\n";
    }
}
