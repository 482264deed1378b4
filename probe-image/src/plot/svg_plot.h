// The plot as a standalone SVG 1.1 document: a title and panels stacked one
// above the other, each a curve over raw readings with its axes, marked raw
// readings, shaded raw ranges and measurements as dots.
#pragma once

#include <string>
#include <vector>

#include "finding.h"
#include "library_curves.h"

struct PlotMarker {
    float raw = 0;
    std::string label;
};

// A measurement drawn as a dot over the curve.
struct PlotPoint {
    double raw = 0;
    double value = 0;
};

// Where a value lies within low to high at a raw reading, as a shaded band.
struct PlotBand {
    double raw = 0;
    double low = 0;
    double high = 0;
};

struct PlotPanel {
    std::string id;  // the panel group's id: "position", "force", "pressure"
    std::string title;
    std::string xLabel;
    std::string yLabel;
    std::string colour;
    Curve curve;  // raw ascending
    std::vector<PlotMarker> markers;
    std::vector<RawRange> shaded;
    std::vector<PlotPoint> points;
    std::string pointClass = "point";  // of each point's circle
    std::vector<PlotBand> band;        // raw ascending; shaded under the curve
};

struct PlotDocument {
    std::string title;
    std::string subtitle;
    std::vector<PlotPanel> panels;
};

std::string SvgPlot(const PlotDocument& document);

// Pixel columns of a panel's curve: one per pixel of its plot area.
inline constexpr std::size_t kPlotColumns = 680;
