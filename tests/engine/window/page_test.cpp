#include "engine/window/page.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/view_display.h"
#include "engine/window/view_window.h"
#include "engine/window/wndres.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/window_dc.h"
#include "window_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>
#include <string>

namespace {

void expectRect(const MAP_COORDRECT &r, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const char *what = "")
{
    EXPECT_EQ(r.x1, x1) << what;
    EXPECT_EQ(r.y1, y1) << what;
    EXPECT_EQ(r.x2, x2) << what;
    EXPECT_EQ(r.y2, y2) << what;
}

// A window attached with its page.
class PageTest : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        page = PageGetFromWindow(window);
        ASSERT_NE(page, 0u);
    }

    OBJHANDLE layersRoot() const { return GetRootOBJKern(rec.kernel, rec.rootObject, CLASS_LAYERS); }

    PageRecord read() const
    {
        PageRecord r{};
        EXPECT_TRUE(PageRead(rec.kernel, page, &r));
        return r;
    }

    // Paper 2000 x 1000 with margins 100 left, 50 top, 200 right, 100
    // bottom; the page at (1000, 5000) asked 4000 x 1000, which the paper's
    // 2 : 1 grows to 4000 x 2000.
    void workedExample()
    {
        ASSERT_EQ(VP_InitFromVer4(window, "Custom", 2000, 1000, 100, 50, 200, 100, 256, VP_ORIENT_PORTRAIT),
                  1);
        const MAP_COORDPT origin{1000, 5000}, extension{4000, 1000};
        ASSERT_EQ(PageSetOrgExtInWindow(window, &origin, &extension), 1);
        ASSERT_EQ(PageUpdateInWindow(window), page);
    }

    OBJHANDLE page = 0;
};

TEST_F(PageTest, AttachMakesThePageLayerLastWithOnePage)
{
    const OBJHANDLE layer = PageLayerGetFromLayers(rec.kernel, layersRoot());
    ASSERT_NE(layer, 0u);
    EXPECT_EQ(GetPageLayer(window), layer);
    EXPECT_EQ(GetNumberOfReferencesFrom(rec.kernel, layer, REF_LAYER_MEMBER), 1u);
    int32_t pos = 0;
    EXPECT_EQ(LastReference(rec.kernel, layersRoot(), REF_LAYER_MEMBER, &pos), layer);

    // A later layer goes before it, and asking again finds the same page.
    ASSERT_NE(CreateLayerOBJect(rec.kernel, layersRoot(), 9, "Rivers"), 0u);
    EXPECT_EQ(LastReference(rec.kernel, layersRoot(), REF_LAYER_MEMBER, &pos), layer);
    for (OBJHANDLE from : {rec.rootObject, layersRoot(), layer})
        EXPECT_EQ(PageCreate(rec.kernel, from), page);
    EXPECT_EQ(PageCreate(rec.kernel, CreateLayerOBJect(rec.kernel, layersRoot(), 3, "Other")), 0u);
    EXPECT_EQ(PageCreate(rec.kernel, 0), 0u);
    EXPECT_EQ(GetNumberOfReferencesFrom(rec.kernel, layer, REF_LAYER_MEMBER), 1u);

    // The fresh page was fitted to the unset block's A4 from its large
    // starting extension.
    const PageRecord r = read();
    EXPECT_EQ(r.graphFlags, GF_INITIAL);
    EXPECT_EQ(r.selectedHandle, -1);
    EXPECT_EQ(r.page.x1, 0);
    EXPECT_EQ(r.page.y1, 0);
    EXPECT_NEAR(double(r.extension.x) / r.extension.y, 2101.0 / 2969.0, 1e-4);
    EXPECT_GE(r.extension.y, 200000);
}

