// What a calibration states beyond the errors: per quantity the expanded
// uncertainty at every point from the budget, the point's own u and, for a fit,
// the fitted curve's u; and with a tolerance the decision at every point and over
// all under the rule chosen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calibration_fit.h"
#include "decision_rule.h"
#include "expanded_uncertainty.h"
#include "measurements.h"
#include "uncertainty_budget.h"

struct QuantityConformity {
    const char* name = "";  // "position", "force"
    const char* unit = "";  // "mm", "N"
    const Measurements* measured = nullptr;
    std::vector<double> errors;                        // library - measured
    const std::vector<BudgetEntry>* budget = nullptr;  // none: no budget for it
    std::optional<QuantityUncertainty> uncertainty;    // where anything gives one
    std::optional<QuantityDecision> decision;          // where a tolerance is given
};

struct Conformity {
    DecisionRule rule;
    const UncertaintyBudget* budget = nullptr;
    std::optional<QuantityConformity> position;
    std::optional<QuantityConformity> force;
    bool decided = false;  // a tolerance was given for some quantity
    Outcome overall = Outcome::Pass;
};

// The fitted curve's uncertainty at each measurement, where a fit made one.
struct FittedUncertainty {
    const std::vector<double>* u = nullptr;
    double dof = 0;
};

struct QuantityInputs {
    const Measurements* measured = nullptr;  // none: the quantity was not measured
    const std::vector<double>* errors = nullptr;
    std::optional<double> tolerance;
    FittedUncertainty fitted;
};

// Throws ToolError(ExitUsage) for a guarded or non-binary rule where a quantity
// with a tolerance has no uncertainty (no budget, no u column, no fit).
Conformity ConformityOf(const DecisionRule& rule, const UncertaintyBudget* budget,
                        const QuantityInputs& position, const QuantityInputs& force);

// Where nothing is stated beyond the errors: no budget, no u, no tolerance.
bool StatesNothing(const Conformity& conformity);

// The exit status of a decision: 0 for pass and conditional pass, ExitConditional
// for a conditional fail, ExitRefused for a fail.
int DecisionExit(Outcome overall);
