#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"
#include "page_set_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr int32_t kUnitTenthMm = 1;
constexpr int32_t kUnitMetre = 4;
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

class PageGeometryTest : public PageSetTest {
protected:
    // An A4 portrait custom page whose page object lies at the origin with
    // the extension given, as a page set finds it (not yet fitted).
    std::unique_ptr<CPageSet> a4With(int32_t ex, int32_t ey, int32_t ox = 0, int32_t oy = 0)
    {
        setBlock(a4Custom());
        const MAP_COORDPT origin{ox, oy}, extension{ex, ey};
        EXPECT_EQ(PageSetOrgExtInWindow(window, &origin, &extension), 1);
        return makeSet();
    }

    static void expectPlacement(const CPageSet &s, LONG ox, LONG oy, LONG ex, LONG ey,
                                const std::string &what)
    {
        EXPECT_EQ(s.GetXOrigin(), ox) << what;
        EXPECT_EQ(s.GetYOrigin(), oy) << what;
        EXPECT_EQ(s.GetXExtension(), ex) << what;
        EXPECT_EQ(s.GetYExtension(), ey) << what;
    }
};

TEST_F(PageGeometryTest, ScaleOfTheA4Page)
{
    struct Case {
        int32_t unit, ex, ey;
        double scale;
        LONG paper, map;
    } cases[] = {
        {kUnitCentimetre, 2100, 2970, 100.0, 1, 100},
        {kUnitTenthMm, 525, 742, 0.25, 4, 1},
        {kUnitTenthMm, 2100, 2970, 1.0, 1, 1},
        {kUnitMetre, 21, 30, 100.0, 1, 100},
    };
    for (const Case &c : cases) {
        rec.displayView->projection.transformedUnit = c.unit;
        auto set = a4With(c.ex, c.ey);
        const std::string what = "unit " + std::to_string(c.unit) + ", " + std::to_string(c.ex);
        double s = 0;
        ASSERT_TRUE(set->GetScale(&s)) << what;
        EXPECT_DOUBLE_EQ(s, c.scale) << what;
        POINT pair{};
        EXPECT_TRUE(set->GetScale(&pair)) << what;
        EXPECT_EQ(pair.x, c.paper) << what;
        EXPECT_EQ(pair.y, c.map) << what;
        EXPECT_EQ(set->GetScalePaper(), c.paper) << what;
        EXPECT_EQ(set->GetScaleMap(), c.map) << what;
    }
}

TEST_F(PageGeometryTest, ScaleOfAnAngularView)
{
    rec.displayView->projection.transformedUnit = kUnitDegreeTenthSecond; // 36000 per degree
    auto set = a4With(2100, 2970);
    double s = 0;
    ASSERT_TRUE(set->GetScale(&s));
    EXPECT_NEAR(s, 1.0 / 36000 * 0.017453292519943278 * 6378137 * 10000 * 2970 / 2970, 1e-6);
}

TEST_F(PageGeometryTest, ScalesThatCannotBeTold)
{
    // A page without extension (a damaged document) has no scale.
    auto flat = a4With(0, 0);
    POINT pair{7, 7};
    EXPECT_FALSE(flat->GetScale(&pair));
    EXPECT_EQ(pair.x, 0);
    EXPECT_EQ(pair.y, 0);
    EXPECT_EQ(flat->GetScalePaper(), 0);
    EXPECT_EQ(flat->GetScaleMap(), 0);
    EXPECT_FALSE(flat->GetScale(static_cast<double *>(nullptr)));

    // A scale beyond 32 bits: the pair fails instead of wrapping.
    rec.displayView->projection.transformedUnit = kUnitMetre;
    auto huge = a4With(2000000000, 2000000000);
    double s = 0;
    ASSERT_TRUE(huge->GetScale(&s));
    EXPECT_GT(s, double(kMax));
    EXPECT_FALSE(huge->GetScale(&pair));
    EXPECT_EQ(huge->GetScaleMap(), 0);

    // A view whose unit is no unit.
    rec.displayView->projection.transformedUnit = 99;
    auto noUnit = a4With(2100, 2970);
    EXPECT_FALSE(noUnit->GetScale(&s));
    EXPECT_FALSE(noUnit->ScaleSet(100.0));
}

