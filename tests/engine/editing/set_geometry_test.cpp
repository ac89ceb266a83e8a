#include "engine/editing/handle_list.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/text/text_object.h"
#include "engine/window/page.h"
#include "platform/global_memory.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/object_store.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Tenths of a second: 36,000 units per degree.
constexpr int kTenthsOfSecond = 6;
constexpr double kDegree = 36000.0;

} // namespace

class SetGeometryTest : public EditingTest {
protected:
    void angular()
    {
        ProjectionTag &p = rec.displayView->projection;
        p.baseKind = UNIT_ANGLE;
        p.baseUnit = kTenthsOfSecond;
        p.transformedUnit = kTenthsOfSecond;
        ASSERT_NE(FindUnitInfo(kTenthsOfSecond), nullptr);
        ASSERT_EQ(FindUnitInfo(kTenthsOfSecond)->factor, kDegree);
    }
    double length(MAP_COORDPT a, MAP_COORDPT b) { return SetOfLineLength(window, a, b); }
};

TEST_F(SetGeometryTest, PlaneLengths)
{
    EXPECT_EQ(SetOfLineLength(0, {0, 0}, {3, 4}), 5.0);
    EXPECT_EQ(length({0, 0}, {3, 4}), 5.0) << "a window in plane units";
    const OBJHANDLE line = polyline({{0, 0}, {3, 4}, {3, 10}, {0, 10}});
    EXPECT_EQ(SetOfLinesegmentLength(kernel(), line, 0), 14.0);
    EXPECT_EQ(SetOfLinesegmentLength(kernel(), line, 1), 24.0);
    struct Case {
        int32_t a, b;
        double length;
    } parts[] = {{0, 1, 5.0}, {1, 3, 9.0}, {0, 3, 14.0}, {2, 2, 0.0}, {2, 1, 0.0}, {0, 4, 0.0}, {-1, 2, 0.0}};
    for (const Case &c : parts)
        EXPECT_EQ(SetOfLinesegmentPartLength(kernel(), line, c.a, c.b), c.length) << c.a << ".." << c.b;
}

TEST_F(SetGeometryTest, GreatCircleLengthsOnAnAngularMap)
{
    angular();
    const double oneDegree = length({0, 0}, {int32_t(kDegree), 0});
    EXPECT_NEAR(oneDegree, 111194.9, 0.1);
    const double wide = length({0, 0}, {int32_t(179.9 * kDegree), 0});
    EXPECT_NEAR(length({0, 0}, {int32_t(190 * kDegree), 0}), wide * 190 / 180, 1e-6);
    // Rounding lifts the cosine of a zero angle at this latitude above 1:
    // the length is 0, not NaN.
    EXPECT_EQ(length({0, 13331}, {0, 13331}), 0.0);
    EXPECT_TRUE(std::isfinite(length({0, 13331}, {1, 13331})));
    // Latitudes above 90 count from the other side.
    EXPECT_NEAR(length({0, int32_t(100 * kDegree)}, {0, int32_t(-80 * kDegree)}), 0.0, 1e-6);
}

TEST_F(SetGeometryTest, AreaOfAOneDegreeCellAtTheEquator)
{
    angular();
    const int32_t d = int32_t(kDegree);
    const OBJHANDLE cell = polygon({{0, 0}, {0, d}, {d, d}, {d, 0}});
    EXPECT_NEAR(PolygonAreaInUnits(kernel(), cell) / 1.24e10, 1.0, 0.01);
    const double expected = std::cos(0.5 * M_PI / 180) * std::pow(M_PI / 180 * 6378137.0, 2);
    EXPECT_NEAR(PolygonAreaInUnits(kernel(), cell), expected, 1.0);
}

