#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "platform/screen_metrics.h"
#include "platform/window.h"
#include "platform/window_scroll.h"
#include "tests/engine/view/viewrecord/view_support.h"

#include <chrono>

namespace {

struct ScopedWindow {
    HWND hwnd;
    std::vector<UINT> messages;
    ScopedWindow(LONG w, LONG h)
    {
        hwnd = CreateHeadlessWindow([this](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
            messages.push_back(m);
            return 0;
        });
        SetClientSize(hwnd, w, h);
    }
    ~ScopedWindow() { DestroyWindow(hwnd); }
};

} // namespace

TEST(Zoom, NewViewFitsOnceThenKeepsItsScale)
{
    ScopedView v;
    ScopedWindow w(401, 301);
    v->worldRect = {0, 0, 3990, 2990};
    EXPECT_EQ(PM_OnWndSize(v.get(), w.hwnd, 0, nullptr), 1);
    EXPECT_EQ(v->displayRect.left, 1);
    EXPECT_EQ(v->displayRect.top, 1);
    EXPECT_EQ(v->displayRect.right, 400);
    EXPECT_EQ(v->displayRect.bottom, 300);
    EXPECT_DOUBLE_EQ(v->scale, 0.1);
    EXPECT_EQ(v->resizeMode, 0);
    const RECT bigger{0, 0, 801, 301};
    PM_OnWndSize(v.get(), w.hwnd, 0, &bigger);
    EXPECT_DOUBLE_EQ(v->scale, 0.1);
    EXPECT_EQ(v->worldRect.x2, 7990); // grew to the right
    const RECT tiny{0, 0, 2, 50};
    EXPECT_EQ(PM_OnWndSize(v.get(), w.hwnd, 0, &tiny), 0);
    EXPECT_EQ(v->displayRect.right, 800);
}

TEST(Zoom, EmptyTargetHalvesOrDoublesAroundTheCentre)
{
    ScopedView v;
    ScopedWindow w(402, 402);
    v->worldRect = {0, 0, 4000, 4000};
    PM_OnWndSize(v.get(), w.hwnd, 0, nullptr);
    MAP_COORDRECT empty;
    WorldRectInit(&empty);
    EXPECT_EQ(PM_ZoomWorld(v.get(), w.hwnd, &empty, 1), 1);
    EXPECT_EQ(v->worldRect.x1, 1000);
    EXPECT_EQ(v->worldRect.x2, 3000);
    EXPECT_EQ(v->worldRect.y1, 1000);
    EXPECT_DOUBLE_EQ(v->scale, 0.2);
    EXPECT_EQ(PM_ZoomWorld(v.get(), w.hwnd, &empty, 0), 1);
    EXPECT_EQ(v->worldRect.x1, 0);
    EXPECT_EQ(v->worldRect.x2, 4000);
    EXPECT_LE(v->clipRect.x1, v->worldRect.x1 - 10 * 5); // at least ten pixels of the old scale
    EXPECT_GE(v->clipRect.y2, v->worldRect.y2 + 10 * 5);
    // A target that cannot be fitted changes nothing.
    ScopedView fresh;
    EXPECT_EQ(PM_ZoomWorld(fresh.get(), w.hwnd, &empty, 1), 0);
    EXPECT_TRUE(WorldRectIsEmpty(&fresh->worldRect));
}

TEST(Zoom, ScaleOneToNFollowsTheScreen)
{
    ScopedView v;
    ScopedWindow w(1282, 802);
    // Map in centimetres: 1280 pixels are 320 mm on the fixed screen.
    v->projection.baseUnit = v->projection.transformedUnit = 3;
    v->screenWidthMm = 20; // out of range: replaced by 274
    v->worldRect = {0, 0, 128000, 80000};
    PM_OnWndSize(v.get(), w.hwnd, 0, nullptr);
    EXPECT_EQ(v->screenWidthMm, 274);
    const double d = 1281.0 * 274 / kFixedScreenWidthPixels * 0.001;
    EXPECT_NEAR(v->scaleDenominator, 128000 / d / 100.0, 1e-9);
    EXPECT_EQ(PM_ScaleWordToDisplaySet(v.get(), w.hwnd, 5000.0), 1);
    EXPECT_NEAR(v->scaleDenominator, 5000.0, 5.0);
    EXPECT_EQ(PM_ScaleWordToDisplaySet(v.get(), w.hwnd, 0.0), 0);
    EXPECT_EQ(PM_ScaleWordToDisplaySet(v.get(), w.hwnd, 0.001), 0); // below 4 world units
}

TEST(Zoom, DistanceSearchOnTheEllipsoidIsBounded)
{
    ScopedView v;
    v->projection.baseKind = v->projection.transformedKind = CS_SPHERIC;
    v->projection.baseUnit = v->projection.transformedUnit = 6; // 1/10 second
    const MAP_COORDPT start{0, 0};
    MAP_COORDPT end{100, 0};
    PM_FindPointInDistance(v.get(), start, &end, 111319.49);
    EXPECT_NEAR(end.x, 36000, 2); // one degree along the equator
    end = MAP_COORDPT{100, 0};
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(PM_FindPointInDistance(v.get(), start, &end, 1e12), 1); // beyond reach
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_GT(end.x, 0);
}