TEST_F(PageGeometryTest, SettingTheScale)
{
    auto set = a4With(1000, 1000, 50, 60);
    POINT hundred{1, 100};
    ASSERT_TRUE(set->ScaleSet(&hundred));
    expectPlacement(*set, 50, 60, 2100, 2970, "1 : 100");
    EXPECT_EQ(set->GetScaleMap(), 100);

    POINT half{2, 1};
    ASSERT_TRUE(set->ScaleSet(&half));
    EXPECT_EQ(set->GetXExtension(), 11); // trunc(2100 x 0.5 / 100 + 0.5)
    EXPECT_EQ(set->GetYExtension(), 15);

    struct Refused {
        const char *what;
        long double s;
    } refused[] = {
        {"zero", 0.0L},
        {"too small for 5 units", 0.01L},
        {"negative", -100.0L},
        {"beyond 32 bits", 1e30L},
        {"infinite", std::numeric_limits<long double>::infinity()},
        {"not a number", std::numeric_limits<long double>::quiet_NaN()},
    };
    ASSERT_TRUE(set->ScaleSet(&hundred));
    for (const Refused &r : refused) {
        EXPECT_FALSE(set->ScaleSet(r.s)) << r.what;
        expectPlacement(*set, 50, 60, 2100, 2970, r.what);
    }
    POINT zeroPaper{0, 100}, zeroMap{1, 0};
    EXPECT_FALSE(set->ScaleSet(&zeroPaper));
    EXPECT_FALSE(set->ScaleSet(&zeroMap));
    EXPECT_FALSE(set->ScaleSet(static_cast<const POINT *>(nullptr)));

    // The far edge of the page must stay a coordinate too.
    auto far = a4With(2100, 2970, kMax - 100000, 0);
    EXPECT_FALSE(far->ScaleSet(10000.0)); // 210000 across from 100000 before the edge
    EXPECT_TRUE(far->ScaleSet(1.0));
}

TEST_F(PageGeometryTest, TurningThePageKeepsItsScale)
{
    auto set = a4With(2100, 2970);
    POINT scale{1, 1250};
    ASSERT_TRUE(set->ScaleSet(&scale));
    ASSERT_TRUE(set->ChangeOrientation());
    EXPECT_EQ(set->GetScaleMap(), 1250);
    EXPECT_EQ(set->GetXExtension(), 37125); // 2970 x 12.5 across
    EXPECT_EQ(set->Page().page.x2 - set->Page().page.x1, 37125);
    // The printable area follows the turned margins: 127 each side of
    // 2970 across.
    EXPECT_EQ(set->Page().printable.x1 - set->Page().page.x1, 1587);
    ASSERT_TRUE(set->ChangeOrientation());
    EXPECT_EQ(set->GetScaleMap(), 1250);
}

TEST_F(PageGeometryTest, ExtensionSettersKeepTheAspect)
{
    auto set = a4With(1000, 20);
    EXPECT_FALSE(set->SetXExtension(4));
    EXPECT_FALSE(set->SetYExtension(4));
    // The new Y, trunc(100 / 50 + 0.5) = 2, is below 5.
    EXPECT_FALSE(set->SetXExtension(100));
    expectPlacement(*set, 0, 0, 1000, 20, "1000 x 20 kept");

    auto a4 = a4With(2100, 2970);
    ASSERT_TRUE(a4->SetXExtension(4200));
    expectPlacement(*a4, 0, 0, 4200, 5940, "doubled");
    ASSERT_TRUE(a4->SetYExtension(2970));
    expectPlacement(*a4, 0, 0, 2100, 2970, "back");
    // Page and printable rectangles follow: margins 127 of 2100 across.
    EXPECT_EQ(a4->Page().page.x2, 2100);
    EXPECT_EQ(a4->Page().printable.x1, 127);
    EXPECT_EQ(a4->Page().printable.y2, 2970 - 127);

    // An old extension of 0 gives no aspect to keep.
    auto flat = a4With(0, 2970);
    EXPECT_FALSE(flat->SetXExtension(100));
    EXPECT_FALSE(flat->SetYExtension(100));
    expectPlacement(*flat, 0, 0, 0, 2970, "flat kept");

    // A side that would leave the coordinate range.
    auto big = a4With(2100, 2970, 1, 1);
    EXPECT_FALSE(big->SetXExtension(kMax));
    EXPECT_FALSE(big->SetYExtension(kMax));
    expectPlacement(*big, 1, 1, 2100, 2970, "big refused");
}

