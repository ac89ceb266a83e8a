#include "tests/engine/editing/display_fixture.h"

#include "engine/kernel/references.h"
#include "engine/window/object_wrappers.h"
#include "platform/event.h"
#include "platform/window_dc.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

using DisplayPass = DisplayTest;

TEST_F(DisplayPass, EmptyLayersTreeIsWalked)
{
    EXPECT_EQ(runLayers(), 1);
    EXPECT_EQ(runSelection(), 1);
    EXPECT_EQ(countNotWhite(), 0);
}

TEST_F(DisplayPass, LayerScaleBoundsAreInclusive)
{
    struct Case {
        double largest, smallest, denominator;
        bool drawn;
    } cases[] = {{0, 0, 5000, true},     {0, 10000, 5000, false},  {0, 10000, 10000, true},
                 {2000, 0, 5000, false}, {5000, 1000, 5000, true}, {2000, 10000, 0, true}};
    bool first = true;
    for (const Case &c : cases) {
        if (!first) { // a fresh window per case
            TearDown();
            SetUp();
        }
        first = false;
        const OBJHANDLE l = layer({kBlack, 0, 1, kBlue});
        LayerZoomSet(rec.kernel, l, c.largest, c.smallest);
        polygon(kSquare, l);
        rec.displayView->scaleDenominator = c.denominator;
        EXPECT_EQ(runLayers(), 1);
        EXPECT_EQ(pixel(20, 20) == kBlue, c.drawn) << c.largest << " " << c.smallest << " " << c.denominator;
    }
}

TEST_F(DisplayPass, StopSignalledBeforeTheCallDrawsNothing)
{
    const OBJHANDLE h = polygon(kSquare, layer({kBlack, 0, 1, kBlue}));
    select(h);
    polygon({{40, 10}, {60, 10}, {60, 30}}, layer({kRed, 0, 1, kRed}));
    SetEvent(rec.stopEvent);
    EXPECT_EQ(runLayers(), -1);
    EXPECT_EQ(runSelection(), -1);
    EXPECT_EQ(countNotWhite(), 0);
    EXPECT_EQ(vertexBits(), 0);
    EXPECT_EQ(StopAndWaitDrawing(&rec), 1);
    EXPECT_EQ(WaitForSingleObject(rec.stopEvent, 0), WAIT_TIMEOUT) << "the event is clear again";
    EXPECT_EQ(runLayers(), 1);
    EXPECT_GT(countColour(kRed), 0);
}

TEST_F(DisplayPass, SelectedObjectsOnlyInTheSelectionRun)
{
    const OBJHANDLE l = layer({kRed, 0, 1, kBlue});
    const OBJHANDLE chosen = polygon(kSquare, l);
    polygon({{40, 10}, {60, 10}, {60, 30}, {40, 30}}, l);
    select(chosen);
    EXPECT_EQ(runLayers(), 1);
    EXPECT_EQ(pixel(20, 20), kWhite);
    EXPECT_EQ(pixel(50, 20), kBlue);
    EXPECT_EQ(runSelection(), 1);
    EXPECT_EQ(pixel(10, 20), kBlack) << "drawn by the selection run, in the page layer's look";
    EXPECT_EQ(pixel(40, 20), kRed);
}

TEST_F(DisplayPass, EmptyAttributeMaskIsNotDrawn)
{
    LayerLook none{kRed, 0, 1, kBlue};
    none.mask = 0;
    const OBJHANDLE l = layer(none);
    StoreField<uint32_t>(OBJectLock(rec.kernel, l), offsetof(Layer, fill), LAYER_NO_FILL);
    polygon(kSquare, l);
    EXPECT_EQ(runLayers(), 1);
    EXPECT_EQ(countNotWhite(), 0);
    EXPECT_EQ(vertexBits(), 0);
}

TEST_F(DisplayPass, WhilePrintingTheWindowIsNotDrawn)
{
    polygon(kSquare, layer({kBlack, 0, 1, kBlue}));
    rec.printerOnly = 1;
    EXPECT_EQ(runLayers(), 1);
    EXPECT_EQ(countNotWhite(), 0);
    rec.printerOnly = 0;
    EXPECT_EQ(runLayers(), 1);
    EXPECT_EQ(pixel(20, 20), kBlue);
}

