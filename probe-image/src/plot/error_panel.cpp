#include "error_panel.h"

#include <algorithm>
#include <numeric>

namespace {

// Points of the zero line; two columns apart at most, so that it is drawn whole.
constexpr std::size_t kZeroLinePoints = 2 * kPlotColumns;

}  // namespace

PlotPanel ErrorPanel(const ErrorPanelLook& look, const Measurements& measured,
                     const std::vector<double>& errors, const std::vector<double>& bandHalfWidths) {
    PlotPanel panel;
    panel.id = look.id;
    panel.title = look.title;
    panel.xLabel = look.xLabel;
    panel.yLabel = "error (" + look.unit + ")";
    panel.colour = look.colour;
    panel.pointClass = "error-point";
    const auto [low, high] = std::minmax_element(measured.raw.begin(), measured.raw.end());
    panel.curve.source = "zero";
    for (std::size_t i = 0; i < kZeroLinePoints; ++i) {
        panel.curve.raw.push_back(*low + (*high - *low) * static_cast<float>(i) /
                                             static_cast<float>(kZeroLinePoints - 1));
        panel.curve.values.push_back(0);
    }
    panel.curve.raw.back() = *high;
    for (std::size_t i = 0; i < measured.raw.size(); ++i)
        panel.points.push_back({measured.raw[i], errors[i]});
    if (!bandHalfWidths.empty()) {
        std::vector<std::size_t> order(measured.raw.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return measured.raw[a] < measured.raw[b];
        });
        for (std::size_t i : order)
            panel.band.push_back({measured.raw[i], -bandHalfWidths[i], bandHalfWidths[i]});
    }
    return panel;
}

void InsertAfter(PlotDocument& document, const std::string& id, PlotPanel panel) {
    auto at = std::find_if(document.panels.begin(), document.panels.end(),
                           [&](const PlotPanel& other) { return other.id == id; });
    document.panels.insert(at == document.panels.end() ? at : at + 1, std::move(panel));
}
