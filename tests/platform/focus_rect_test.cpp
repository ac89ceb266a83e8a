#include "platform/focus_rect.h"

#include "tests/support/canvas.h"

#include <gtest/gtest.h>

namespace {

TEST(FocusRectTest, DotsEveryOtherBorderPixelAndASecondDrawTakesItAway)
{
    Canvas c(7, 5);
    const RECT r{1, 1, 6, 4};
    ASSERT_TRUE(DrawFocusRect(c.dc, &r));
    EXPECT_EQ(c.Art(), ".......\n"
                       ".#.#.#.\n"
                       ".......\n"
                       ".#.#.#.\n"
                       ".......\n");
    ASSERT_TRUE(DrawFocusRect(c.dc, &r));
    EXPECT_EQ(c.Count(), 0);
}

TEST(FocusRectTest, BadArgumentsDrawNothing)
{
    Canvas c(4, 4);
    EXPECT_FALSE(DrawFocusRect(c.dc, nullptr));
    const RECT r{0, 0, 4, 4};
    EXPECT_FALSE(DrawFocusRect(0, &r));
    const RECT empty{3, 3, 3, 3};
    EXPECT_TRUE(DrawFocusRect(c.dc, &empty));
    EXPECT_EQ(c.Count(), 0);
}

} // namespace
