#include "certificate_statements.h"

#include <cmath>
#include <cstddef>
#include <cstdio>

#include "conformity_output.h"
#include "number_text.h"
#include "stated_figures.h"

namespace {

using Row = std::vector<std::string>;

std::string OrDash(const std::string& text) {
    return text.empty() ? "-" : text;
}

std::string Fixed(double value, const char* format) {
    if (std::isnan(value))
        return "-";
    if (std::isinf(value))
        return "inf";
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

CertificateSection IssueSection(const CertificateFacts& facts, const Conformity& conformity) {
    CertificateSection section{"certificate", "Certificate", {}, {}, {}, {}};
    section.facts = {{"Certificate number", OrDash(facts.number)}};
    if (!facts.amends.empty())
        section.facts.push_back(
            {"Replaces", "certificate " + facts.amends + ", which is withdrawn: " + facts.reason});
    section.facts.insert(section.facts.end(), {{"Customer", OrDash(facts.customer)},
                                               {"Asset", OrDash(facts.asset)},
                                               {"Date of calibration", facts.calibrationDate},
                                               {"Date of issue", facts.issueDate},
                                               {"Method", OrDash(facts.method)},
                                               {"Ambient temperature", OrDash(facts.temperature)},
                                               {"Relative humidity", OrDash(facts.humidity)},
                                               {"Calibrated by", OrDash(facts.calibratedBy)},
                                               {"Authorised by", OrDash(facts.authorisedBy)}});
    if (conformity.budget)
        section.facts.push_back({"Uncertainty budget", conformity.budget->source + " (SHA-256 " +
                                                           conformity.budget->sha256 + ")"});
    return section;
}

CertificateSection ReferenceSection(const UncertaintyBudget& budget) {
    CertificateSection section{"references", "Reference standards", {}, {}, {}, {}};
    CertificateTable table{"", {"standard", "certificate", "due"}, {}, false};
    for (const ReferenceStandard& reference : budget.references)
        table.rows.push_back({reference.id, reference.certificate, reference.due});
    section.tables.push_back(table);
    return section;
}

CertificateTable BudgetTable(const QuantityConformity& quantity) {
    const std::string unit = std::string(" (") + quantity.unit + ")";
    CertificateTable table{
        std::string("Budget, ") + quantity.name + unit,
        {"contribution", "basis", "u" + unit, "sensitivity", "|c| u" + unit, "dof"},
        {},
        true};
    for (const BudgetEntry& entry : *quantity.budget)
        table.rows.push_back({entry.name, entry.basis, DoubleText(entry.u),
                              DoubleText(entry.sensitivity),
                              DoubleText(std::abs(entry.sensitivity) * entry.u),
                              entry.dof ? DoubleText(*entry.dof) : "inf"});
    return table;
}

CertificateTable ResultTable(const QuantityConformity& quantity) {
    const std::string unit = std::string(" (") + quantity.unit + ")";
    CertificateTable table{std::string("Results, ") + quantity.name + unit,
                           {"raw", "measured", "error", "U", "k", "dof"},
                           {},
                           true};
    if (quantity.decision)
        table.header.insert(table.header.end(), {"w", "p(conform)", "statement"});
    for (std::size_t i = 0; i < quantity.errors.size(); ++i) {
        const ExpandedUncertainty& at = quantity.uncertainty->points[i];
        const StatedFigures stated = StateFigures(quantity.errors[i], at.U);
        Row row{FloatText(quantity.measured->raw[i]),
                DoubleText(quantity.measured->value[i]),
                stated.result,
                stated.U,
                Fixed(at.k, "%.2f"),
                Fixed(at.dof, "%.3g")};
        if (quantity.decision) {
            const PointDecision& decision = quantity.decision->points[i];
            row.insert(row.end(),
                       {Fixed(decision.guardBand, "%.2g"), Fixed(decision.conformance, "%.4f"),
                        OutcomeName(decision.outcome)});
        }
        table.rows.push_back(row);
    }
    return table;
}

CertificateSection ConformitySection(const Conformity& conformity) {
    CertificateSection section{"conformity", "Results with expanded uncertainty", {}, {}, {}, {}};
    section.paragraphs.push_back(
        "The expanded uncertainty U = k u_c is stated for a coverage probability of about "
        "95.45 %, k from Student's t for the effective degrees of freedom (Welch-Satterthwaite). "
        "U is stated to two significant digits, rounded up; each error (library - measured) to "
        "the same decimal place.");
    if (conformity.decided) {
        section.paragraphs.push_back("Decision rule: " + RuleStatement(conformity.rule));
        section.paragraphs.push_back(std::string("Statement of conformity over all points: ") +
                                     OutcomeName(conformity.overall) + ".");
    }
    for (const auto* quantity : {&conformity.position, &conformity.force}) {
        if (!*quantity)
            continue;
        if ((*quantity)->budget)
            section.tables.push_back(BudgetTable(**quantity));
        if ((*quantity)->decision)
            section.paragraphs.push_back(std::string("Tolerance of ") + (*quantity)->name + ": +-" +
                                         DoubleText((*quantity)->decision->tolerance) + " " +
                                         (*quantity)->unit + "; " +
                                         OutcomeName((*quantity)->decision->overall) + ".");
        if ((*quantity)->uncertainty) {
            const ExpandedUncertainty& largest =
                (*quantity)->uncertainty->points[(*quantity)->uncertainty->largest];
            section.paragraphs.push_back(
                std::string("Largest expanded uncertainty of ") + (*quantity)->name +
                ": U = " + StateFigures(0, largest.U).U + " " + (*quantity)->unit +
                " (k = " + Fixed(largest.k, "%.2f") + ").");
            section.tables.push_back(ResultTable(**quantity));
        }
    }
    return section;
}

}  // namespace

void AddCertificateStatements(Certificate& certificate, const CertificateFacts& facts,
                              const Conformity& conformity) {
    certificate.number = facts.number;
    std::vector<CertificateSection> added = {IssueSection(facts, conformity)};
    if (conformity.budget && !conformity.budget->references.empty())
        added.push_back(ReferenceSection(*conformity.budget));
    if (!StatesNothing(conformity))
        added.push_back(ConformitySection(conformity));
    const std::size_t at = std::min<std::size_t>(1, certificate.sections.size());
    certificate.sections.insert(certificate.sections.begin() + static_cast<std::ptrdiff_t>(at), added.begin(),
                                added.end());
}