TEST_F(PageGeometryTest, OriginsStayWithinTheCoordinates)
{
    auto set = a4With(2100, 2970);
    EXPECT_TRUE(set->SetXOrigin(-2000000000));
    EXPECT_TRUE(set->SetYOrigin(kMax - 2970));
    EXPECT_EQ(set->Page().page.y2, kMax);
    EXPECT_FALSE(set->SetYOrigin(kMax - 2969)); // the top edge would wrap
    EXPECT_FALSE(set->SetXOrigin(kMax));
    expectPlacement(*set, -2000000000, kMax - 2970, 2100, 2970, "edge");
}

TEST_F(PageGeometryTest, FitPageToRect)
{
    struct Case {
        RECT rect; // corner, size
        int h, v;
        int ok;
        LONG ox, oy, ex, ey;
    } cases[] = {
        {{0, 0, 1000, 1000}, 0, 0, 1, 0, -207, 1000, 1414},
        {{0, 0, 1000, 1000}, 1, 2, 1, 0, 0, 1000, 1414},
        {{0, 0, 1000, 1000}, 2, 1, 1, 0, -414, 1000, 1414},
        {{100, 100, 4200, 100}, 0, 0, 1, 100, -2820, 4200, 5940},
        {{0, 0, 4, 100}, 0, 0, 0, 0, 0, 2100, 2970},
        {{0, 0, 100, 4}, 0, 0, 0, 0, 0, 2100, 2970},
        // Overflow of the derived extension (2970 / 2100 of 2 * 10^9).
        {{0, 0, 2000000000, 10}, 0, 0, 0, 0, 0, 2100, 2970},
        // Right alignment from the far edge.
        {{kMax - 999, 0, 1000, 1000}, 0, 0, 0, 0, 0, 2100, 2970},
    };
    for (const Case &c : cases) {
        auto set = a4With(2100, 2970);
        const std::string what = std::to_string(c.rect.left) + "," + std::to_string(c.rect.right) +
                                 " align " + std::to_string(c.h) + "/" + std::to_string(c.v);
        EXPECT_EQ(set->FitPageToRect(c.rect, c.h, c.v), c.ok) << what;
        expectPlacement(*set, c.ox, c.oy, c.ex, c.ey, what);
    }
}

TEST_F(PageGeometryTest, FitPrintableAreaPutsTheMarginsOutside)
{
    struct Case {
        int h, v;
    } cases[] = {{0, 0}, {1, 2}, {2, 1}, {1, 1}, {2, 2}};
    const RECT target{1000, 2000, 5000, 3000};
    for (const Case &c : cases) {
        auto set = a4With(2100, 2970);
        const std::string what = "align " + std::to_string(c.h) + "/" + std::to_string(c.v);
        ASSERT_EQ(set->FitPrintableAreaToRect(target, c.h, c.v), 1) << what;
        const MAP_COORDRECT p = set->Page().printable;
        // The printable area holds the rectangle (to a unit of rounding).
        EXPECT_LE(p.x1, 1000 + 1) << what;
        EXPECT_GE(p.x2, 6000 - 1) << what;
        EXPECT_LE(p.y1, 2000 + 1) << what;
        EXPECT_GE(p.y2, 5000 - 1) << what;
        if (c.h == 1) {
            EXPECT_NEAR(p.x1, 1000, 1) << what;
        }
        if (c.h == 2) {
            EXPECT_NEAR(p.x2, 6000, 1) << what;
        }
        if (c.v == 2) {
            EXPECT_NEAR(p.y1, 2000, 1) << what;
        }
        if (c.v == 1) {
            EXPECT_NEAR(p.y2, 5000, 1) << what;
        }
    }
    // Margins that leave no printable area fit nothing.
    auto set = a4With(2100, 2970);
    RECT wide{1000, 10, 1099, 10};
    ASSERT_TRUE(set->SetMargins(&wide));
    EXPECT_EQ(set->FitPrintableAreaToRect(RECT{0, 0, 100, 100}, 0, 0), 1);
    ASSERT_TRUE(set->SetLandscape());
    // Top and bottom are checked against the stored height (2970), so in
    // landscape they may cover all 2100 of the page's height.
    RECT none{0, 1000, 0, 1100};
    ASSERT_TRUE(set->SetMargins(&none));
    const PageRecord before = set->Page();
    EXPECT_EQ(set->FitPrintableAreaToRect(RECT{0, 0, 1000, 1000}, 0, 0), 0);
    EXPECT_EQ(set->Page().extension.x, before.extension.x);
    EXPECT_EQ(set->Page().origin.y, before.origin.y);
}

