#include "text_fixture.h"

namespace {

TEST_F(TextTest, PageZoomFactorFollowsPaperAndPage)
{
    EXPECT_DOUBLE_EQ(PageZoomFactorGet(window), 1e-6);
    setPageWidth(2 * kPageWidth);
    EXPECT_DOUBLE_EQ(PageZoomFactorGet(window), 0.5e-6);
    // No paper width, or a page without width: no page scale (rather than a
    // division by zero).
    setPaperWidth(0);
    EXPECT_EQ(PageZoomFactorGet(window), 0);
    setPaperWidth(2100);
    setPageWidth(0);
    EXPECT_EQ(PageZoomFactorGet(window), 0);
    EXPECT_EQ(PageZoomFactorGet(0), 0);
}

TEST_F(TextTest, HeightConversions)
{
    struct Case {
        int32_t value;
        uint32_t flags;
        int32_t expected;
    };
    const Case cases[] = {
        {10, 0, 10},                           // no unit bit: as given
        {10, 0x0F, 10},                        // alignment bits only
        {10, TEXT_UNITS_POINTS_TO_MAP, 3527},  // 10 / (1e-6 * 2835)
        {3527, TEXT_UNITS_MAP_TO_PIXELS, 35},  // 300.5 - 265.23, each truncated
        {10, TEXT_UNITS_POINTS_TO_PIXELS, 35}, // both in turn
        {-10, TEXT_UNITS_POINTS_TO_MAP, -3527},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TextHeightToWindow(window, c.value, c.flags), c.expected) << c.value << " " << c.flags;
    EXPECT_EQ(PointSizeToMap(window, 10), 3527);
    setPaperWidth(0);
    EXPECT_EQ(TextHeightToWindow(window, 10, TEXT_UNITS_POINTS_TO_MAP), 0);
    EXPECT_EQ(TextHeightToWindow(window, 10, TEXT_UNITS_POINTS_TO_PIXELS), 0);
    EXPECT_EQ(TextHeightToWindow(window, 3527, TEXT_UNITS_MAP_TO_PIXELS), 35) << "needs no page";
}

// The text's height in map units by its lock kind, seen in its rectangle:
// one unrotated line from the anchor down.
TEST_F(TextTest, HeightByLockKind)
{
    const MAP_COORDPT anchor{1000, 20000};
    const OBJHANDLE page = makeText("Page", anchor, 10, 0);
    const OBJHANDLE map = makeText("Map", anchor, 10, TEXT_LOCK_MAP);
    const OBJHANDLE screen = makeText("Screen", anchor, 20, TEXT_LOCK_SCREEN);
    auto height = [&](OBJHANDLE h) { return data(h).bound.y2 - data(h).bound.y1; };
    EXPECT_EQ(height(page), 3527);
    EXPECT_EQ(data(map).mapHeight, 3527) << "set from the size at creation";
    EXPECT_EQ(height(map), 3527);
    EXPECT_EQ(data(map).size, 10);
    EXPECT_EQ(height(screen), 2000) << "20 pixels of 100 map units";

    // Half the page scale: the page text doubles on the map, the map text
    // keeps its height and shows half the points.
    setPageWidth(2 * kPageWidth);
    TextObjectsRecalcAll(window);
    EXPECT_EQ(height(page), 7054);
    EXPECT_EQ(data(page).size, 10);
    EXPECT_EQ(height(map), 3527);
    EXPECT_EQ(data(map).mapHeight, 3527);
    EXPECT_EQ(data(map).size, 5) << "0.5e-6 * 2835 * 3527 + 0.5, truncated";
    EXPECT_EQ(height(screen), 2000);

    // Zooming the screen view in by two: only the screen text follows.
    const MAP_COORDRECT half{0, 15000, 20000, 30000};
    ASSERT_EQ(PM_ZoomWorld(rec.displayView, window, &half, 1), 1);
    EXPECT_EQ(height(screen), 1000);
    EXPECT_EQ(height(page), 7054);

    // A window twice the size that keeps showing the same part of the map
    // (resize mode 1): the screen text halves again.
    rec.displayView->resizeMode = 1;
    const RECT twice{0, 0, 800, 600};
    ASSERT_EQ(PM_OnWndSize(rec.displayView, window, 0, &twice), 1);
    EXPECT_NEAR(height(screen), 500, 5) << "recomputed at the new scale";
}

TEST_F(TextTest, DisplayFontHeightByLockKind)
{
    const OBJHANDLE page = makeText("a", {0, 0}, 10, 0);
    const OBJHANDLE map = makeText("a", {0, 0}, 10, TEXT_LOCK_MAP);
    const OBJHANDLE screen = makeText("a", {0, 0}, 12, TEXT_LOCK_SCREEN);
    const OBJHANDLE both = makeText("a", {0, 0}, 12, TEXT_LOCK_SCREEN | TEXT_LOCK_MAP);
    auto fontHeight = [&](OBJHANDLE h) {
        const HFONT f = TextObjectFontGet(window, TextObjectLock(kernel, h));
        LOGFONTA lf{};
        return GetObjectA(f, sizeof lf, &lf) ? lf.lfHeight : -1;
    };
    EXPECT_EQ(fontHeight(page), 35);
    EXPECT_EQ(fontHeight(map), 35);
    EXPECT_EQ(fontHeight(screen), 12);
    EXPECT_EQ(fontHeight(both), 12) << "the screen rule wins";
}

} // namespace
