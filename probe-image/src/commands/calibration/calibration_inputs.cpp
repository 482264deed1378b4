#include "calibration_inputs.h"

#include <ctime>

#include "reference_standards.h"
#include "tool_error.h"

std::string TodayUtc() {
    const std::time_t now = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", std::gmtime(&now));
    return text;
}

CalibrationInputs ReadCalibrationInputs(const CertificateOptions& options) {
    CalibrationInputs inputs;
    const std::optional<DecisionRule> rule = ParseDecisionRule(options.decisionRule);
    if (!rule)
        throw ToolError(ExitUsage, "--decision-rule " + options.decisionRule +
                                       ": expected simple, guarded, guarded:R (R 0 or more) "
                                       "or non-binary");
    inputs.rule = *rule;
    inputs.day = options.calibrationDate.empty() ? TodayUtc() : options.calibrationDate;
    if (!IsDateText(inputs.day))
        throw ToolError(ExitUsage,
                        "--calibration-date " + inputs.day + ": expected a date YYYY-MM-DD");
    if (!options.budget.empty()) {
        inputs.budget = ReadBudget(options.budget);
        RefuseOverdueReferences(*inputs.budget, inputs.day);
    }
    return inputs;
}

CertificateFacts CertificateFactsOf(const CertificateOptions& options,
                                    const CalibrationInputs& inputs, const std::string& number,
                                    const std::string& operatorName) {
    CertificateFacts facts;
    facts.number = number;
    facts.amends = options.amends;
    facts.reason = options.reason;
    facts.customer = options.customer;
    facts.asset = options.asset;
    facts.method =
        !options.method.empty() || !inputs.budget ? options.method : inputs.budget->method;
    facts.temperature = options.temperature;
    facts.humidity = options.humidity;
    facts.calibrationDate = inputs.day;
    facts.issueDate = TodayUtc();
    facts.calibratedBy = operatorName;
    facts.authorisedBy = options.authorisedBy;
    return facts;
}