TEST_F(PageTest, WindowWithoutPageAnswersAsDocumented)
{
    // A second record attached without a page.
    _WNDRES bare;
    ASSERT_EQ(WndRes_Constructor(&bare), 1);
    const HWND w = CreateHeadlessWindow(nullptr);
    ASSERT_EQ(WndRes_AttachToWindow(&bare, w, 0), 1);
    EXPECT_EQ(PageLayerGetFromLayers(bare.kernel, GetRootOBJKern(bare.kernel, bare.rootObject, CLASS_LAYERS)),
              0u);
    EXPECT_EQ(PageGetFromWindow(w), 0u);
    MAP_COORDPT o{7, 7}, e{8, 8};
    EXPECT_EQ(PageGetOrgExtInWindow(w, &o, &e), 0);
    EXPECT_EQ(o.x, 7) << "outputs untouched";
    EXPECT_EQ(PageSetOrgExtInWindow(w, &o, &e), 0);
    EXPECT_EQ(PageGetOrgExtInWindow(w, nullptr, &e), 1);
    EXPECT_EQ(PageSetOrgExtInWindow(w, &o, nullptr), 1);
    EXPECT_EQ(PageUpdateInWindow(w), 0u);
    EXPECT_EQ(PageFitToAllObjects(w), 1);
    EXPECT_EQ(Page_InitFromVer4(w, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1), 0);
    RECT target{0, 0, 100, 100};
    int count = -1;
    EXPECT_EQ(PM_SetForPrint(bare.displayView, w, &target, nullptr, nullptr), 0);
    EXPECT_EQ(PM_SetForMultiPagePrint(bare.displayView, w, &target, &target, nullptr, 1, &count), 0);
    MAP_COORDRECT empty{0, 0, 0, 0};
    EXPECT_EQ(PM_SetAllObjectsRect(bare.displayView, w, &empty), 0);
    WndRes_Destructor(&bare);
    DestroyWindow(w);

    // Store-level calls refuse what is not a page.
    MAP_COORDPT origin{}, extension{};
    EXPECT_EQ(PageGetOrgExt(rec.kernel, layersRoot(), &origin, &extension), 0);
    EXPECT_EQ(PageGetOrgExt(rec.kernel, page, nullptr, &extension), 0);
    EXPECT_EQ(PageSetOrgExt(rec.kernel, page, &origin, nullptr), 0);
    EXPECT_EQ(PageSetOrgExt(nullptr, page, &origin, &extension), 0);

    // A page answers "selectable" with the word it is asked with.
    for (WPARAM asked : {WPARAM(0), WPARAM(1)})
        EXPECT_EQ(SendOBJectMessage(rec.kernel, page, page, 0, GRM_GETSELECTABLE, asked, 0), LRESULT(asked));

    // The page's class procedure answers nothing for what is no object.
    const OBJHANDLE freed = CreateOBJect(rec.kernel, CLASS_PAGE);
    ASSERT_EQ(OBJectDelete(rec.kernel, freed), 0);
    for (OBJHANDLE h : {OBJHANDLE(0), freed, KernGiveAllObjectsAmount(rec.kernel) + 100})
        EXPECT_EQ(PageProc(rec.kernel, 0, h, 0, GRM_GETSELECTABLE, 0, 0), 0) << h;
    EXPECT_EQ(PageProc(nullptr, 0, page, 0, GRM_GETSELECTABLE, 0, 0), 0);
}

TEST_F(PageTest, TheLaterOfTwoPagesIsTheWindowsPage)
{
    const OBJHANDLE layer = GetPageLayer(window);
    const OBJHANDLE second = CreateOBJect(rec.kernel, CLASS_PAGE);
    ASSERT_NE(InsertLayerRef(rec.kernel, second, layer), OBJ_INVALID);
    EXPECT_EQ(PageGetFromWindow(window), second);
    EXPECT_EQ(PageCreate(rec.kernel, rec.rootObject), second);
}

TEST_F(PageTest, RecomputeFollowsTheBlock)
{
    workedExample();
    PageRecord r = read();
    EXPECT_EQ(r.extension.x, 4000);
    EXPECT_EQ(r.extension.y, 2000);
    expectRect(r.page, 1000, 5000, 5000, 7000, "page");
    // 100/2000 and 200/2000 of 4000 across, 100/1000 and 50/1000 of 2000 up.
    expectRect(r.printable, 1200, 5200, 4600, 6900, "printable");
    expectRect(r.bound, 1000, 5000, 5000, 7000, "bound: map equals world without projection");

    // Landscape swaps the paper: 1000 x 2000 makes the page 4000 x 8000.
    ASSERT_EQ(VP_InitFromVer4(window, "Custom", 2000, 1000, 100, 50, 200, 100, 256, VP_ORIENT_LANDSCAPE), 1);
    const MAP_COORDPT origin{0, 0}, extension{4000, 2000};
    PageSetOrgExtInWindow(window, &origin, &extension);
    PageRecalcFromSetup(window, page);
    r = read();
    expectRect(r.page, 0, 0, 4000, 8000, "landscape page");
    expectRect(r.printable, 400, 400, 3200, 7800, "landscape printable");
}

