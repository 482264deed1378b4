#include "svg_plot.h"

#include <algorithm>
#include <cmath>

#include "axis_scale.h"
#include "column_thinning.h"
#include "svg_numbers.h"

namespace {

constexpr double kWidth = 800;
constexpr double kHeaderHeight = 64;
constexpr double kPanelHeight = 300;
constexpr double kPlotLeft = 90;
constexpr double kPlotTop = 40;
constexpr double kPlotWidth = static_cast<double>(kPlotColumns);
constexpr double kPlotHeight = 204;
constexpr double kTitleBaseline = 28;
constexpr double kSubtitleBaseline = 50;
constexpr double kPanelTitleBaseline = 26;
constexpr double kTickLength = 5;
constexpr double kXLabelOffset = 18;  // below the plot area, to the label's baseline
constexpr double kXTitleOffset = 42;  // below the plot area, to the axis title's baseline
constexpr double kYLabelOffset = 8;   // left of the plot area, to the label's end
constexpr double kYLabelDrop = 4;     // centres a label on its tick
constexpr double kYTitleX = 22;
constexpr double kMarkerLabelInset = 14;  // between marker label rows
constexpr double kMarkerLabelGap = 3;
constexpr int kXTicks = 8;
constexpr int kYTicks = 6;
constexpr char kGridColour[] = "#e4e4e4";
constexpr char kAxisColour[] = "#444444";
constexpr char kMarkerColour[] = "#777777";
constexpr char kShadeColour[] = "#d62728";
constexpr char kPointColour[] = "#111111";
constexpr char kPointRadius[] = "2";

std::string Attribute(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + value + "\"";
}

std::string Pixel(const char* name, double value) {
    return Attribute(name, PixelText(value));
}

std::string Text(const std::string& attributes, const std::string& content) {
    return "<text" + attributes + ">" + XmlEscaped(content) + "</text>\n";
}

// Where values land in a panel's plot area, which starts at (kPlotLeft, kPlotTop).
struct Mapping {
    AxisScale x;
    AxisScale y;

