// Plots of an image against measurements with the errors below the curves: for
// check, the image as found; for fit, the image written with the band of twice the
// fitted curve's standard uncertainty about zero in each error panel.
#pragma once

#include <optional>

#include "bound_library.h"
#include "calibration_fit.h"
#include "calibration_life.h"
#include "image_check.h"
#include "svg_plot.h"

// The library must hold the image checked.
PlotDocument CheckPlot(const BoundLibrary& library, const ProbeParameters& record,
                       const std::optional<CalibrationLife>& life, const ImageCheck& check);

// The error panels of a fit, put below the position and force panels of its plot.
void AddFitErrorPanels(PlotDocument& document, const FitPlan& plan, const CalibrationFit& fit);
