// A comma-separated list split into the items between its commas, as they stand.
// Every comma separates two items: "" is one empty item, "a," is "a" and an empty
// item. Blanks stay in the items; whether an item may be empty or blank is the
// caller's rule.
#pragma once

#include <string_view>
#include <vector>

// The items view the text, so they live as long as it does.
std::vector<std::string_view> SplitCommaList(std::string_view text);