TEST_F(PageTest, UnsetBlockStandsForA4WithEqualMargins)
{
    struct Case {
        int32_t width, height, orientation;
        MAP_COORDRECT page, printable;
    } cases[] = {
        {0, 0, VP_ORIENT_PORTRAIT, {0, 0, 2101, 2969}, {127, 127, 1974, 2842}},
        {0, 0, VP_ORIENT_LANDSCAPE, {0, 0, 2969, 2101}, {127, 127, 2842, 1974}},
        // Only one side set: a damaged block, read as unset instead of
        // dividing by its zero side.
        {2000, 0, VP_ORIENT_PORTRAIT, {0, 0, 2101, 2969}, {127, 127, 1974, 2842}},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(VP_InitFromVer4(window, "", c.width, c.height, 5, 5, 5, 5, 0, c.orientation), 1);
        const MAP_COORDPT origin{0, 0};
        const MAP_COORDPT extension{c.page.x2, c.page.y2};
        PageSetOrgExtInWindow(window, &origin, &extension);
        PageRecalcFromSetup(window, page);
        const PageRecord r = read();
        expectRect(r.page, c.page.x1, c.page.y1, c.page.x2, c.page.y2, "page");
        expectRect(r.printable, c.printable.x1, c.printable.y1, c.printable.x2, c.printable.y2, "printable");
    }
}

TEST_F(PageTest, UpdateGivesAPageWithoutExtensionTheDefaultAndKeepsTheErrorSwitch)
{
    const MAP_COORDPT origin{300, 400}, flat{5000, 0};
    PageSetOrgExtInWindow(window, &origin, &flat);
    EnableInternalErrorMessages();
    ASSERT_EQ(PageUpdateInWindow(window), page);
    EXPECT_EQ(GetStateInternalErrorMessages(), 1);
    DisableInternalErrorMessages();
    PageUpdateInWindow(window);
    EXPECT_EQ(GetStateInternalErrorMessages(), 0);
    const PageRecord r = read();
    EXPECT_NE(r.extension.x, 0);
    EXPECT_NE(r.extension.y, 0);
    expectRect(r.page, r.origin.x, r.origin.y, r.origin.x + r.extension.x, r.origin.y + r.extension.y);
}

TEST_F(PageTest, NewRootsOfAWindowUpdateItsPage)
{
    const MAP_COORDPT origin{0, 0}, none{0, 0};
    PageSetOrgExtInWindow(window, &origin, &none);
    ASSERT_NE(CreateRootOBJects(rec.kernel, window, nullptr, nullptr, nullptr, nullptr, nullptr), 0u);
    const PageRecord r = read();
    EXPECT_GT(r.extension.x, 0);
    EXPECT_GT(r.extension.y, 0);
    EXPECT_GT(r.printable.x2, r.printable.x1);
}

TEST_F(PageTest, MovingTheOrigin)
{
    workedExample();
    const PageRecord before = read();
    EXPECT_EQ(PageMoveOrigin(rec.kernel, page, 0, 0), 0);
    const PageRecord unmoved = read();
    EXPECT_EQ(std::memcmp(&before, &unmoved, sizeof before), 0);
    EXPECT_EQ(PageMoveOrigin(rec.kernel, page, 10, -20), 1);
    const PageRecord r = read();
    expectRect(r.page, 1010, 4980, 5010, 6980, "page");
    expectRect(r.printable, 1210, 5180, 4610, 6880, "printable");
    expectRect(r.bound, 1010, 4980, 5010, 6980, "bound");
    EXPECT_EQ(PageMoveOrigin(rec.kernel, layersRoot(), 1, 1), 0);
}