TEST_F(PageGeometryTest, FitToAnEmptyMap)
{
    // The view of a new window knows no objects: the page fits the square
    // (0, 0, 10000, 10000), centred.
    rec.displayView->allObjectsRect = {1, 1, 0, 0};
    auto set = a4With(2100, 2970, 777, 777);
    ASSERT_EQ(set->FitToAllObjects(0, 0, 0), 1);
    expectPlacement(*set, 0, -2071, 10000, 14143, "fallback square");
    // A view whose rectangle has no width: 10000 x 10000 from its corner.
    rec.displayView->allObjectsRect = {500, 600, 500, 9000};
    ASSERT_EQ(set->FitToAllObjects(0, 1, 2), 1);
    expectPlacement(*set, 500, 600, 10000, 14143, "zero width");
}

TEST_F(PageGeometryTest, FitToObjectsAndSelection)
{
    const MAP_COORDPT square[] = {{10000, 20000}, {30000, 20000}, {30000, 40000}, {10000, 40000}};
    OBJHANDLE polygon = 0;
    ASSERT_EQ(map_polygon_Create(window, &polygon, square, 4, 0), 1);
    const MAP_COORDPT line[] = {{-5000, 0}, {-5000, 100}};
    OBJHANDLE polyline = 0;
    ASSERT_EQ(map_polyline_Create(window, &polyline, line, 2, 0), 1);

    auto set = a4With(2100, 2970);
    EXPECT_EQ(set->FitToObjects(1, 0, 0, 0), 0); // nothing selected
    expectPlacement(*set, 0, 0, 2100, 2970, "no selection");

    ASSERT_EQ(set->FitToObjects(0, 0, 1, 2), 1);
    const MAP_COORDRECT all = set->Page().page;
    EXPECT_EQ(all.x1, -5000);
    EXPECT_EQ(all.y1, 0);
    EXPECT_GE(all.x2, 30000);
    EXPECT_GE(all.y2, 40000);

    ASSERT_EQ(map_selection_Set(window, &polygon, 1, 0, COLORREF(-1), -1, -1, 0, 0, -1, 1, 0), 1);
    ASSERT_EQ(set->FitToObjects(1, 1, 1, 2), 1);
    const MAP_COORDRECT p = set->Page().printable;
    EXPECT_NEAR(p.x1, 10000, 1);
    EXPECT_NEAR(p.y1, 20000, 1);
    EXPECT_GE(p.x2, 30000 - 1);
    EXPECT_GE(p.y2, 40000 - 1);

    // A selected vertical line of no width is widened by 3 on each side.
    ASSERT_EQ(map_selection_Set(window, &polyline, 1, 0, COLORREF(-1), -1, -1, 0, 0, -1, 1, 0), 1);
    ASSERT_EQ(set->FitToSelectedObjects(0, 1, 2), 1);
    EXPECT_EQ(set->GetXOrigin(), -5003);
    EXPECT_EQ(set->GetYOrigin(), 0);
    EXPECT_GE(set->Page().page.y2, 100);
}

} // namespace
