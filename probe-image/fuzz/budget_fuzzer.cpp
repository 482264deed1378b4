// Fuzz harness for the budget reader: any bytes either read as a budget that keeps
// its promises, and whose expanded uncertainty is finite, or are refused with a
// ToolError naming the file; nothing else may escape, crash or read out of bounds.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "../../probe/fuzz/fuzz_checks.h"
#include "expanded_uncertainty.h"
#include "reference_standards.h"
#include "tool_error.h"
#include "uncertainty_budget.h"

namespace {

void CheckEntries(const std::vector<BudgetEntry>& entries) {
    for (const BudgetEntry& entry : entries) {
        FUZZ_CHECK(!entry.name.empty());
        FUZZ_CHECK(std::isfinite(entry.u) && entry.u > 0);
        FUZZ_CHECK(std::isfinite(entry.sensitivity) && entry.sensitivity != 0);
        FUZZ_CHECK(!entry.dof || (std::isfinite(*entry.dof) && *entry.dof >= 1));
    }
    // The effective degrees of freedom are no fewer than the fewest of any part.
    const ExpandedUncertainty expanded = Expand(BudgetContributions(entries));
    if (std::isfinite(expanded.uc)) {
        FUZZ_CHECK(expanded.dof >= 1 - 1e-9);
        FUZZ_CHECK(std::isfinite(expanded.k) && expanded.k >= 2 - 1e-9);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const UncertaintyBudget budget = ParseBudget(text, "b.toml");
        FUZZ_CHECK(!budget.position.empty() || !budget.force.empty());
        CheckEntries(budget.position);
        CheckEntries(budget.force);
        for (const ReferenceStandard& reference : budget.references) {
            FUZZ_CHECK(!reference.id.empty() && !reference.certificate.empty());
            FUZZ_CHECK(IsDateText(reference.due));
        }
    } catch (const ToolError& error) {
        FUZZ_CHECK(error.code() == ExitFile);
        FUZZ_CHECK(std::string(error.what()).rfind("b.toml", 0) == 0);
    }
    return 0;
}