TEST_F(PageTest, FitToAllObjectsHangsThePageFromTheirTopEdge)
{
    workedExample();
    // No valid objects' rectangle: the page covers 10000 x 10000, fitted
    // to the paper's 2 : 1.
    rec.displayView->allObjectsRect = kEmptyWorldRect;
    EXPECT_EQ(PageFitToAllObjects(window), 1);
    PageRecord r = read();
    EXPECT_EQ(r.extension.x, 20000);
    EXPECT_EQ(r.extension.y, 10000);
    EXPECT_EQ(r.origin.x, 0);
    EXPECT_EQ(r.origin.y, 0);

    rec.displayView->allObjectsRect = {100, 200, 4100, 2200};
    PageFitToAllObjects(window);
    r = read();
    EXPECT_EQ(r.origin.x, 100);
    EXPECT_EQ(r.origin.y, 2200 - r.extension.y);
    EXPECT_EQ(r.extension.x, 4000);
    EXPECT_EQ(r.extension.y, 2000);
}

TEST_F(PageTest, HandlePositions)
{
    workedExample();
    struct Case {
        int handle;
        MAP_COORDPT at;
    } cases[] = {
        {0, {1000, 5000}}, {1, {3000, 5000}},  {2, {5000, 5000}},  {3, {5000, 6000}},
        {4, {5000, 7000}}, {5, {3000, 7000}},  {6, {1000, 7000}},  {7, {1000, 6000}},
        {8, {1200, 5200}}, {11, {4600, 6050}}, {12, {4600, 6900}}, {15, {1200, 6050}},
    };
    for (const Case &c : cases) {
        MAP_COORDPT p{};
        ASSERT_EQ(PageHandlePosition(rec.kernel, page, c.handle, &p), 1) << c.handle;
        EXPECT_EQ(p.x, c.at.x) << c.handle;
        EXPECT_EQ(p.y, c.at.y) << c.handle;
    }
    MAP_COORDPT p{};
    EXPECT_EQ(PageHandlePosition(rec.kernel, page, 16, &p), 0);
    EXPECT_EQ(PageHandlePosition(rec.kernel, page, -1, &p), 0) << "nothing selected";
}

TEST_F(PageTest, DraggingHandles)
{
    workedExample();
    // Handle 5 (top middle) moved by (100, 500): only the Y move counts and
    // the page grows by 2500 / 2000 about handle 1.
    PageMoveHandle(rec.kernel, page, 5, MAP_COORDPT{3100, 7500}, 0);
    PageRecord r = read();
    expectRect(r.bound, 500, 5000, 5500, 7500, "bound");
    expectRect(r.printable, 750, 5250, 5000, 7375, "printable");

    // With the recompute the page keeps its new size and handle 1 stays.
    workedExample();
    EXPECT_EQ(PageMoveHandle(rec.kernel, page, 5, MAP_COORDPT{3100, 7500}, 1).x, 3100);
    r = read();
    expectRect(r.page, 500, 5000, 5500, 7500, "page after recompute");
    expectRect(r.printable, 750, 5250, 5000, 7375, "printable after recompute");
    MAP_COORDPT one{};
    PageHandlePosition(rec.kernel, page, 1, &one);
    EXPECT_EQ(one.x, 3000);
    EXPECT_EQ(one.y, 5000);

    // Dragging corner 4 almost onto corner 0 would leave a printable area
    // 8 wide: nothing changes.
    workedExample();
    const PageRecord before = read();
    PageMoveHandle(rec.kernel, page, 4, MAP_COORDPT{1010, 5005}, 0);
    const PageRecord kept = read();
    EXPECT_EQ(std::memcmp(&before, &kept, sizeof before), 0);

    // The selected handle: corner 4 picked, then dragged to (7000, 7000).
    // The point lies flatter from corner 0 than the corner does, so X sets
    // the ratio: 6000 / 4000.
    MAP_COORDPT corner{5000, 7000};
    SendOBJectMessage(rec.kernel, page, page, 0, GRM_SETSELECTED, 0, LPARAM(&corner));
    ASSERT_EQ(read().selectedHandle, 4);
    PageMoveHandle(rec.kernel, page, -1, MAP_COORDPT{7000, 7000}, 0);
    expectRect(read().bound, 1000, 5000, 7000, 8000, "selected handle");
}

