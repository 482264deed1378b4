#include "reference_standards.h"

#include <cstdio>

#include "tool_error.h"

bool IsDateText(const std::string& text) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = 0, month = 0, day = 0;
    char rest = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        text.find_first_not_of("0123456789-") != std::string::npos ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &rest) != 3)
        return false;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

void RefuseOverdueReferences(const UncertaintyBudget& budget, const std::string& day) {
    std::string overdue;
    for (const ReferenceStandard& reference : budget.references)
        if (reference.due < day)  // both YYYY-MM-DD: the text order is the date order
            overdue += (overdue.empty() ? "" : ", ") + reference.id + " (certificate " +
                       reference.certificate + ", due " + reference.due + ")";
    if (!overdue.empty())
        throw ToolError(ExitRefused, "reference standard past its due date on " + day + ": " +
                                         overdue + " in " + budget.source + "; nothing issued");
}
