#include "conformity.h"

#include "tool_error.h"

namespace {

std::optional<QuantityConformity> QuantityOf(const DecisionRule& rule, const char* name,
                                             const char* unit,
                                             const std::vector<BudgetEntry>* budget,
                                             const QuantityInputs& inputs) {
    if (inputs.measured == nullptr || inputs.errors == nullptr)
        return std::nullopt;
    QuantityConformity quantity;
    quantity.name = name;
    quantity.unit = unit;
    quantity.measured = inputs.measured;
    quantity.errors = *inputs.errors;
    quantity.budget = budget;
    const bool stated = !inputs.measured->uncertainty.empty();
    const bool fitted = inputs.fitted.u != nullptr && inputs.fitted.dof > 0;
    if (budget != nullptr || stated || fitted) {
        static const std::vector<BudgetEntry> kNone;
        quantity.uncertainty =
            QuantityUncertaintyOf(budget ? *budget : kNone, quantity.errors.size(),
                                  {stated ? &inputs.measured->uncertainty : nullptr,
                                   fitted ? inputs.fitted.u : nullptr, inputs.fitted.dof});
    }
    if (inputs.tolerance) {
        if (rule.kind != RuleKind::Simple && !quantity.uncertainty)
            throw ToolError(ExitUsage, "--decision-rule " + RuleText(rule) + " needs the " + name +
                                           " uncertainty: give --budget FILE, or a u column in " +
                                           inputs.measured->source);
        quantity.decision = DecideQuantity(rule, quantity.errors, *inputs.tolerance,
                                           quantity.uncertainty ? &*quantity.uncertainty : nullptr);
    }
    return quantity;
}

// A budget without entries for a quantity gives it no uncertainty of its own.
const std::vector<BudgetEntry>* EntriesOf(const UncertaintyBudget* budget,
                                          std::vector<BudgetEntry> UncertaintyBudget::*quantity) {
    return budget && !(budget->*quantity).empty() ? &(budget->*quantity) : nullptr;
}

}  // namespace

Conformity ConformityOf(const DecisionRule& rule, const UncertaintyBudget* budget,
                        const QuantityInputs& position, const QuantityInputs& force) {
    Conformity conformity;
    conformity.rule = rule;
    conformity.budget = budget;
    conformity.position = QuantityOf(rule, "position", "mm",
                                     EntriesOf(budget, &UncertaintyBudget::position), position);
    conformity.force =
        QuantityOf(rule, "force", "N", EntriesOf(budget, &UncertaintyBudget::force), force);
    for (const auto* quantity : {&conformity.position, &conformity.force})
        if (*quantity && (*quantity)->decision) {
            conformity.decided = true;
            conformity.overall = Worse(conformity.overall, (*quantity)->decision->overall);
        }
    return conformity;
}

bool StatesNothing(const Conformity& conformity) {
    for (const auto* quantity : {&conformity.position, &conformity.force})
        if (*quantity && ((*quantity)->uncertainty || (*quantity)->decision))
            return false;
    return true;
}

int DecisionExit(Outcome overall) {
    switch (overall) {
        case Outcome::Pass:
        case Outcome::ConditionalPass:
            return ExitSuccess;
        case Outcome::ConditionalFail:
            return ExitConditional;
        case Outcome::Fail:
            return ExitRefused;
    }
    return ExitRefused;
}