TEST_F(SetGeometryTest, SignedRingAreaAndTheCube)
{
    const MAP_COORDPT ring[] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
    const MAP_COORDPT reverse[] = {{10, 0}, {10, 10}, {0, 10}, {0, 0}};
    EXPECT_EQ(SetOfLinesegmentArea(4, ring), 100.0);
    EXPECT_EQ(SetOfLinesegmentArea(4, reverse), -100.0);
    EXPECT_EQ(SetOfLinesegmentArea(0, ring), 0.0);
    EXPECT_EQ(SetOfLinesegmentArea(4, nullptr), 0.0);
    const OBJHANDLE empty = ObjectCreateInActiveLayer(window, CLASS_POLYLINE);
    MAP3D_COORDCUBE cube{1, 2, 3, 4, 5, 6};
    ASSERT_NE(SetOfLinesegmentCalculate3dBR(kernel(), empty, &cube), nullptr);
    EXPECT_EQ(cube.xmin, kEmptyCube.xmin);
    EXPECT_EQ(cube.zmax, kEmptyCube.zmax);
    EXPECT_EQ(SetOfLinesegmentCalculate3dBR(kernel(), 0, &cube), nullptr);
}

TEST_F(SetGeometryTest, UnselectingWithNothingSelectedClearsTheList)
{
    const OBJHANDLE layers = GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS);
    const OBJHANDLE selection = GetRootOBJKern(kernel(), rec.rootObject, CLASS_SELLIST);
    EXPECT_EQ(SetOfObjectsUnSelect(window, selection), 0);
    const OBJHANDLE a = polygon({{0, 0}, {0, 10}, {10, 10}});
    AddToSelectionWithoutRemoving(kernel(), selection, a);
    SendOBJectMessage(kernel(), selection, selection, 0, GRM_SETSELECTED, WPARAM(a), 0);
    EXPECT_EQ(SetOfObjectsUnSelect(window, selection), 1);
    EXPECT_EQ(GetNumberOfSelected(kernel(), selection), 0);
    EXPECT_EQ(SetOfObjectsUnSelect(window, layers), 0);
    EXPECT_EQ(SetOfObjectsUnSelect(0, layers), 0);
}

TEST_F(SetGeometryTest, SelectingAnObjectAndFindingItAgain)
{
    const OBJHANDLE layers = GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS);
    const OBJHANDLE selection = GetRootOBJKern(kernel(), rec.rootObject, CLASS_SELLIST);
    polygon({{0, 0}, {0, 10}, {10, 10}});
    const OBJHANDLE b = polyline({{20, 20}, {30, 30}});
    EXPECT_EQ(SetOfObjectsSelectObject(window, layers, b, 25, 25, 0), 1);
    EXPECT_EQ(GetNumberOfSelected(kernel(), selection), 1);
    OBJHANDLE set = layers, found = 0;
    uint16_t cls = 0;
    int32_t index = -1;
    MAP_COORDPT at{};
    EXPECT_EQ(SetOfObjectsGetSelected(kernel(), &set, &cls, &index, &found, &at, nullptr), 1);
    EXPECT_EQ(found, b);
    EXPECT_EQ(cls, CLASS_POLYLINE);
    EXPECT_EQ(GetNthReferenced(kernel(), set, index), b) << "the index is the slot in the layer";
    EXPECT_EQ(at, (MAP_COORDPT{25, 25}));
    EXPECT_NE(set, layers) << "the innermost list: the layer";
    EXPECT_EQ(SetOfObjectsSelectObject(window, layers, 0x7FFFFFF0, 0, 0, 0), 0);
}

