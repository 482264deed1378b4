#include "plot_contents.h"

#include <algorithm>

#include "curve_findings.h"
#include "force_readings.h"
#include "library_curves.h"
#include "number_text.h"
#include "record_fields.h"

namespace {

// The record carries no units; these are the ones its conversions are made for.
constexpr char kPositionUnit[] = "mm";
constexpr char kForceUnit[] = "N";
constexpr char kPressureUnit[] = "gf";  // force / 9.81 x 1000

constexpr char kPositionColour[] = "#1f5fa8";
constexpr char kForceColour[] = "#b03a2e";
constexpr char kPressureColour[] = "#2e7d32";

// Readings per pixel column of a curve over a raw range, before thinning.
constexpr std::size_t kReadingsPerColumn = 4;

std::string Subtitle(const ProbeParameters& record, const std::optional<CalibrationLife>& life) {
    std::string text = "calibration date " + PrintableText(record.CalibrationDate) + ", ";
    if (!life)
        return text + "no calibration verdict from the library";
    text += life->calibrated ? "calibrated today" : "not calibrated today";
    return text + "; runs out in " + life->runsOut + " by date, " +
           std::to_string(life->usageLeft) + " uses left";
}

// "x1 = 10", or "x0 = x1 = x2 = 0.5" for breakpoints at one reading.
std::vector<PlotMarker> BreakpointMarkers(const ProbeParameters& record) {
    std::vector<PlotMarker> markers;
    for (const Breakpoint& breakpoint : ForceBreakpoints(record)) {
        const std::string name = breakpoint.symbol;
        auto same = std::find_if(markers.begin(), markers.end(), [&](const PlotMarker& marker) {
            return marker.raw == breakpoint.raw;
        });
        if (same == markers.end())
            markers.push_back({breakpoint.raw, name});
        else
            same->label += " = " + name;
    }
    for (PlotMarker& marker : markers)
        marker.label += " = " + FloatText(marker.raw);
    return markers;
}

std::vector<PlotPoint> Points(const Measurements* measured) {
    std::vector<PlotPoint> points;
    if (measured != nullptr)
        for (std::size_t i = 0; i < measured->raw.size(); ++i)
            points.push_back({measured->raw[i], measured->value[i]});
    return points;
}

// The smallest and largest measured reading, as breakpoints the readings of a
// curve must cover.
std::vector<Breakpoint> MeasuredSpan(const Measurements& measured) {
    const auto [low, high] = std::minmax_element(measured.raw.begin(), measured.raw.end());
    return {{"", "", *low}, {"", "", *high}};
}

std::string MeasurementsTitle(const Measurements& measured) {
    return ", with " + std::to_string(measured.raw.size()) + " measurements";
}

PlotPanel PositionPanel(const BoundLibrary& library, const Measurements* measured) {
    PlotPanel panel;
    panel.id = "position";
    if (measured != nullptr) {
        panel.curve = PositionReadings(
            library, ForceReadings(MeasuredSpan(*measured), kPlotColumns * kReadingsPerColumn));
        panel.title = "Position: " + panel.curve.source + MeasurementsTitle(*measured);
        panel.points = Points(measured);
    } else {
        panel.curve = PositionCurve(library);
        panel.title = "Position: " + panel.curve.source + " of every 16-bit reading";
    }
    panel.xLabel = "raw position reading";
    panel.yLabel = std::string("position (") + kPositionUnit + ")";
    panel.colour = kPositionColour;
    panel.shaded = TurnBackRanges(panel.curve);
    panel.shaded.resize(std::min(panel.shaded.size(), kListedRanges));
    if (!panel.shaded.empty())
        panel.title += " (shaded where it turns back)";
    return panel;
}

std::vector<PlotPanel> ForcePanels(const BoundLibrary& library, const ProbeParameters& record,
                                   const Measurements* measured) {
    std::vector<Breakpoint> span = ForceBreakpoints(record);
    if (measured != nullptr)
        for (const Breakpoint& end : MeasuredSpan(*measured))
            span.push_back(end);
    const std::vector<float> readings = ForceReadings(span, kPlotColumns * kReadingsPerColumn);
    const std::vector<PlotMarker> markers = BreakpointMarkers(record);

    PlotPanel force;
    force.id = "force";
    force.curve = ForceCurve(library, readings);
    force.title = "Force: ProbeGetForce";
    force.xLabel = "raw force reading";
    force.yLabel = std::string("force (") + kForceUnit + ")";
    force.colour = kForceColour;
    force.markers = markers;
    force.points = Points(measured);
    if (measured != nullptr)
        force.title += MeasurementsTitle(*measured);

    PlotPanel pressure;
    pressure.id = "pressure";
    pressure.curve = PressureCurve(library, readings);
    pressure.title = "Pressure: ProbeGetPression";
    pressure.xLabel = force.xLabel;
    pressure.yLabel = std::string("pressure (") + kPressureUnit + ")";
    pressure.colour = kPressureColour;
    pressure.markers = markers;
    return {force, pressure};
}

}  // namespace

PlotDocument PlotContents(const BoundLibrary& library, const ProbeParameters& record,
                          const std::optional<CalibrationLife>& life, PlotChoice choice,
                          const PlotMeasurements& measured) {
    PlotDocument document;
    document.title = library.fileName + ": type " + std::to_string(record.Type) +
                     " probe, serial " + std::to_string(record.Serial);
    document.subtitle = Subtitle(record, life);
    if (choice.position)
        document.panels.push_back(PositionPanel(library, measured.position));
    if (choice.force)
        for (PlotPanel& panel : ForcePanels(library, record, measured.force))
            document.panels.push_back(std::move(panel));
    return document;
}