TEST_F(PageTest, FarDragsStayWithin32Bits)
{
    // Ratios of a million and more: every coordinate is held at the 32-bit
    // limits instead of wrapping (the sanitizer checks the conversions).
    for (MAP_COORDPT far : {MAP_COORDPT{3000, INT32_MAX}, MAP_COORDPT{INT32_MIN, INT32_MIN}}) {
        workedExample();
        PageMoveHandle(rec.kernel, page, far.y == INT32_MAX ? 5 : 4, far, 1);
        const PageRecord r = read();
        EXPECT_GE(r.extension.x, 0);
        EXPECT_GE(r.extension.y, 0);
        EXPECT_LE(r.page.x1, r.page.x2);
        EXPECT_LE(r.page.y1, r.page.y2);
    }
}

TEST_F(PageTest, HitTestFindsTheFirstHandleWithinThePickRadius)
{
    workedExample();
    PresentationManager view = *rec.displayView;
    view.worldRect = {0, 0, 10000, 10000};
    view.scale = 0.1;
    view.inverseScale = 10;
    view.pickRadius = 3;
    // Handle 0 (1000, 5000) is at window (100, 500), handle 8 at (120, 480).
    struct Case {
        POINT at;
        int hit;
        MAP_COORDPT world;
    } cases[] = {
        {{103, 497}, 1, {1000, 5000}},
        {{104, 500}, 0, {}},
        {{121, 482}, 1, {1200, 5200}},
        {{300, 200}, 0, {}},
    };
    for (const Case &c : cases) {
        MAP_COORDPT out{-1, -1};
        EXPECT_EQ(PageHandleHitTest(rec.kernel, page, &view, &c.at, &out), c.hit) << c.at.x;
        if (c.hit) {
            EXPECT_EQ(out.x, c.world.x);
            EXPECT_EQ(out.y, c.world.y);
        }
    }
}

TEST_F(PageTest, ClassProcedure)
{
    workedExample();
    char line[160] = {};
    ASSERT_EQ(SendOBJectMessage(rec.kernel, page, page, 0, OBJM_INFOLINE, 0, LPARAM(line)), 1);
    EXPECT_STREQ(line, "-- <Page> OBJECT INFORMATIONS -----------");
    ASSERT_EQ(SendOBJectMessage(rec.kernel, page, page, 0, OBJM_INFOLINE, 1, LPARAM(line)), 1);
    EXPECT_STREQ(line, "Margins l/t/r/b: \t        1200 /         5200 /         4600 /         6900");

    // Selection: a handle's exact point selects it, any other point none.
    MAP_COORDPT handle12{4600, 6900}, elsewhere{4601, 6900};
    SendOBJectMessage(rec.kernel, page, page, 0, GRM_SETSELECTED, 0, LPARAM(&handle12));
    PageRecord r = read();
    EXPECT_EQ(r.selectedHandle, 12);
    EXPECT_EQ(r.selected.x, 4600);
    SendOBJectMessage(rec.kernel, page, page, 0, GRM_SETSELECTED, 0, LPARAM(&elsewhere));
    EXPECT_EQ(read().selectedHandle, -1);
    SendOBJectMessage(rec.kernel, page, page, 0, GRM_SETSELECTED, 0, LPARAM(&handle12));
    SendOBJectMessage(rec.kernel, page, page, 0, GRM_CLEARSELECTED, 0, 0);
    r = read();
    EXPECT_EQ(r.selectedHandle, -1);
    EXPECT_EQ(r.selected.x, kEmptyPoint.x);

    EXPECT_EQ(SendOBJectMessage(rec.kernel, page, page, 0, GRM_GETSELECTABLE, 1, 0), 1);
    EXPECT_EQ(SendOBJectMessage(rec.kernel, page, page, 0, GRM_GETSELECTABLE, 0, 0), 0);
    EXPECT_EQ(SendOBJectMessage(rec.kernel, page, page, 0, GRM_SETVISIBLE, 0, 0), 0);

    // Attributes: the caller's first with word 0, the page's first otherwise.
    GraphDispl caller{};
    caller.mask = GD_LINECOLOR;
    caller.lineColor = 0x0000FF;
    EXPECT_EQ(SendOBJectMessage(rec.kernel, page, page, 0, GRM_GETATTRIBUTES, 0, LPARAM(&caller)), 0xFF);
    EXPECT_EQ(caller.lineColor, 0x0000FFu);
    EXPECT_EQ(caller.lineWidth, 1u);
    EXPECT_EQ(caller.fillColor, COLORREF(-1));
    caller = {};
    caller.mask = GD_LINECOLOR;
    caller.lineColor = 0x0000FF;
    SendOBJectMessage(rec.kernel, page, page, 0, GRM_GETATTRIBUTES, 1, LPARAM(&caller));
    EXPECT_EQ(caller.lineColor, 0u);
}

