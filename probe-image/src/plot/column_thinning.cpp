#include "column_thinning.h"

#include <cmath>
#include <optional>

namespace {

// The extremes of one column, with the order in which they came.
struct ColumnExtremes {
    std::size_t column;
    float min;
    float max;
    bool minFirst;

    void Take(float value) {
        if (value < min) {
            min = value;
            minFirst = false;
        } else if (value > max) {
            max = value;
            minFirst = true;
        }
    }

    void AppendTo(ColumnLine& line) const {
        const float first = minFirst ? min : max;
        const float second = minFirst ? max : min;
        line.push_back({column, first});
        if (second != first)
            line.push_back({column, second});
    }
};

}  // namespace

std::size_t ColumnOf(double raw, double low, double high, std::size_t columns) {
    const double share = (raw - low) / (high - low);
    const double column = std::floor(share * static_cast<double>(columns));
    if (!(column > 0))
        return 0;
    if (column >= static_cast<double>(columns))
        return columns - 1;
    return static_cast<std::size_t>(column);
}

std::vector<ColumnLine> ThinToColumns(std::span<const float> raw, std::span<const float> values,
                                      double low, double high, std::size_t columns) {
    std::vector<ColumnLine> lines;
    ColumnLine line;
    std::optional<ColumnExtremes> open;
    auto endLine = [&] {
        if (open)
            open->AppendTo(line);
        open.reset();
        if (!line.empty())
            lines.push_back(std::move(line));
        line.clear();
    };
    for (std::size_t i = 0; i < raw.size() && i < values.size(); ++i) {
        if (!(raw[i] >= low && raw[i] <= high))
            continue;
        if (!std::isfinite(values[i])) {
            endLine();
            continue;
        }
        const std::size_t column = ColumnOf(raw[i], low, high, columns);
        if (open && open->column == column) {
            open->Take(values[i]);
            continue;
        }
        if (open)
            open->AppendTo(line);
        open = ColumnExtremes{column, values[i], values[i], true};
    }
    endLine();
    return lines;
}
