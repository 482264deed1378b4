// What the plot of an accepted image shows, read from the bound library: the
// position curve with its turns shaded, and the force law with its breakpoints
// marked and its pressure beside it; measurements, where given, drawn over them.
#pragma once

#include <optional>

#include "bound_library.h"
#include "calibration_life.h"
#include "measurements.h"
#include "svg_plot.h"

struct PlotChoice {
    bool position = true;
    bool force = true;
};

// Measurements to draw: positions over ProbeGetPosition of their readings (in place
// of the table's curve), forces over the force curve.
struct PlotMeasurements {
    const Measurements* position = nullptr;
    const Measurements* force = nullptr;
};

PlotDocument PlotContents(const BoundLibrary& library, const ProbeParameters& record,
                          const std::optional<CalibrationLife>& life, PlotChoice choice,
                          const PlotMeasurements& measured = {});