TEST_F(PageTest, Version4Records)
{
    const std::string longName(80, 'P');
    ASSERT_EQ(VP_InitFromVer4(window, longName.c_str(), 2159, 2794, 1, 2, 3, 4, 1, 2), 1);
    VPSetup setup{};
    ASSERT_TRUE(VPSetupRead(window, &setup));
    EXPECT_EQ(std::string(setup.paperName), longName.substr(0, 63));
    EXPECT_EQ(setup.paperWidth, 2159);
    EXPECT_EQ(setup.paperHeight, 2794);
    EXPECT_EQ(setup.leftMargin, 1);
    EXPECT_EQ(setup.topMargin, 2);
    EXPECT_EQ(setup.rightMargin, 3);
    EXPECT_EQ(setup.bottomMargin, 4);
    EXPECT_EQ(setup.paperNumber, 1);
    EXPECT_EQ(setup.orientation, 2);

    ASSERT_EQ(Page_InitFromVer4(window, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16), 1);
    const PageRecord r = read();
    expectRect(r.bound, 1, 2, 3, 4);
    expectRect(r.page, 5, 6, 7, 8);
    expectRect(r.printable, 9, 10, 11, 12);
    EXPECT_EQ(r.origin.x, 13);
    EXPECT_EQ(r.origin.y, 14);
    EXPECT_EQ(r.extension.x, 15);
    EXPECT_EQ(r.extension.y, 16);

    // No block: nothing to fill.
    const HGLOBAL block = rec.pageSetup;
    rec.pageSetup = 0;
    EXPECT_EQ(VP_InitFromVer4(window, "A4", 1, 1, 1, 1, 1, 1, 1, 1), 0);
    rec.pageSetup = block;
}

TEST_F(PageTest, PrintSetUps)
{
    workedExample();
    PresentationManager *view = rec.printView;
    RECT target{0, 0, 800, 400};
    ASSERT_EQ(PM_SetForPrint(view, window, &target, nullptr, nullptr), 1);
    expectRect(view->worldRect, 1000, 5000, 5000, 7000, "visible");
    expectRect(view->clipRect, 1200, 5200, 4600, 6900, "clip");
    EXPECT_EQ(view->clipFlag, 1);

    // A whole of 2500 x 1200 in sheets of 1000 x 1000: 3 across, 2 down.
    RECT whole{0, 0, 2500, 1200}, sheet{0, 0, 1000, 1000};
    int count = 0;
    ASSERT_EQ(PM_SetForMultiPagePrint(view, window, &whole, &sheet, nullptr, 1, &count), 1);
    EXPECT_EQ(count, 6);
    const MAP_COORDRECT first = view->worldRect;
    ASSERT_EQ(PM_SetForMultiPagePrint(view, window, &whole, &sheet, nullptr, 4, &count), 1);
    const int32_t th = first.y2 - first.y1;
    expectRect(view->worldRect, first.x1, first.y1 - th, first.x2, first.y2 - th, "sheet 4");
    expectRect(view->clipRect, 1200, 5200, 4600, 6900, "sheet clip");
    count = 0;
    EXPECT_EQ(PM_SetForMultiPagePrint(view, window, &whole, &sheet, nullptr, 7, &count), 0);
    EXPECT_EQ(count, 6);
}

