#include "decision_rule.h"

#include <cmath>
#include <limits>

#include "number_text.h"

namespace {

constexpr char kGuardedPrefix[] = "guarded:";

double Phi(double z) {
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

}  // namespace

std::optional<DecisionRule> ParseDecisionRule(const std::string& text) {
    if (text == "simple")
        return DecisionRule{RuleKind::Simple, 0};
    if (text == "guarded")
        return DecisionRule{RuleKind::Guarded, 1};
    if (text == "non-binary")
        return DecisionRule{RuleKind::NonBinary, 1};
    if (text.rfind(kGuardedPrefix, 0) == 0) {
        const std::optional<double> r = ParseDouble(text.substr(sizeof kGuardedPrefix - 1));
        if (r && std::isfinite(*r) && *r >= 0)
            return DecisionRule{RuleKind::Guarded, *r};
    }
    return std::nullopt;
}

std::string RuleText(const DecisionRule& rule) {
    switch (rule.kind) {
        case RuleKind::Simple:
            return "simple";
        case RuleKind::Guarded:
            return "guarded:" + DoubleText(rule.r);
        case RuleKind::NonBinary:
            return "non-binary";
    }
    return "";
}

std::string RuleStatement(const DecisionRule& rule) {
    switch (rule.kind) {
        case RuleKind::Simple:
            return "Simple acceptance (ILAC-G8:09/2019 4.2.1): a point conforms when its error "
                   "lies within the tolerance; no guard band (w = 0). The risk of a false "
                   "accept near a limit is up to 50 %.";
        case RuleKind::Guarded:
            return "Guarded acceptance (ILAC-G8:09/2019 4.2.2): a point conforms when its error "
                   "lies within the tolerance less a guard band w = " +
                   DoubleText(rule.r) + " U; otherwise it does not conform.";
        case RuleKind::NonBinary:
            return "Non-binary statement (ILAC-G8:09/2019 4.2.3) with a guard band w = U: pass "
                   "within the tolerance less w, conditional pass within the tolerance, "
                   "conditional fail beyond the tolerance by no more than w, fail beyond.";
    }
    return "";
}

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Pass:
            return "pass";
        case Outcome::ConditionalPass:
            return "conditional pass";
        case Outcome::ConditionalFail:
            return "conditional fail";
        case Outcome::Fail:
            return "fail";
    }
    return "";
}

Outcome Worse(Outcome a, Outcome b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

double ConformanceProbability(double error, double tolerance, double u) {
    if (std::isnan(error) || std::isnan(u))
        return std::numeric_limits<double>::quiet_NaN();
    if (u == 0)
        return std::abs(error) <= tolerance ? 1 : 0;
    return Phi((tolerance - error) / u) - Phi((-tolerance - error) / u);
}

PointDecision Decide(const DecisionRule& rule, double error, double tolerance, double U, double k) {
    PointDecision decision;
    decision.conformance = ConformanceProbability(error, tolerance, U / k);
    const double size = std::abs(error);
    if (rule.kind == RuleKind::Simple) {
        decision.outcome = size <= tolerance ? Outcome::Pass : Outcome::Fail;
        return decision;
    }
    decision.guardBand = rule.r * U;
    const double w = decision.guardBand;
    if (!(size <= tolerance + w))  // NaN fails
        decision.outcome = Outcome::Fail;
    else if (size <= tolerance - w)
        decision.outcome = Outcome::Pass;
    else if (rule.kind == RuleKind::Guarded)
        decision.outcome = Outcome::Fail;
    else
        decision.outcome = size <= tolerance ? Outcome::ConditionalPass : Outcome::ConditionalFail;
    return decision;
}

QuantityDecision DecideQuantity(const DecisionRule& rule, const std::vector<double>& errors,
                                double tolerance, const QuantityUncertainty* uncertainty) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    QuantityDecision decision;
    decision.tolerance = tolerance;
    for (std::size_t i = 0; i < errors.size(); ++i) {
        const ExpandedUncertainty* at =
            uncertainty && i < uncertainty->points.size() ? &uncertainty->points[i] : nullptr;
        decision.points.push_back(
            Decide(rule, errors[i], tolerance, at ? at->U : none, at ? at->k : none));
        decision.overall = Worse(decision.overall, decision.points.back().outcome);
    }
    return decision;
}
