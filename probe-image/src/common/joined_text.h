// Items turned into text one by one and put together with a separator.
#pragma once

#include <string>
#include <string_view>

template <typename Items, typename ToText>
std::string JoinedText(const Items& items, std::string_view separator, ToText toText) {
    std::string text;
    bool first = true;
    for (const auto& item : items) {
        if (!first)
            text += separator;
        text += toText(item);
        first = false;
    }
    return text;
}