TEST_F(PageTest, EmptyRectangleFallsBackToThePage)
{
    workedExample();
    MAP_COORDRECT r{0, 0, 0, 0};
    ASSERT_EQ(PM_SetAllObjectsRect(rec.displayView, window, &r), 1);
    // The page's origin is taken as its top-left corner here.
    expectRect(r, 1000, 3000, 5000, 5000, "written back");
    expectRect(rec.displayView->allObjectsRect, 1000, 3000, 5000, 5000, "all objects");
    MAP_COORDRECT given{1, 2, 30, 40};
    ASSERT_EQ(PM_SetWorldRect(rec.displayView, window, &given, 0), 1);
    expectRect(given, 1, 2, 30, 40, "a rectangle with area is kept");
}

TEST_F(PageTest, DisplayBoundsUniteThePageTheNailAndTheObjects)
{
    workedExample();
    MAP_COORDRECT r{};
    ASSERT_EQ(PM_GetDisplayBoundRect(window, &r), 1);
    expectRect(r, 1000, 5000, 5000, 7000, "page alone");

    // A nail pinned on the page, as the second object of its layer.
    const OBJHANDLE nail = CreateOBJect(rec.kernel, CLASS_NAIL);
    ASSERT_NE(InsertLayerRef(rec.kernel, nail, GetPageLayer(window)), OBJ_INVALID);
    const MAP_COORDRECT nailRect{9000, 9000, 9100, 9100};
    SendOBJectMessage(rec.kernel, nail, nail, 0, GRM_SETBOUNDRECT, 0, LPARAM(&nailRect));
    ASSERT_EQ(PM_GetDisplayBoundRect(window, &r), 1);
    expectRect(r, 1000, 5000, 9100, 9100, "with the nail");

    ASSERT_EQ(PM_UpdateDisplay(window), 1);
    expectRect(rec.displayView->allObjectsRect, 1000, 5000, 9100, 9100, "all objects");
    ASSERT_EQ(PM_InitDisplaySettings(rec.displayView, window), 1);
    expectRect(rec.displayView->allObjectsRect, 1000, 5000, 9100, 9100, "after init");
}

TEST_F(PageTest, SavedDocumentKeepsItsPage)
{
    workedExample();
    const PageRecord before = read();
    const std::string file = (folders.path() + "/paged.mpd").toStdString();
    ASSERT_EQ(MapSave(window, file.c_str()), 1);
    auto bytesOf = [](const std::string &name) {
        std::ifstream in(name, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    const std::vector<char> first = bytesOf(file);
    ASSERT_FALSE(first.empty());

    std::memset(GlobalLock(rec.pageSetup), 0, sizeof(VPSetup));
    GlobalUnlock(rec.pageSetup);
    KernelDelete(rec.kernel);
    rec.kernel = nullptr;
    OBJHANDLE root = 0;
    OBJectKernel *k = nullptr;
    ASSERT_EQ(ReadMapToKern(window, file.c_str(), &root, &k, 0), 1);
    ASSERT_EQ(SetRootOBJect(window, root), root);
    page = PageGetFromWindow(window);
    ASSERT_NE(page, 0u);
    PageRecord after = read();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    VPSetup setup{};
    ASSERT_TRUE(VPSetupRead(window, &setup));
    EXPECT_EQ(setup.paperWidth, 2000);

    // Recomputing the re-read page changes nothing.
    PageUpdateInWindow(window);
    after = read();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    const std::string again = (folders.path() + "/again.mpd").toStdString();
    ASSERT_EQ(MapSave(window, again.c_str()), 1);
    EXPECT_EQ(bytesOf(again), first);
}

} // namespace

namespace {

class PageDisplayTest : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        if (HasFatalFailure())
            return;
        workedExample();
        // 1 pixel for 20 units: the page lies at x 50..250, y 50..150 of
        // the window, its printable area at x 60..230, y 55..140.
        PresentationManager *view = rec.displayView;
        RECT client{0, 0, 400, 300};
        PM_OnWndSize(view, window, 0, &client);
        view->worldRect = {0, 0, 8000, 8000};
        view->scale = 0.05;
        view->inverseScale = 20;
        dc = GetDC(window);
        ASSERT_NE(dc, 0u);
        // A white surface to start from.
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        SelectObject(dc, GetStockObject(NULL_PEN));
        Rectangle(dc, 0, 0, 401, 301);
    }
    void TearDown() override
    {
        if (dc)
            ReleaseDC(window, dc);
        PageTest::TearDown();
    }

    static GraphDispl red()
    {
        GraphDispl a{};
        a.mask = GD_LINECOLOR | GD_LINESTYLE | GD_LINEWIDTH;
        a.lineColor = RGB(255, 0, 0);
        return a;
    }
    COLORREF at(int x, int y) { return GetPixel(dc, x, y); }
    int redOnRow(int y, int x1, int x2)
    {
        int n = 0;
        for (int x = x1; x < x2; ++x)
            n += at(x, y) == RGB(255, 0, 0);
        return n;
    }

    HDC dc = 0;
};

