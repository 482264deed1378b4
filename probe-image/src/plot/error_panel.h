// A panel of errors below a curve: each measurement's error (library - measured)
// over its raw reading, about a zero line, with a shaded band of the fit's
// uncertainty where one is given.
#pragma once

#include <string>
#include <vector>

#include "measurements.h"
#include "svg_plot.h"

struct ErrorPanelLook {
    std::string id;      // "position-error", "force-error"
    std::string title;   // e.g. "Position error: ProbeGetPosition - measured"
    std::string xLabel;  // as the panel above
    std::string unit;    // "mm", "N"
    std::string colour;
};

// errors and bandHalfWidths (if not empty) have one entry per measurement; the
// band is drawn from -halfWidth to +halfWidth about zero at each measured reading.
PlotPanel ErrorPanel(const ErrorPanelLook& look, const Measurements& measured,
                     const std::vector<double>& errors,
                     const std::vector<double>& bandHalfWidths = {});

// The panel document's panels with an error panel put right after the one whose id
// is given (at the end when there is none).
void InsertAfter(PlotDocument& document, const std::string& id, PlotPanel panel);
