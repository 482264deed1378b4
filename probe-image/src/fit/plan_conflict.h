// A plan the fit cannot carry out, told in the fit's own terms: fields, orders and
// thresholds. A caller that made the plan from options words it as those options.
#pragma once

#include <string>
#include <utility>

#include "tool_error.h"

enum class PlanConflictKind {
    FieldSetByFit,                // an edit of a field the fit sets itself
    ForceOrderWithoutThresholds,  // a force order above 0 without thresholds: a linear law
    ThresholdsWithLinearLaw,      // thresholds with force order 0, the linear law
    ThresholdsOutOfOrder,         // x2 not below x1 as the image holds them
};

struct PlanConflict {
    PlanConflictKind kind = PlanConflictKind::FieldSetByFit;
    std::string field;     // FieldSetByFit
    unsigned order = 0;    // ForceOrderWithoutThresholds
    float x2 = 0, x1 = 0;  // ThresholdsOutOfOrder
};

// A usage error (ExitUsage) whose message speaks of the fit.
class FitPlanError : public ToolError {
  public:
    FitPlanError(PlanConflict conflict, const std::string& message)
        : ToolError(ExitUsage, message), conflict_(std::move(conflict)) {}
    const PlanConflict& conflict() const { return conflict_; }

  private:
    PlanConflict conflict_;
};
