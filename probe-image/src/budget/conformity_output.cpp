#include "conformity_output.h"

#include <cmath>
#include <cstdio>

#include "number_text.h"
#include "stated_figures.h"

namespace {

using Json = nlohmann::ordered_json;

// JSON has no infinity: infinite degrees of freedom are null.
Json Finite(double value) {
    return std::isfinite(value) ? Json(value) : Json(nullptr);
}

std::string Dof(double dof) {
    return std::isfinite(dof) ? DoubleText(dof) : "inf";
}

std::string Fixed(double value, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void PrintBudget(const std::vector<BudgetEntry>& budget, const char* unit, std::ostream& out) {
    out << "  budget (" << unit << ")\n";
    for (const BudgetEntry& entry : budget)
        out << "    " << entry.name << ": u " << DoubleText(entry.u) << " (" << entry.basis
            << "), sensitivity " << DoubleText(entry.sensitivity) << ", dof "
            << (entry.dof ? DoubleText(*entry.dof) : "inf") << "\n";
}

void PrintQuantity(const QuantityConformity& quantity, const DecisionRule& rule,
                   std::ostream& out) {
    out << "\n" << quantity.name << " uncertainty and conformity\n";
    if (quantity.budget)
        PrintBudget(*quantity.budget, quantity.unit, out);
    if (quantity.uncertainty) {
        const ExpandedUncertainty& largest =
            quantity.uncertainty->points[quantity.uncertainty->largest];
        out << "  largest U " << DoubleText(largest.U) << " " << quantity.unit << " (u_c "
            << DoubleText(largest.uc) << ", dof " << Dof(largest.dof) << ", k "
            << DoubleText(largest.k) << ") at raw "
            << FloatText(quantity.measured->raw[quantity.uncertainty->largest]) << "\n";
    }
    if (quantity.decision)
        out << "  tolerance +-" << DoubleText(quantity.decision->tolerance) << " " << quantity.unit
            << ", rule " << RuleText(rule) << ": " << OutcomeName(quantity.decision->overall)
            << "\n";
    out << "  raw              error +- U            k       dof      w          p_c      "
           "decision\n";
    for (std::size_t i = 0; i < quantity.errors.size(); ++i) {
        std::string line = "  " + Fixed(quantity.measured->raw[i], "%-14.7g") + "   ";
        if (quantity.uncertainty) {
            const ExpandedUncertainty& at = quantity.uncertainty->points[i];
            const StatedFigures stated = StateFigures(quantity.errors[i], at.U);
            line += stated.result + " +- " + stated.U;
            line.resize(std::max<std::size_t>(line.size() + 1, 41), ' ');
            line += Fixed(at.k, "%-7.4g") + " " + Fixed(at.dof, "%-8.4g") + " ";
        } else {
            line += Fixed(quantity.errors[i], "%-.6g");
            line.resize(std::max<std::size_t>(line.size() + 1, 58), ' ');
        }
        if (quantity.decision) {
            const PointDecision& decision = quantity.decision->points[i];
            line += Fixed(decision.guardBand, "%-10.4g") + " " +
                    Fixed(decision.conformance, "%-8.4f") + " " + OutcomeName(decision.outcome);
        }
        out << line << "\n";
    }
}

Json EntryJson(const BudgetEntry& entry) {
    Json json{{"name", entry.name},
              {"u", entry.u},
              {"basis", entry.basis},
              {"sensitivity", entry.sensitivity}};
    json["dof"] = entry.dof ? Json(*entry.dof) : Json(nullptr);
    return json;
}

Json QuantityJson(const QuantityConformity& quantity) {
    Json json{{"unit", quantity.unit}};
    if (quantity.budget) {
        json["budget"] = Json::array();
        for (const BudgetEntry& entry : *quantity.budget)
            json["budget"].push_back(EntryJson(entry));
    }
    if (quantity.uncertainty) {
        const ExpandedUncertainty& largest =
            quantity.uncertainty->points[quantity.uncertainty->largest];
        json["largest"] =
            Json{{"index", quantity.uncertainty->largest},
                 {"raw", ShortestDouble(quantity.measured->raw[quantity.uncertainty->largest])},
                 {"U", largest.U},
                 {"k", largest.k}};
    }
    if (quantity.decision) {
        json["tolerance"] = quantity.decision->tolerance;
        json["decision"] = OutcomeName(quantity.decision->overall);
    }
    Json points = Json::array();
    for (std::size_t i = 0; i < quantity.errors.size(); ++i) {
        Json point{{"raw", ShortestDouble(quantity.measured->raw[i])},
                   {"error", Finite(quantity.errors[i])}};
        if (quantity.uncertainty) {
            const ExpandedUncertainty& at = quantity.uncertainty->points[i];
            const StatedFigures stated = StateFigures(quantity.errors[i], at.U);
            point["uc"] = Finite(at.uc);
            point["dof"] = Finite(at.dof);
            point["k"] = Finite(at.k);
            point["U"] = Finite(at.U);
            point["stated"] = Json{{"error", stated.result}, {"U", stated.U}};
        }
        if (quantity.decision) {
            const PointDecision& decision = quantity.decision->points[i];
            point["guardBand"] = decision.guardBand;
            point["conformance"] = Finite(decision.conformance);
            point["decision"] = OutcomeName(decision.outcome);
        }
        points.push_back(point);
    }
    json["points"] = points;
    return json;
}

}  // namespace

std::string StatedResult(double result, const ExpandedUncertainty& expanded, const char* unit) {
    const StatedFigures stated = StateFigures(result, expanded.U);
    return stated.result + " +- " + stated.U + " " + unit + " (k = " + Fixed(expanded.k, "%.2f") +
           ")";
}

void PrintConformity(const Conformity& conformity, std::ostream& out) {
    if (StatesNothing(conformity))
        return;
    if (conformity.budget)
        out << "\nbudget " << conformity.budget->source << " (SHA-256 " << conformity.budget->sha256
            << "); U for a coverage probability of 95.45 %\n";
    for (const auto* quantity : {&conformity.position, &conformity.force})
        if (*quantity)
            PrintQuantity(**quantity, conformity.rule, out);
    if (conformity.decided)
        out << "\ndecision (" << RuleText(conformity.rule)
            << "): " << OutcomeName(conformity.overall) << "\n";
}

Json ConformityJson(const Conformity& conformity) {
    Json json{{"coverageProbability", kCoverageProbability}};
    if (conformity.budget)
        json["budget"] = Json{{"source", conformity.budget->source},
                              {"sha256", conformity.budget->sha256},
                              {"method", conformity.budget->method}};
    if (conformity.decided)
        json["decisionRule"] = Json{{"rule", RuleText(conformity.rule)},
                                    {"r", conformity.rule.r},
                                    {"statement", RuleStatement(conformity.rule)}};
    for (const auto* quantity : {&conformity.position, &conformity.force})
        if (*quantity)
            json[(*quantity)->name] = QuantityJson(**quantity);
    if (conformity.decided)
        json["decision"] = OutcomeName(conformity.overall);
    return json;
}