    double X(double raw) const { return kPlotLeft + (raw - x.low) / (x.high - x.low) * kPlotWidth; }
    double Y(double value) const {
        return kPlotTop + (y.high - value) / (y.high - y.low) * kPlotHeight;
    }
    static double ColumnCentre(std::size_t column) {
        return kPlotLeft + static_cast<double>(column) + 0.5;
    }
};

std::pair<double, double> FiniteRange(const std::vector<float>& values, bool& any) {
    double min = 0;
    double max = 0;
    any = false;
    for (float value : values) {
        if (!std::isfinite(value))
            continue;
        min = any ? std::min<double>(min, value) : value;
        max = any ? std::max<double>(max, value) : value;
        any = true;
    }
    return {min, max};
}

std::string XAxis(const Mapping& map) {
    std::string svg = "<g class=\"x-axis\">\n";
    const double bottom = kPlotTop + kPlotHeight;
    for (const Tick& tick : map.x.ticks) {
        svg += "<g class=\"tick\"" +
               Attribute("transform", "translate(" + PixelText(map.X(tick.value)) + "," +
                                          PixelText(bottom) + ")") +
               ">";
        svg += "<line" + Pixel("y1", -kPlotHeight) + Attribute("stroke", kGridColour) + "/>";
        svg += "<line" + Pixel("y2", kTickLength) + Attribute("stroke", kAxisColour) + "/>";
        svg += Text(Pixel("y", kXLabelOffset) + Attribute("text-anchor", "middle"), tick.label);
        svg += "</g>\n";
    }
    return svg + "</g>\n";
}

std::string YAxis(const Mapping& map) {
    std::string svg = "<g class=\"y-axis\">\n";
    for (const Tick& tick : map.y.ticks) {
        svg += "<g class=\"tick\"" +
               Attribute("transform", "translate(" + PixelText(kPlotLeft) + "," +
                                          PixelText(map.Y(tick.value)) + ")") +
               ">";
        svg += "<line" + Pixel("x2", kPlotWidth) + Attribute("stroke", kGridColour) + "/>";
        svg += "<line" + Pixel("x1", -kTickLength) + Attribute("stroke", kAxisColour) + "/>";
        svg += Text(
            Pixel("x", -kYLabelOffset) + Pixel("y", kYLabelDrop) + Attribute("text-anchor", "end"),
            tick.label);
        svg += "</g>\n";
    }
    return svg + "</g>\n";
}

std::string Shading(const PlotPanel& panel, const Mapping& map) {
    std::string svg;
    for (const RawRange& range : panel.shaded) {
        const double left = std::clamp(map.X(range.from), kPlotLeft, kPlotLeft + kPlotWidth);
        const double right = std::clamp(map.X(range.to), kPlotLeft, kPlotLeft + kPlotWidth);
        svg += "<rect class=\"shaded\"" + Pixel("x", left) + Pixel("y", kPlotTop) +
               Pixel("width", std::max(right - left, 1.0)) + Pixel("height", kPlotHeight) +
               Attribute("fill", kShadeColour) + Attribute("fill-opacity", "0.15") + "/>\n";
    }
    return svg;
}

// Each label on a row of its own, so that close markers keep readable labels.
std::string Markers(const PlotPanel& panel, const Mapping& map) {
    std::string svg;
    double labelRow = 0;
    for (const PlotMarker& marker : panel.markers) {
        if (!(marker.raw >= map.x.low && marker.raw <= map.x.high))
            continue;
        const double x = map.X(marker.raw);
        labelRow += kMarkerLabelInset;
        svg += "<g class=\"marker\"><line" + Pixel("x1", x) + Pixel("x2", x) +
               Pixel("y1", kPlotTop) + Pixel("y2", kPlotTop + kPlotHeight) +
               Attribute("stroke", kMarkerColour) + Attribute("stroke-dasharray", "4 3") + "/>";
        svg += Text(Pixel("x", x + kMarkerLabelGap) + Pixel("y", kPlotTop + labelRow) +
                        Attribute("fill", kMarkerColour),
                    marker.label);
        svg += "</g>\n";
    }
    return svg;
}

// The band as one polygon: along its highs, then back along its lows. Appended
// piece by piece, which also keeps GCC 12's -Wrestrict from a false alarm on
// literal + string.
std::string Band(const PlotPanel& panel, const Mapping& map) {
    std::string points;
    const auto add = [&](double raw, double value) {
        if (!points.empty())
            points += ' ';
        points += PixelText(map.X(raw));
        points += ',';
        points += PixelText(map.Y(value));
    };
    for (const PlotBand& at : panel.band)
        add(at.raw, at.high);
    for (auto at = panel.band.rbegin(); at != panel.band.rend(); ++at)
        add(at->raw, at->low);
    return "<polygon class=\"band\"" + Attribute("points", points) +
           Attribute("fill", panel.colour) + Attribute("fill-opacity", "0.2") + "/>\n";
}

std::string Points(const PlotPanel& panel, const Mapping& map) {
    std::string svg;
    for (const PlotPoint& point : panel.points) {
        if (!(point.raw >= map.x.low && point.raw <= map.x.high) || !std::isfinite(point.value))
            continue;
        svg += "<circle" + Attribute("class", panel.pointClass) + Pixel("cx", map.X(point.raw)) +
               Pixel("cy", map.Y(point.value)) + Attribute("r", kPointRadius) +
               Attribute("fill", "none") + Attribute("stroke", kPointColour) + "/>\n";
    }
    return svg;
}

std::string Lines(const PlotPanel& panel, const Mapping& map) {
    std::string svg;
    const auto lines =
        ThinToColumns(panel.curve.raw, panel.curve.values, map.x.low, map.x.high, kPlotColumns);
    for (const ColumnLine& line : lines) {
        std::string points;
        std::string last;
        std::size_t count = 0;
        for (const ColumnPoint& point : line) {
            const std::string text = PixelText(Mapping::ColumnCentre(point.column)) + "," +
                                     PixelText(map.Y(point.value));
            if (text == last)
                continue;
            points += (count++ == 0 ? "" : " ") + text;
            last = text;
        }
        if (count == 1) {
            const auto comma = last.find(',');
            svg += "<circle class=\"curve\"" + Attribute("cx", last.substr(0, comma)) +
                   Attribute("cy", last.substr(comma + 1)) + Attribute("r", "1.5") +
                   Attribute("fill", panel.colour) + "/>\n";
            continue;
        }
        svg += "<polyline class=\"curve\"" + Attribute("points", points) +
               Attribute("fill", "none") + Attribute("stroke", panel.colour) +
               Attribute("stroke-width", "1.2") + Attribute("stroke-linejoin", "round") + "/>\n";
    }
    return svg;
}

std::string Panel(const PlotPanel& panel, double top) {
    std::string svg = "<g" + Attribute("id", panel.id) + Attribute("class", "panel") +
                      Attribute("transform", "translate(0," + PixelText(top) + ")") + ">\n";
    svg += Text(
        Pixel("x", kPlotLeft) + Pixel("y", kPanelTitleBaseline) + Attribute("font-weight", "bold"),
        panel.title);
    const double xLow = panel.curve.raw.empty() ? 0 : panel.curve.raw.front();
    double xHigh = panel.curve.raw.empty() ? 0 : panel.curve.raw.back();
    if (!(xHigh > xLow))
        xHigh = xLow + std::max(1.0, std::abs(xLow));  // a single reading in the middle
    bool any = false;
    auto [min, max] = FiniteRange(panel.curve.values, any);
    for (const PlotPoint& point : panel.points) {
        if (!std::isfinite(point.value))
            continue;
        min = any ? std::min(min, point.value) : point.value;
        max = any ? std::max(max, point.value) : point.value;
        any = true;
    }
    for (const PlotBand& at : panel.band) {
        if (!std::isfinite(at.low) || !std::isfinite(at.high))
            continue;
        min = any ? std::min(min, at.low) : at.low;
        max = any ? std::max(max, at.high) : at.high;
        any = true;
    }
    const Mapping map{ExactScale(xLow, xHigh, kXTicks), PaddedScale(min, max, kYTicks)};

    svg += XAxis(map);
    if (any)
        svg += YAxis(map);
    svg += Shading(panel, map);
    svg += Markers(panel, map);
    if (any && !panel.band.empty())
        svg += Band(panel, map);
    if (any)
        svg += Lines(panel, map) + Points(panel, map);
    else
        svg += Text(Pixel("x", kPlotLeft + kPlotWidth / 2) +
                        Pixel("y", kPlotTop + kPlotHeight / 2) + Attribute("text-anchor", "middle"),
                    "no finite value");
    svg += "<rect class=\"frame\"" + Pixel("x", kPlotLeft) + Pixel("y", kPlotTop) +
           Pixel("width", kPlotWidth) + Pixel("height", kPlotHeight) + Attribute("fill", "none") +
           Attribute("stroke", kAxisColour) + "/>\n";
    svg += Text(Pixel("x", kPlotLeft + kPlotWidth / 2) +
                    Pixel("y", kPlotTop + kPlotHeight + kXTitleOffset) +
                    Attribute("text-anchor", "middle"),
                panel.xLabel);
    svg +=
        Text(Attribute("transform", "translate(" + PixelText(kYTitleX) + "," +
                                        PixelText(kPlotTop + kPlotHeight / 2) + ") rotate(-90)") +
                 Attribute("text-anchor", "middle"),
             panel.yLabel);
    return svg + "</g>\n";
}

}  // namespace

std::string SvgPlot(const PlotDocument& document) {
    const double height =
        kHeaderHeight + kPanelHeight * static_cast<double>(document.panels.size());
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"" + Pixel("width", kWidth) +
           Pixel("height", height) +
           Attribute("viewBox", "0 0 " + PixelText(kWidth) + " " + PixelText(height)) +
           Attribute("font-family", "Helvetica, Arial, sans-serif") + Attribute("font-size", "12") +
           ">\n";
    svg += "<title>" + XmlEscaped(document.title) + "</title>\n";
    svg += "<rect" + Pixel("width", kWidth) + Pixel("height", height) + Attribute("fill", "white") +
           "/>\n";
    svg += Text(Pixel("x", kPlotLeft) + Pixel("y", kTitleBaseline) + Attribute("font-size", "16") +
                    Attribute("font-weight", "bold"),
                document.title);
    svg += Text(Pixel("x", kPlotLeft) + Pixel("y", kSubtitleBaseline), document.subtitle);
    for (std::size_t i = 0; i < document.panels.size(); ++i)
        svg += Panel(document.panels[i], kHeaderHeight + kPanelHeight * static_cast<double>(i));
    return svg + "</svg>\n";
}