TEST_F(DisplayPass, LayersDrawInOrderAndLinkedLayersShowTheirSource)
{
    const OBJHANDLE below = layer({kBlack, 0, 1, kBlue});
    const OBJHANDLE above = layer({kBlack, 0, 1, kRed});
    polygon(kSquare, below);
    polygon({{20, 20}, {40, 20}, {40, 40}, {20, 40}}, above);
    EXPECT_EQ(runLayers(), 1);
    EXPECT_EQ(pixel(25, 25), kRed);
    EXPECT_EQ(pixel(15, 15), kBlue);

    // A linked layer draws its source's objects in its own look.
    const OBJHANDLE linked = layer({kBlack, 0, 1, RGB(0, 255, 0)});
    LayerFlagSet(rec.kernel, linked, 1);
    InsertRefInPos(rec.kernel, linked, REF_LAYER_LINK_BACK, below, -1, -1);
    EXPECT_EQ(runLayers(), 1);
    EXPECT_EQ(pixel(15, 15), RGB(0, 255, 0));
}

TEST_F(DisplayPass, HiddenSelectedNodesGetNoMarks)
{
    const OBJHANDLE h = polygon(kSquare, layer({kRed, 0, 1}));
    select(h);
    rec.showSelectedNodes = 0;
    EXPECT_EQ(runSelection(), 1);
    EXPECT_EQ(pixel(10, 10), kBlack) << "the outline's corner, not inverted";
}

TEST_F(DisplayPass, InvertedDrawingTwiceLeavesSurfaceAndBitmap)
{
    const OBJHANDLE l = layer({kRed, 0, 1, kBlue});
    polygon({{40, 10}, {60, 10}, {60, 30}}, l); // something under it
    const OBJHANDLE a = polygon(kSquare, l);
    const OBJHANDLE b = polyline({{5, 40}, {50, 40}, {50, 5}}, l);
    select(a);
    select(b);
    EXPECT_EQ(runLayers(), 1);
    PointsClear(window);
    const QImage before = image.copy();
    const std::vector<uint8_t> bits = vertexBitmapCopy();
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(runSelection(DM_SELECTION | DM_INVERT_CLEAR), 1);
    EXPECT_EQ(image, before);
    EXPECT_EQ(vertexBitmapCopy(), bits);
    // Drawn once it shows.
    EXPECT_EQ(runSelection(DM_SELECTION | DM_INVERT_CLEAR), 1);
    EXPECT_NE(image, before);
}

TEST_F(DisplayPass, EdgeMidpointsOfTheSelectedVertex)
{
    const OBJHANDLE l = layer({kRed, 0, 1});
    const OBJHANDLE gon = polygon(kSquare, l);
    select(gon);
    StoreField<_COORDPT>(OBJectLock(rec.kernel, gon), GOH_SELPOINT, _COORDPT{10, 10});
    EXPECT_EQ(runSelection(), 1);
    // Index 0 of 4: edges (0, 3) and (0, 1), midpoints (10, 20), (20, 10);
    // the hollow square's corner 3 pixels up-left of each.
    EXPECT_EQ(pixel(10 - 3, 20 + 3), kBlack);
    EXPECT_EQ(pixel(20 - 3, 10 + 3), kBlack);
    const char *list = OBJectLock(rec.kernel, selection);
    EXPECT_EQ(LoadField<_COORDPT>(list, offsetof(SelList, points)).x, 10);
    EXPECT_EQ(LoadField<_COORDPT>(list, offsetof(SelList, points)).y, 20);
    EXPECT_EQ(LoadField<_COORDPT>(list, offsetof(SelList, points) + 8).x, 20);
    EXPECT_TRUE(VertexBitmapTest(&rec, 10, H - 20));

    // A polyline's end vertex has one neighbour.
    SetSelection(window, nullptr, 0, 0, 0);
    const OBJHANDLE line = polyline({{10, 40}, {30, 40}, {30, 44}}, l);
    select(line);
    StoreField<_COORDPT>(OBJectLock(rec.kernel, line), GOH_SELPOINT, _COORDPT{10, 40});
    EXPECT_EQ(runSelection(), 1);
    list = OBJectLock(rec.kernel, selection);
    EXPECT_EQ(LoadField<_COORDPT>(list, offsetof(SelList, points)).x, 0x7FFFFFFF);
    EXPECT_EQ(LoadField<_COORDPT>(list, offsetof(SelList, points) + 8).x, 20);
}

