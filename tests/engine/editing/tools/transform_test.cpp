#include "engine/editing/tools/transform.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/view/text/text_object.h"
#include "engine/window/window_text.h"
#include "tests/engine/editing/tools/tools_fixture.h"

#include <cmath>

namespace {

using Points = std::vector<MAP_COORDPT>;

TEST(TransformArithmetic, AnglesFoldIntoOneTurn)
{
    const std::pair<double, double> cases[] = {
        {725, 5}, {-725, -5}, {360, 360}, {-360, -360}, {720, 360}, {0, 0}, {1e12, std::fmod(1e12, 360.0)}};
    for (const auto &[in, out] : cases)
        EXPECT_NEAR(FoldAngle(in), out, 1e-6) << in;
    EXPECT_EQ(FoldAngle(std::nan("")), 0.0);
}

TEST(TransformArithmetic, PointsRoundHalfAwayFromZeroAndStayIn32Bits)
{
    const MAP_COORDPT centre{0, 0};
    MAP_COORDPT p[2] = {{5, -5}, {1, 1}};
    ASSERT_EQ(GeomOperRotScal(&centre, p, 2, 0.0, 1.0, 0.5, 0.5, 0, 0), 1);
    EXPECT_EQ(p[0], (MAP_COORDPT{3, -3}));
    EXPECT_EQ(p[1], (MAP_COORDPT{1, 1}));
    // A point that would leave 32 bits leaves all points as they were.
    MAP_COORDPT far[2] = {{1, 1}, {2000000000, 0}};
    EXPECT_EQ(GeomOperRotScal(&centre, far, 2, 0.0, 1.0, 2.0, 2.0, 0, 0), 0);
    EXPECT_EQ(far[0], (MAP_COORDPT{1, 1}));
    EXPECT_EQ(far[1], (MAP_COORDPT{2000000000, 0}));
    EXPECT_EQ(GeomOperRotScal(&centre, far, 0, 0.0, 1.0, 2.0, 2.0, 0, 0), 1);
}

TEST(TransformArithmetic, ReadOutsAboutACentre)
{
    const MAP_COORDPT c{0, 0}, r{100, 0};
    EXPECT_EQ(AngleAboutCentre(c, r, {50, 0}), 0.0);
    EXPECT_NEAR(AngleAboutCentre(c, r, {-50, 0}), -180.0, 1e-4);
    EXPECT_NEAR(AngleAboutCentre(c, r, {0, 50}), 90.0, 1e-4);
    EXPECT_NEAR(AngleAboutCentre(c, r, {0, -50}), -90.0, 1e-4);
    EXPECT_EQ(AngleAboutCentre(c, c, {0, 50}), 0.0);
    EXPECT_EQ(ScaleAboutCentre(c, c, {10, 10}), 1.0);
    EXPECT_EQ(ScaleAboutCentre(c, r, c), 1.0);
    EXPECT_EQ(ScaleAboutCentre(c, r, {0, 250}), 2.5);
    MAP_COORDPT onCircle{};
    EXPECT_NEAR(PointOnCircle(c, r, {0, 7}, &onCircle), 90.0, 1e-4);
    EXPECT_EQ(onCircle, (MAP_COORDPT{0, 100}));
    // Projection on the axis: vertical, zero-length and slanted axes.
    EXPECT_EQ(ProjectionOnAxis({10, 0}, {10, 100}, {55, 40}), (MAP_COORDPT{10, 40}));
    EXPECT_EQ(ProjectionOnAxis({10, 10}, {10, 10}, {55, 40}), (MAP_COORDPT{55, 40}));
    EXPECT_EQ(ProjectionOnAxis({0, 0}, {100, 100}, {100, 0}), (MAP_COORDPT{50, 50}));
    EXPECT_EQ(ProjectionOnAxis({0, 0}, {100, 0}, {30, 70}), (MAP_COORDPT{30, 0}));
}

class TransformTest : public ToolsTest {
protected:
    void select(std::vector<OBJHANDLE> hs) { SetSelection(window, hs.data(), uint32_t(hs.size()), 0, 0); }
    OBJHANDLE rectangleObject(uint16_t cls, MAP_COORDRECT r)
    {
        const OBJHANDLE h = CreateOBJect(kernel(), cls);
        const OBJHANDLE layers = GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS);
        EXPECT_NE(InsertLayerRef(kernel(), h, GetActiveLayer(kernel(), layers)), OBJ_INVALID);
        SendOBJectMessage(kernel(), h, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
        return h;
    }
    MAP_COORDRECT rectOf(OBJHANDLE h)
    {
        MAP_COORDRECT r{};
        SendOBJectMessage(kernel(), h, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
        return r;
    }
    OBJHANDLE text(int16_t size, int32_t rotation)
    {
        OBJHANDLE t = 0;
        const MAP_COORDPT at{1000, 1000};
        EXPECT_EQ(map_text_CreateEx(window, &t, "Text", &at, "Arial", size, 0, 0, 0, 0, 0, 0, 0, 0), 1);
        EXPECT_EQ(TextObjectRotationSet(kernel(), t, rotation), 1);
        return t;
    }
    int16_t sizeOf(OBJHANDLE t)
    {
        return LoadField<int16_t>(OBJectLock(kernel(), t), offsetof(TextObjectData, size));
    }
};

TEST_F(TransformTest, RotatingTheSelectionIsUndoneAsOneStep)
{
    const OBJHANDLE p = polygon({{1000, 1000}, {2000, 1000}, {2000, 1500}});
    const OBJHANDLE l = polyline({{1000, 1000}, {1000, 2000}});
    select({p, l});
    expectUndoRule([&] {
        ASSERT_EQ(TransformSelection(window, 1000, 1000, 0, 0, 0.0, 0.0, 90.0, 1), 1);
        Undo_SetNewStep(window, kernel(), UNDO_OP_TRANSFORMATIONS);
    });
    EXPECT_EQ(points(p), (Points{{1000, 1000}, {1000, 2000}, {500, 2000}}));
    EXPECT_EQ(bound(p), (MAP_COORDRECT{500, 1000, 1000, 2000}));
    EXPECT_EQ(points(l), (Points{{1000, 1000}, {0, 1000}}));
}

TEST_F(TransformTest, AnglesAndScalesOfTheBadInputList)
{
    struct Case {
        double scale, angle;
        Points expected;
        int result;
    };
    // About (0, 0): the square (100, 0) (200, 0) (200, 100).
    const Case cases[] = {
        {0.0, 725.0, {{100, 9}, {199, 17}, {191, 117}}, 1},
        {0.0, -725.0, {{100, -9}, {199, -17}, {208, 82}}, 1},
        {0.0, 360.0, {{100, 0}, {200, 0}, {200, 100}}, 1},
        {-1.0, 0.0, {{-100, 0}, {-200, 0}, {-200, -100}}, 1},
        {1e12, 0.0, {{100, 0}, {200, 0}, {200, 100}}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.angle);
        SCOPED_TRACE(c.scale);
        const OBJHANDLE p = polygon({{100, 0}, {200, 0}, {200, 100}});
        select({p});
        EXPECT_EQ(TransformSelection(window, 0, 0, 0, 0, c.scale, c.scale, c.angle, 1), c.result);
        EXPECT_EQ(points(p), c.expected);
        OBJectDelete(kernel(), p);
    }
    select({});
    EXPECT_EQ(TransformSelection(window, 0, 0, 5, 5, 2.0, 2.0, 10.0, 1), 1);
    EXPECT_EQ(TransformSelection(0, 0, 0, 5, 5, 2.0, 2.0, 10.0, 1), 0);
}

TEST_F(TransformTest, TextsTurnInTenthsAndKeepASize)
{
    struct Case {
        int16_t size;
        int32_t rotation;
        double scale, angle;
        int16_t sizeAfter;
        int32_t rotationAfter;
    };
    const Case cases[] = {
        {10, 1750, 1.0, 90.0, 10, -950}, {10, 0, 0.01, 0.0, 1, 0},          {10, 0, 1e6, 0.0, 32767, 0},
        {10, 0, -2.0, 0.0, 1, 0},        {10, -1700, 1.0, -20.5, 10, 1695}, {10, 100, 1.0, 725.0, 10, 150},
    };
    for (const Case &c : cases) {
        const OBJHANDLE t = text(c.size, c.rotation);
        const OBJHANDLE handles[] = {t};
        EXPECT_EQ(DoOperations2(window, handles, 1, {0, 0}, 0, 0, 0, 1.0, c.scale, 0.0, c.angle, 0), 1);
        int32_t rotation = 0;
        TextObjectRotationGet(kernel(), t, &rotation);
        EXPECT_EQ(rotation, c.rotationAfter) << c.rotation << " + " << c.angle;
        EXPECT_EQ(sizeOf(t), c.sizeAfter) << c.size << " x " << c.scale;
        OBJectDelete(kernel(), t);
    }
}

TEST_F(TransformTest, LegendsAndRastersMoveTheirFirstCorner)
{
    const OBJHANDLE legend = rectangleObject(CLASS_LEGEND, {100, 100, 300, 200});
    const OBJHANDLE raster = rectangleObject(CLASS_BITMAP, {100, 100, 300, 200});
    const OBJHANDLE both[] = {legend, raster};
    // About its own first corner a half turn keeps it.
    EXPECT_EQ(DoOperations2(window, both, 2, {100, 100}, 0, 0, 0, 1.0, 1.0, 0.0, 180.0, 0), 1);
    EXPECT_EQ(rectOf(legend), (MAP_COORDRECT{100, 100, 300, 200}));
    // About the origin the corner moves and the extent stays.
    EXPECT_EQ(DoOperations2(window, both, 2, {0, 0}, 0, 0, 0, 1.0, 1.0, 0.0, 180.0, 0), 1);
    EXPECT_EQ(rectOf(raster), (MAP_COORDRECT{-100, -100, 100, 0}));
    // A mirroring scale leaves a rectangle in order.
    expectUndoRule([&] {
        EXPECT_EQ(DoOperations2(window, both, 2, {0, 0}, 0, 0, 0, -1.0, -2.0, 0.0, 0.0, 1), 1);
        Undo_SetNewStep(window, kernel(), UNDO_OP_TRANSFORMATIONS);
    });
    EXPECT_EQ(rectOf(legend), (MAP_COORDRECT{-100, 0, 100, 200}));
    EXPECT_EQ(DoOperations2(window, both, 0, {0, 0}, 0, 0, 0, 1.0, 1.0, 0.0, 0.0, 0), 1);
}

} // namespace
