// A lab's uncertainty budget for a calibration method, from a small TOML file:
// per quantity (position in mm, force in N) the contributions that every point
// carries besides its own, each as a standard uncertainty with its sensitivity and
// degrees of freedom; and the reference standards the method uses.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct BudgetEntry {
    std::string name;
    double u = 0;               // the standard uncertainty, before the sensitivity
    std::string basis;          // how u was found, in words ("expanded 0.004, k = 2")
    double sensitivity = 1;     // u enters the combined uncertainty as |sensitivity| u
    std::optional<double> dof;  // degrees of freedom; nothing: infinite
};

struct ReferenceStandard {
    std::string id;
    std::string certificate;
    std::string due;  // YYYY-MM-DD
};

struct UncertaintyBudget {
    std::string source;  // the file, for messages and reports
    std::string sha256;  // of the file's bytes; empty for text
    std::string method;  // empty unless the file names it
    std::vector<BudgetEntry> position;
    std::vector<BudgetEntry> force;
    std::vector<ReferenceStandard> references;
};

// Throws ToolError(ExitFile) when the file cannot be read, is not TOML, or an entry
// is not as described: an unknown key, no name, not exactly one way of giving u, a
// number that is not finite and above 0 (a sensitivity: finite and not 0; dof: 1
// or more), an
// unknown distribution, a due date that is not YYYY-MM-DD. The message names the
// file, the line and the entry.
UncertaintyBudget ReadBudget(const std::filesystem::path& path);

// The same from text already read; source names it in messages.
UncertaintyBudget ParseBudget(std::string_view text, const std::string& source);
