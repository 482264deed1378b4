// What "fit" reports: per polynomial its order and how it was chosen, the condition
// numbers, the coefficients stored, the residuals of the solution in double, of
// plain float32 rounding and of the refined coefficients, and per measurement what
// the library computes from the image written; then the warnings. As text for
// people and as JSON for scripts.
#pragma once

#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "calibration_fit.h"

struct FitReportContext {
    const FitPlan& plan;
    const CalibrationFit& fit;
    std::string library;  // the library file
    std::string output;   // the image file written
};

void PrintFitReport(const FitReportContext& report, std::ostream& out);
nlohmann::ordered_json FitReportJson(const FitReportContext& report);
