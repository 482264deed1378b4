#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "comma_list.h"

namespace {

struct ListCase {
    std::string_view text;
    std::vector<std::string_view> items;
};

TEST(CommaList, EveryCommaSeparatesTwoItemsKeptAsTheyStand) {
    const ListCase cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"1,2,3", {"1", "2", "3"}},
        {"a,", {"a", ""}},            // a trailing comma ends in an empty item
        {",a", {"", "a"}},            // so does a leading one
        {"a,,b", {"a", "", "b"}},     // and a doubled one
        {",", {"", ""}},              // a lone comma is two empty items
        {" a , b ", {" a ", " b "}},  // blanks stay
        {"\t1\r,2\n", {"\t1\r", "2\n"}},
        {"x;y", {"x;y"}},  // only a comma separates
    };
    for (const ListCase& c : cases)
        EXPECT_EQ(SplitCommaList(c.text), c.items) << '"' << c.text << '"';
}

TEST(CommaList, ItemsViewTheTextTheyCameFrom) {
    const std::string_view text = "ab,cd";
    const std::vector<std::string_view> items = SplitCommaList(text);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].data(), text.data());
    EXPECT_EQ(items[1].data(), text.data() + 3);
}

}  // namespace
