// The reference standards of a budget against the day of calibration: one past
// its due date must not be used, and nothing is issued with it.
#pragma once

#include <string>

#include "uncertainty_budget.h"

// day is YYYY-MM-DD. Throws ToolError(ExitRefused) naming every reference standard
// due before that day and its date.
void RefuseOverdueReferences(const UncertaintyBudget& budget, const std::string& day);

// Whether text is a date YYYY-MM-DD of the calendar.
bool IsDateText(const std::string& text);