TEST_F(SetGeometryTest, SelectingByRectangle)
{
    const OBJHANDLE layers = GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS);
    const OBJHANDLE selection = GetRootOBJKern(kernel(), rec.rootObject, CLASS_SELLIST);
    const OBJHANDLE inside = polygon({{10, 10}, {10, 20}, {20, 20}, {20, 10}});
    const OBJHANDLE crossing = polyline({{-10, 15}, {50, 15}});
    const OBJHANDLE around = polygon({{-100, -100}, {-100, 100}, {100, 100}, {100, -100}});
    const OBJHANDLE apart = polyline({{200, 200}, {300, 300}});
    struct Case {
        MAP_COORDRECT rect;
        int enclosed, crossing;
        std::vector<OBJHANDLE> hits;
    } cases[] = {
        {{0, 0, 30, 30}, 1, 0, {inside}},
        {{0, 0, 30, 30}, 0, 0, {inside, crossing, around}},
        {{0, 0, 30, 30}, 0, 1, {crossing, around}}, // edges wholly inside do not count
        {{30, 30, 0, 0}, 0, 0, {}},                 // inverted
        {{400, 400, 500, 500}, 0, 0, {}},
    };
    for (const Case &c : cases) {
        HGLOBAL list = 0;
        uint32_t count = 0;
        EXPECT_EQ(SetOfObjectsSelectByRect(kernel(), layers, 0, &c.rect, nullptr, c.enclosed, c.crossing,
                                           &list, &count),
                  0u);
        std::vector<OBJHANDLE> got;
        for (uint32_t i = 0; i < count; ++i)
            got.push_back(HandleListAt(list, count, i));
        std::sort(got.begin(), got.end());
        std::vector<OBJHANDLE> want = c.hits;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << c.rect;
        if (list)
            GlobalFree(list);
    }
    const MAP_COORDRECT r{0, 0, 30, 30};
    EXPECT_EQ(SetOfObjectsSelectByRect(kernel(), layers, selection, &r, nullptr, 1, 0, nullptr, nullptr),
              selection);
    EXPECT_EQ(GetNumberOfSelected(kernel(), selection), 1);
    (void)apart;
}

TEST_F(SetGeometryTest, EnclosedSelectionStepsIntoGroupsThatStickOut)
{
    OBJectKernel *k = kernel();
    const OBJHANDLE layers = GetRootOBJKern(k, rec.rootObject, CLASS_LAYERS);
    const OBJHANDLE selection = GetRootOBJKern(k, rec.rootObject, CLASS_SELLIST);
    const OBJHANDLE a = polygon({{10, 10}, {10, 20}, {20, 20}, {20, 10}});
    const OBJHANDLE b = polyline({{12, 12}, {18, 18}});
    const OBJHANDLE far = polyline({{200, 200}, {300, 300}});
    // Outer group {inner {a, b}, far}: only the inner group lies in the box.
    const OBJHANDLE outer = ObjectCreateInActiveLayer(window, CLASS_GROUP);
    const OBJHANDLE inner = CreateOBJect(k, CLASS_GROUP);
    ASSERT_TRUE(outer && inner);
    ASSERT_EQ(PutInGroup(k, inner, outer), 1);
    ASSERT_EQ(PutInGroup(k, a, inner), 1);
    ASSERT_EQ(PutInGroup(k, b, inner), 1);
    ASSERT_EQ(PutInGroup(k, far, outer), 1);
    const MAP_COORDRECT box{0, 0, 30, 30};
    SetOfObjectsSelectByRect(k, layers, selection, &box, nullptr, 1, 0, nullptr, nullptr);
    std::vector<OBJHANDLE> selected;
    int32_t pos = -1;
    for (OBJHANDLE h = GetReference(k, selection, REF_SELECTED, &pos); h;
         h = GetReference(k, selection, REF_SELECTED, &pos))
        selected.push_back(h);
    EXPECT_EQ(selected, std::vector<OBJHANDLE>{inner}) << "the outer group sticks out of the box";
}

TEST_F(SetGeometryTest, PageZoomRelativeToTheScreen)
{
    EXPECT_EQ(GetCurZoom(window, 0, rec.displayView), -1.0) << "no page extent yet";
    showWorld({0, 0, 4000, 3000});
    MAP_COORDPT origin{}, extension{};
    ASSERT_EQ(PageGetOrgExtInWindow(window, &origin, &extension), 1);
    const MAP_COORDPT page{2000, 3000};
    ASSERT_EQ(PageSetOrgExtInWindow(window, &origin, &page), 1);
    // A page set-up without a scale gives the page no zoom: 0, not a failure.
    // (Attaching gave the block the custom page; this one was never set.)
    ASSERT_EQ(VP_InitFromVer4(window, "", 0, 0, 0, 0, 0, 0, 0, 0), 1);
    ASSERT_EQ(PageZoomFactorGet(window), 0.0);
    EXPECT_EQ(GetCurZoom(window, 0, rec.displayView), 0.0);
    EXPECT_EQ(GetCurZoom(window, 0, nullptr), -1.0);
    EXPECT_EQ(GetCurZoom(0, 0, rec.displayView), -1.0);
}
