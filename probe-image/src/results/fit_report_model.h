// What "fit" reports, as plain data filled once from the fit: per law its
// coefficients or constants, their uncertainty, the residuals at each stage and
// the measurements it was fitted to; then the warnings. The text and the JSON
// report both render this.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "calibration_fit.h"
#include "fit_report.h"

// The residuals of one law at each stage of the fit.
struct ResidualStages {
    ResidualSummary inDouble;  // the least-squares solution before float32 storage
    ResidualSummary rounded;   // each value rounded on its own, through the library
    ResidualSummary refined;   // refined through the library
    ResidualSummary written;   // the image written, through the library
    std::size_t trials = 0;    // images tried while refining
};

// A polynomial the image stores: the position's, or the force's between x2 and x1.
struct PolynomialFigures {
    const PolynomialFit* fit = nullptr;
    std::vector<float> stored;     // as the library decoded the image written
    const char* field = nullptr;   // the record field that holds the coefficients
    const char* result = nullptr;  // what the polynomial gives, and in which unit
    const char* unit = nullptr;
};

// The linear force law as stored and in double, with the uncertainties of k and x0.
struct LinearLawFigures {
    float forceK = 0;
    float forceX0 = 0;
    const LinearForceFit* fit = nullptr;
};

// The piecewise force law's constants as the image holds them.
struct PiecewiseLawFigures {
    float forceX2 = 0, forceX1 = 0, forceF2 = 0, forceF1 = 0;
    std::size_t fittedMeasurements = 0;  // those between x2 and x1
};

// The image as found checked on the same measurements.
struct AsFoundFigures {
    std::string file;
    const MeasurementCheck* check = nullptr;
};

// One measured quantity and the law fitted to it.
struct FitSection {
    const Measurements* measured = nullptr;
    std::optional<unsigned> gain;  // the position's gain
    // One law: a polynomial (the position's, or the force's with piecewise set), or
    // the linear force law.
    std::optional<PolynomialFigures> polynomial;
    std::optional<PiecewiseLawFigures> piecewise;
    std::optional<LinearLawFigures> linear;
    const PolynomialUncertainty* uncertainty = nullptr;  // of the law's solve
    const LibraryResults* written = nullptr;             // of the image written
    ResidualStages residuals;
    std::optional<AsFoundFigures> asFound;
    std::vector<double> fitUncertainty;  // the fit's at each measurement
};

struct FitReportModel {
    int type = 0;
    std::string library;  // the library file
    std::string output;   // the image file written
    FitSection position;
    std::optional<FitSection> force;
    const std::vector<Finding>* warnings = nullptr;
};

// The context's fit, plan and as-found check must outlive the model.
FitReportModel FitReportModelOf(const FitReportContext& report);

// The columns of a section's table of points beyond raw, measured, library and
// residual.
std::vector<ResultColumn> SectionColumns(const FitSection& section, bool json);
