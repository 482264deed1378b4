#include "result_table.h"

#include <cstdio>
#include <iomanip>

#include "number_text.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kColumn = 16;

std::string Figure(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

}  // namespace

Json FloatJson(float value) {
    return ShortestDouble(value);
}

void PrintResultTable(std::ostream& out, const Measurements& measurements,
                      const LibraryResults& results, const std::vector<ResultColumn>& more) {
    out << "  " << std::left << std::setw(kColumn) << "raw" << std::setw(kColumn) << "measured"
        << std::setw(kColumn) << "library";
    if (more.empty())
        out << "residual";
    else
        out << std::setw(kColumn) << "residual";
    for (std::size_t c = 0; c < more.size(); ++c)
        out << (c + 1 < more.size() ? std::setw(kColumn) : std::setw(0)) << more[c].title;
    out << "\n";
    for (std::size_t i = 0; i < measurements.raw.size(); ++i) {
        out << "  " << std::setw(kColumn) << FloatText(measurements.raw[i]) << std::setw(kColumn)
            << Figure(measurements.value[i]) << std::setw(kColumn) << FloatText(results.outputs[i]);
        if (more.empty())
            out << DoubleText(results.residuals[i]);
        else
            out << std::setw(kColumn) << DoubleText(results.residuals[i]);
        for (std::size_t c = 0; c < more.size(); ++c)
            out << (c + 1 < more.size() ? std::setw(kColumn) : std::setw(0))
                << DoubleText(more[c].values[i]);
        out << "\n";
    }
}

Json ResultPointsJson(const Measurements& measurements, const LibraryResults& results,
                      const std::vector<ResultColumn>& more) {
    Json points = Json::array();
    for (std::size_t i = 0; i < measurements.raw.size(); ++i) {
        Json point{{"raw", FloatJson(measurements.raw[i])},
                   {"measured", measurements.value[i]},
                   {"library", FloatJson(results.outputs[i])},
                   {"residual", results.residuals[i]}};
        for (const ResultColumn& column : more)
            point[column.key] = column.values[i];
        points.push_back(point);
    }
    return points;
}

void PrintResidualLine(std::ostream& out, const std::string& name, const ResidualSummary& summary,
                       const std::string& what) {
    out << "    " << std::left << std::setw(kColumn) << name << std::setw(kColumn)
        << DoubleText(summary.rms) << std::setw(kColumn) << DoubleText(summary.max) << what << "\n";
}