TEST(Zoom, ScrollBarStepsAndPositions)
{
    ScopedView v;
    ScopedWindow w(1026, 1026);
    v->worldRect = {0, 0, 1024, 1024};
    PM_OnWndSize(v.get(), w.hwnd, 0, nullptr);
    v->allObjectsRect = v->worldRect;
    PM_ScrollsShow(v.get(), w.hwnd, 1, 1);
    EXPECT_EQ(v->vScrollPos, 512);
    EXPECT_EQ(GetScrollPos(w.hwnd, SB_VERT), 512);
    struct Case {
        int code;
        int worldDy; // movement of the view north, world units (scale 1)
    } cases[] = {{1, -64}, {0, 64}, {3, -921}, {2, 921}, {6, 512}, {7, -512}};
    for (const Case &c : cases) {
        v->worldRect = {0, 0, 1024, 1024};
        PM_CalculateScrolls(v.get(), w.hwnd, 1);
        EXPECT_EQ(PM_OnVScroll(v.get(), w.hwnd, c.code, 0), 1);
        EXPECT_EQ(v->worldRect.y1, c.worldDy) << c.code;
    }
    EXPECT_EQ(PM_OnVScroll(v.get(), w.hwnd, 4, 0), 1);
    // Horizontal: 13 pixels' worth scrolls by 8, 7 pixels' worth not at all.
    v->worldRect = {0, 0, 1024, 1024};
    PM_CalculateScrolls(v.get(), w.hwnd, 1);
    EXPECT_EQ(PM_ScrollWindowToPosition(v.get(), w.hwnd, 512 + 13, 512), 1);
    EXPECT_EQ(v->worldRect.x1, 8);
    v->worldRect = {0, 0, 1024, 1024};
    PM_CalculateScrolls(v.get(), w.hwnd, 1);
    EXPECT_EQ(PM_ScrollWindowToPosition(v.get(), w.hwnd, 512 + 7, 512), 0);
    EXPECT_EQ(v->worldRect.x1, 0);
}

TEST(Zoom, PanningMovesThePictureAndInvalidatesTheUncoveredStrips)
{
    ScopedView v;
    ScopedWindow w(402, 302);
    v->worldRect = {0, 0, 4000, 3000};
    PM_OnWndSize(v.get(), w.hwnd, 0, nullptr);
    ValidateRect(w.hwnd, nullptr);
    PM_InitErasedRect(v.get());
    EXPECT_EQ(PM_PanMap(v.get(), w.hwnd, 0, 0), 0);
    EXPECT_EQ(PM_PanMap(v.get(), w.hwnd, 20, -10), 1);
    EXPECT_EQ(v->worldRect.x1, -200);
    EXPECT_EQ(v->worldRect.y1, -100);
    ASSERT_FALSE(w.messages.empty());
    EXPECT_EQ(w.messages.back(), MAPN_REPAINT);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(w.hwnd, &update, FALSE));
    // The strips (0, 292, 402, 302) and (0, 0, 21, 302) together.
    EXPECT_EQ(update.left, 0);
    EXPECT_EQ(update.top, 0);
    EXPECT_EQ(update.right, 402);
    EXPECT_EQ(update.bottom, 302);
    EXPECT_EQ(v->erasedRect.left, 0);
    EXPECT_EQ(v->brushOrigin.x, 4);
    EXPECT_EQ(v->brushOrigin.y, -2);
}

TEST(Zoom, MultiSheetPrintTilesThePageRowByRow)
{
    ScopedView v;
    const MAP_COORDRECT page{0, 0, 25000, 12000}, printable{100, 100, 24900, 11900};
    const RECT whole{0, 0, 2500, 1200}, sheet{0, 0, 1000, 1000};
    struct Case {
        int n, result;
        int32_t x1, y2;
    } cases[] = {{1, 1, 0, 12000}, {3, 1, 20000, 12000}, {4, 1, 0, 2000}, {6, 1, 20000, 2000}, {7, 0, 0, 0}};
    for (const Case &c : cases) {
        int count = 0;
        EXPECT_EQ(
            PM_SetForMultiPagePrintPage(v.get(), 0, &whole, &sheet, nullptr, c.n, &count, &page, &printable),
            c.result);
        EXPECT_EQ(count, 6);
        if (c.result) {
            EXPECT_EQ(v->worldRect.x1, c.x1) << c.n;
            EXPECT_EQ(v->worldRect.y2, c.y2) << c.n;
            EXPECT_EQ(v->worldRect.x2 - v->worldRect.x1, 10000);
            EXPECT_EQ(v->clipFlag, 1);
            EXPECT_EQ(v->displayRect.right, 1000);
        }
    }
    const RECT target{0, 0, 250, 120};
    const POINT offset{10, 5};
    EXPECT_EQ(PM_SetForPrintPage(v.get(), 0, &target, &offset, &page, &printable), 1);
    EXPECT_DOUBLE_EQ(v->scale, 0.01);
    EXPECT_EQ(v->worldRect.x1, 1000);
    EXPECT_EQ(v->worldRect.y1, -500);
    EXPECT_EQ(v->clipRect.x1, 100);
}
