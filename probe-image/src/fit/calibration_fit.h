// A calibration fitted to measurements and made into an image by the library's
// encoder, as "new" makes one: the position polynomial and, for types 3 and 6, the
// force law if force measurements are given. Every residual it reports is computed
// by the library from the image it wrote.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bound_library.h"
#include "encoding.h"
#include "field_edits.h"
#include "finding.h"
#include "library_trials.h"
#include "linear_force_fit.h"
#include "measurements.h"
#include "polynomial_fit.h"

struct ForcePlan {
    Measurements measurements;
    std::optional<unsigned> order;  // nothing: chosen; 0: the linear law
    // ForceX2, ForceX1, ForceF2, ForceF1 as given; none: the linear law.
    std::vector<FieldEdit> thresholds;
};

struct FitPlan {
    int type = 0;
    Measurements position;
    std::optional<unsigned> positionOrder;  // nothing: chosen
    std::optional<ForcePlan> force;
    std::vector<FieldEdit> edits;  // the other fields of the image
};

// What the library computes at each measured reading from the image written.
struct LibraryResults {
    std::vector<float> outputs;
    std::vector<double> residuals;  // output - measured
    ResidualSummary summary;
    // Against the measurements' stated uncertainties, where given and where there
    // are more measurements than fitted parameters.
    std::optional<double> reducedChiSquare;
    std::size_t degreesOfFreedom = 0;
};

// What the library computes at measured readings, against the measurements; with
// the reduced chi-square for this many fitted parameters where uncertainties are
// stated.
LibraryResults ResultsAgainst(std::vector<float> outputs, const Measurements& measurements,
                              std::size_t parameters);

struct CalibrationFit {
    std::uint8_t gain = 0;
    PolynomialFit position;
    std::optional<LinearForceFit> linearForce;
    std::optional<PolynomialFit> forcePolynomial;
    EncodedImage image;
    // As the library decoded the image written.
    CalibrationValues stored;
    float forceX1 = 0, forceX2 = 0, forceF1 = 0, forceF2 = 0;
    LibraryResults positionResults;
    std::optional<LibraryResults> forceResults;
    // The force measurements the piecewise law's polynomial is fitted to, those
    // with x2 <= raw < x1, in the order of its solve.
    std::vector<std::size_t> forceFitted;
    std::vector<Finding> warnings;
    std::string refusal;  // why the image must not be written; empty when it may
};

// Throws ToolError: ExitUsage for an order or a field the image cannot take (a
// FitPlanError where the plan contradicts itself or the fit), ExitFile for
// measurements that cannot give the fit, ExitRefused when the library refuses.
CalibrationFit FitCalibration(const BoundLibrary& library, const FitPlan& plan);
