// What "fit" reports: per polynomial its order and how it was chosen, the condition
// numbers, the coefficients stored, the residuals of the solution in double, of
// plain float32 rounding and of the refined coefficients, and per measurement what
// the library computes from the image written; then the warnings. As text for
// people and as JSON for scripts, both rendered from one model of the report
// (fit_report_model.h).
#pragma once

#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "calibration_fit.h"
#include "image_check.h"
#include "result_table.h"

struct FitReportContext {
    const FitPlan& plan;
    const CalibrationFit& fit;
    std::string library;  // the library file
    std::string output;   // the image file written
    // The old image checked on the same measurements before the fit; none: not asked.
    const ImageCheck* asFound = nullptr;
    std::string asFoundFile;
};

// The force fit's uncertainty at every force measurement: of the line, or of the
// polynomial between the thresholds (0 outside, where the law is a constant).
std::vector<double> ForceFitUncertainty(const CalibrationFit& fit, const Measurements& measured);

// Per measurement: the measurement's stated uncertainty and that of the fit where
// uncertainties are stated, the as-found error where the old image was checked.
std::vector<ResultColumn> FitColumns(const Measurements& measured, const LibraryResults* asFound,
                                     const std::vector<double>& fittedUncertainty, bool json);

void PrintFitReport(const FitReportContext& report, std::ostream& out);
nlohmann::ordered_json FitReportJson(const FitReportContext& report);
