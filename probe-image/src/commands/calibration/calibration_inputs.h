// What check and fit read for a certificate before computing anything: the budget,
// the decision rule and the day of calibration, with the budget's reference
// standards checked against that day.
#pragma once

#include <optional>
#include <string>

#include "certificate_options.h"
#include "certificate_statements.h"
#include "decision_rule.h"
#include "uncertainty_budget.h"

struct CalibrationInputs {
    std::optional<UncertaintyBudget> budget;
    DecisionRule rule;
    std::string day;  // YYYY-MM-DD
};

// Throws ToolError: ExitUsage for a rule or date that does not read, ExitFile for a
// budget that does not, ExitRefused for a reference standard past its due date.
CalibrationInputs ReadCalibrationInputs(const CertificateOptions& options);

// Today's date, UTC, YYYY-MM-DD.
std::string TodayUtc();

// What the certificate states of the calibration besides its results.
CertificateFacts CertificateFactsOf(const CertificateOptions& options,
                                    const CalibrationInputs& inputs, const std::string& number,
                                    const std::string& operatorName);
