// Decision rules for a statement of conformity to a tolerance +-T: simple
// acceptance (no guard band), guarded acceptance with a guard band w = r U, and
// the non-binary rule with its four outcomes; with the probability that each point
// conforms, from a normal distribution of standard deviation U / k about its error.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "expanded_uncertainty.h"

enum class RuleKind { Simple, Guarded, NonBinary };

struct DecisionRule {
    RuleKind kind = RuleKind::Simple;
    double r = 1;  // the guard band in multiples of U (guarded, non-binary)
};

// "simple", "guarded", "guarded:R" (R finite and 0 or more), "non-binary"; nothing
// for anything else.
std::optional<DecisionRule> ParseDecisionRule(const std::string& text);
std::string RuleText(const DecisionRule& rule);       // as parsed back, "guarded:1"
std::string RuleStatement(const DecisionRule& rule);  // the rule in words, for a certificate

// Ordered from best to worst.
enum class Outcome { Pass, ConditionalPass, ConditionalFail, Fail };

const char* OutcomeName(Outcome outcome);  // "pass", "conditional pass", ...

struct PointDecision {
    Outcome outcome = Outcome::Pass;
    double guardBand = 0;    // w
    double conformance = 0;  // p_c; NaN without an uncertainty
};

struct QuantityDecision {
    double tolerance = 0;
    std::vector<PointDecision> points;
    Outcome overall = Outcome::Pass;  // the worst of the points
};

// p_c = Phi((T - y) / u) - Phi((-T - y) / u); 1 or 0 for u = 0 as |y| <= T.
double ConformanceProbability(double error, double tolerance, double u);

// A NaN error fails. U and k are those of the point; simple acceptance needs
// neither (give NaN), then p_c is NaN.
PointDecision Decide(const DecisionRule& rule, double error, double tolerance, double U, double k);

// errors and, unless null, the uncertainty of the same points.
QuantityDecision DecideQuantity(const DecisionRule& rule, const std::vector<double>& errors,
                                double tolerance, const QuantityUncertainty* uncertainty);

Outcome Worse(Outcome a, Outcome b);