TEST_F(DisplayPass, GroupCycleOfADamagedFileEnds)
{
    const OBJHANDLE l = layer({kRed, 0, 1, kBlue});
    const OBJHANDLE a = CreateGroupWnd(window);
    const OBJHANDLE b = CreateGroupWnd(window);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    InsertRefInPos(rec.kernel, a, REF_GROUP_MEMBER, b, -1, -1);
    InsertRefInPos(rec.kernel, b, REF_GROUP_MEMBER, a, -1, -1);
    const OBJHANDLE h = polygon(kSquare, l);
    InsertRefInPos(rec.kernel, b, REF_GROUP_MEMBER, h, -1, -1);
    EXPECT_EQ(SetOfObjectsDisplay(&rec, dc, a, DM_MAP_OBJECTS, nullptr, nullptr, 0, 0), 1);
    EXPECT_EQ(pixel(10, 20), kBlack) << "drawn once, in the page layer's look of group walks";
}

TEST_F(DisplayPass, BadInputDrawsWhatItCanAndNothingElse)
{
    const OBJHANDLE l = layer({kRed, 0, 1, kBlue});
    const OBJHANDLE one = polygon({{5, 5}}, l);
    const OBJHANDLE two = polygon({{5, 40}, {25, 40}}, l);
    GraphDispl a{GD_LINECOLOR | GD_LINESTYLE | GD_LINEWIDTH | GD_FILLCOLOR, kRed, 0, 1, kBlue, 0xFFFF, 0};
    PolygonDisplay(window, dc, one, DM_MAP_OBJECTS, &a, nullptr, 0, 0, 0, 0);
    EXPECT_EQ(countNotWhite(), 0) << "a polygon of one point draws nothing";
    EXPECT_EQ(PolygonDisplay(window, dc, two, DM_MAP_OBJECTS, &a, nullptr, 0, 0, 0, 0), 1);
    EXPECT_EQ(pixel(15, 40), kRed) << "two points: a line";
    EXPECT_EQ(PolygonDisplay(window, dc, 0, DM_MAP_OBJECTS, &a, nullptr, 0, 0, 0, 0), 0);
    EXPECT_EQ(PolygonDisplay(window, dc, l, DM_MAP_OBJECTS, &a, nullptr, 0, 0, 0, 0), 0);
    EXPECT_EQ(PolylineDisplay(window, dc, one, DM_MAP_OBJECTS, &a, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(PolygonDisplay(0, dc, two, DM_MAP_OBJECTS, &a, nullptr, 0, 0, 0, 0), 0);
    EXPECT_EQ(PolygonDisplay(window, dc, two, DM_MAP_OBJECTS, nullptr, nullptr, 0, 0, 0, 0), 1);
    EXPECT_EQ(SetOfObjectsDisplay(nullptr, dc, layers, DM_MAP_OBJECTS, nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(SetOfObjectsDisplay(&rec, dc, 0, DM_MAP_OBJECTS, nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(SetOfObjectsDisplay(&rec, dc, 999999, DM_MAP_OBJECTS, nullptr, nullptr, 0, 0), 0);

    // Without a context the painters draw on the window's own.
    const OBJHANDLE sq = polygon(kSquare, l);
    EXPECT_EQ(PolygonDisplay(window, 0, sq, DM_MAP_OBJECTS, &a, nullptr, 0, 0, 0, 0), 1);
    const QImage surface = GetWindowSurface(window);
    ASSERT_FALSE(surface.isNull());
    EXPECT_EQ(gdi::FromPixel(surface.pixel(20, H - 20)), kBlue);
}

TEST_F(DisplayPass, HugeAndFarObjectsAreClippedAndDrawn)
{
    const OBJHANDLE l = layer({kRed, 0, 1, kBlue});
    // A ring of a million points: filled through the fallback beyond the
    // single-call limit.
    std::vector<MAP_COORDPT> ring;
    const int n = 1000000;
    for (int i = 0; i < n; ++i) {
        const double t = 2 * 3.14159265358979 * i / n;
        ring.push_back({int32_t(32 + 12 * std::cos(t)), int32_t(24 + 12 * std::sin(t))});
    }
    polygon(ring, l);
    // Far outside the window at a high zoom.
    polyline({{-2000000000, -2000000000}, {2000000000, 2000000000}}, l);
    polygon({{1000000000, 1000000000}, {1000000100, 1000000000}, {1000000100, 1000000100}}, l);
    EXPECT_EQ(runLayers(), 1);
    // The diagonal crosses the ring's middle row on top of the fill (the
    // clipped line may sit a pixel off the exact one).
    int redInside = 0;
    for (int x = 22; x <= 27; ++x)
        redInside += gdi::FromPixel(image.pixel(x, H - 24)) == kRed;
    EXPECT_EQ(redInside, 1);
    EXPECT_EQ(pixel(28, 24), kBlue);
    EXPECT_EQ(pixel(32, 40), kWhite);
}

} // namespace