TEST_F(PageDisplayTest, FramesOfThePageAndItsPrintableArea)
{
    const GraphDispl attributes = red();
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0004, &attributes), 1);
    EXPECT_EQ(redOnRow(50, 50, 250), 200) << "solid top edge of the page";
    EXPECT_EQ(at(50, 100), RGB(255, 0, 0)) << "left edge";
    EXPECT_EQ(at(250, 100), RGB(255, 0, 0)) << "right edge";
    const int dots = redOnRow(55, 60, 230);
    EXPECT_GT(dots, 20) << "dotted top edge of the printable area";
    EXPECT_LT(dots, 170);
    EXPECT_EQ(at(150, 100), RGB(255, 255, 255)) << "inside stays";
    // The corners are marked for the vertex search.
    EXPECT_EQ(VertexBitmapTest(&rec, 50, 50), 1);
    EXPECT_EQ(VertexBitmapTest(&rec, 250, 150), 1);

    // Bit 0x800 draws in the window colour, which erases.
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0804, &attributes), 1);
    EXPECT_EQ(redOnRow(50, 50, 250), 0);
    EXPECT_EQ(redOnRow(55, 60, 230), 0);
}

TEST_F(PageDisplayTest, NothingWithoutDrawBitOrAttributes)
{
    GraphDispl attributes = red();
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0040, &attributes), 1);
    attributes.mask = GD_LINECOLOR;
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0044, &attributes), 1);
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0044, nullptr), 1);
    EXPECT_EQ(redOnRow(50, 50, 250), 0);
    EXPECT_EQ(VertexBitmapTest(&rec, 50, 50), 0) << "bit 0x40 leaves the vertex bitmap alone";
    EXPECT_EQ(PageDisplay(window, dc, layersRoot(), 0x0004, &attributes), 0) << "not a page";
}

TEST_F(PageDisplayTest, InvertedFramesDrawnTwiceVanish)
{
    const GraphDispl attributes = red();
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0024, &attributes), 1);
    EXPECT_NE(at(100, 50), RGB(255, 255, 255));
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0024, &attributes), 1);
    for (int x = 40; x < 260; ++x) {
        ASSERT_EQ(at(x, 50), RGB(255, 255, 255)) << x;
        ASSERT_EQ(at(x, 55), RGB(255, 255, 255)) << x;
    }
}

TEST_F(PageDisplayTest, HandleMarksAreInvertedOnTheCorners)
{
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0008, nullptr), 1);
    // 7 x 7 squares centred on the corners, inverted from white to black.
    for (POINT corner : {POINT{50, 50}, POINT{250, 50}, POINT{250, 150}, POINT{50, 150}}) {
        for (int y = corner.y - 3; y <= corner.y + 3; ++y)
            for (int x = corner.x - 3; x <= corner.x + 3; ++x)
                ASSERT_EQ(at(x, y), RGB(0, 0, 0)) << x << "," << y;
        EXPECT_EQ(at(corner.x - 4, corner.y), RGB(255, 255, 255));
        EXPECT_EQ(at(corner.x + 4, corner.y), RGB(255, 255, 255));
    }
    EXPECT_EQ(at(150, 50), RGB(255, 255, 255)) << "no frame without the draw bit";
    // Inverted drawing (bit 0x20) leaves the marks out.
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0028, nullptr), 1);
    EXPECT_EQ(at(50, 50), RGB(0, 0, 0));
    // Drawn again, the marks are gone.
    ASSERT_EQ(PageDisplay(window, dc, page, 0x0008, nullptr), 1);
    for (int y = 47; y < 54; ++y)
        for (int x = 47; x < 54; ++x)
            ASSERT_EQ(at(x, y), RGB(255, 255, 255)) << x << "," << y;
}

} // namespace
