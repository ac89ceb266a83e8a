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

// A rectangle reaching the ends of the coordinate range draws what lies on
// the surface, in the walk's phase, without overflowing or walking billions
// of pixels.
TEST(FocusRectTest, RectanglesAtTheCoordinateLimitsDrawTheirVisiblePart)
{
    Canvas c(7, 5);
    const RECT huge{1, 1, 2147483647, 2147483647};
    ASSERT_TRUE(DrawFocusRect(c.dc, &huge));
    EXPECT_EQ(c.Art().substr(0, 16), ".......\n"
                                     ".#.#.#.\n");
    Canvas d(7, 5);
    const RECT outside{-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647};
    EXPECT_TRUE(DrawFocusRect(d.dc, &outside));
    EXPECT_EQ(d.Count(), 0) << "the border lies off the surface";
    // The same rectangle cut at the surface's edge dots the same pixels.
    Canvas e(7, 5);
    const RECT wide{1, 1, 6, 2147483647};
    const RECT narrow{1, 1, 6, 4};
    Canvas f(7, 5);
    DrawFocusRect(e.dc, &wide);
    DrawFocusRect(f.dc, &narrow);
    EXPECT_EQ(e.Art().substr(0, 24), f.Art().substr(0, 24));
}

} // namespace
