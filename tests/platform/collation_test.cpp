#include "platform/collation.h"

#include <gtest/gtest.h>

namespace {

TEST(Collation, WordSortApproximation)
{
    struct Case {
        const char *a, *b;
        int cmp, cmpi;
    } cases[] = {
        {"abc", "abc", 0, 0},
        {"apple", "Banana", -1, -1}, // letters ignore case at first
        {"a", "A", -1, 0},           // then lower before upper
        {"co-op", "coop", 1, 1},     // hyphen ignored, decides last
        {"coop", "cop", -1, -1},
        {"9", "a", -1, -1},           // digits before letters
        {"#", "0", -1, -1},           // symbols before digits
        {"e", "\xE9", -1, -1},        // e before e-acute
        {"\xE9t\xE9", "etz", -1, -1}, // but the accent decides only after the letters
        {"", "a", -1, -1},
        {nullptr, "", -1, -1},
        {nullptr, nullptr, 0, 0},
        {"Layer 10", "Layer 2", -1, -1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(lstrcmpA(c.a, c.b), c.cmp) << (c.a ? c.a : "null") << " / " << (c.b ? c.b : "null");
        EXPECT_EQ(lstrcmpA(c.b, c.a), -c.cmp);
        EXPECT_EQ(lstrcmpiA(c.a, c.b), c.cmpi) << (c.a ? c.a : "null");
    }
}

} // namespace
