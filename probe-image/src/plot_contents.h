// What the plot of an accepted image shows, read from the bound library: the
// position curve with its turns shaded, and the force law with its breakpoints
// marked and its pressure beside it.
#pragma once

#include <optional>

#include "bound_library.h"
#include "calibration_life.h"
#include "svg_plot.h"

struct PlotChoice {
    bool position = true;
    bool force = true;
};

PlotDocument PlotContents(const BoundLibrary& library, const ProbeParameters& record,
                          const std::optional<CalibrationLife>& life, PlotChoice choice);
