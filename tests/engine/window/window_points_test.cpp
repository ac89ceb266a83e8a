#include "engine/editing/set_geometry.h"
#include "engine/window/window_heights.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"
#include "engine/window/window_shapes.h"
#include "engine/window/window_text.h"
#include "platform/global_memory.h"
#include "tests/engine/window/window_functions_fixture.h"

#include <vector>

namespace {

using WindowPointsTest = WindowFunctionsTest;

std::vector<MAP_COORDPT> square(int32_t x, int32_t y, int32_t side)
{
    return {{x, y}, {x, y + side}, {x + side, y + side}, {x + side, y}};
}

Z_BOUNDS rangeOf(OBJectKernel *kernel, OBJHANDLE object)
{
    Z_BOUNDS r;
    InitZB(&r);
    SendOBJectMessage(kernel, object, object, 0, GRM_GETZRANGE, 0, LPARAM(&r));
    return r;
}

TEST_F(WindowPointsTest, PlainPointObjectsAreMadeReadAndRefused)
{
    const MAP_COORDPT two[] = {{1, 2}, {30, -4}};
    OBJHANDLE line = 9;
    EXPECT_EQ(map_polyline_Create(window, &line, two, 0, 0), 0);
    EXPECT_EQ(line, 0u);
    EXPECT_EQ(map_polyline_Create(window, &line, nullptr, 2, 0), 0);
    EXPECT_TRUE(children(layer, REF_LAYER_MEMBER).empty()) << "nothing made";
    ASSERT_EQ(map_polyline_Create(window, &line, two, 2, 0), 1);
    MAP_COORDRECT r{};
    map_object_boundrect_Get(window, line, &r);
    EXPECT_EQ(r.x1, 1);
    EXPECT_EQ(r.y1, -4);
    EXPECT_EQ(r.x2, 30);
    EXPECT_EQ(r.y2, 2);

    const auto sq = square(0, 0, 10);
    OBJHANDLE polygon = 0;
    ASSERT_EQ(map_polygon_Create(window, &polygon, sq.data(), 4, 0), 1);
    int32_t total = 0;
    MAP_COORDPT out[4] = {};
    EXPECT_EQ(map_polygon_Get(window, polygon, &total, nullptr, 10), 4) << "null array with a capacity";
    EXPECT_EQ(total, 4);
    EXPECT_EQ(map_polygon_Get(window, polygon, &total, out, 2), 2);
    EXPECT_EQ(out[1].y, 10);
    EXPECT_EQ(out[2].x, 0) << "no point past the capacity";
    EXPECT_EQ(map_polygon_Get(window, line, &total, out, 4), 0) << "a polyline is not a polygon";
    EXPECT_EQ(map_polyline_Set(window, polygon, two, 2, 0), 0);

    // Poly_Set writes points only into polygons and polylines.
    OBJHANDLE text = 0;
    map_text_Create(window, &text, "t", &two[0], nullptr, 0, 0, 0xFFFFFFFF, 0, 0, 0, 0);
    ASSERT_NE(text, 0u);
    OBJHANDLE target = text;
    EXPECT_EQ(Poly_Set(window, &target, two, 2, 0, CLASS_POLYGON), 0);
    OBJHANDLE fresh = 0;
    EXPECT_EQ(Poly_Set(window, &fresh, two, 2, 0, CLASS_TEXT), 0);
    EXPECT_EQ(fresh, 0u);
    target = layer;
    EXPECT_EQ(Poly_Set(window, &target, two, 2, 0, CLASS_POLYLINE), 0);
    EXPECT_EQ(Poly_Set(window, &fresh, two, 2, 0, CLASS_POLYLINE), 1);
    EXPECT_NE(fresh, 0u);
    EXPECT_EQ(map_polyline_Create(window, &line, two, 0x7FFFFFFF, 0), 0) << "a count beyond any data space";

    // A record that claims more points than its data space holds is read
    // only as far as the data goes.
    StoreField<uint32_t>(OBJectLock(kernel, polygon), PS_COUNT, 1000000);
    MAP_COORDPT many[8] = {};
    EXPECT_EQ(map_polygon_Get(window, polygon, &total, many, 8), 4);
    EXPECT_EQ(total, 4);
}

TEST_F(WindowPointsTest, HeightsEndToEnd)
{
    const MAP3D_COORDPT pts[] = {{0, 0, 5}, {0, 10, 7}, {10, 10, 9}, {10, 0, 11}};
    OBJHANDLE polygon = 0;
    ASSERT_EQ(map3d_polygon_Create(window, &polygon, pts, 4, 0), 1);
    EXPECT_EQ(map3d_is_object_3d(window, polygon), 1);
    MAP_COORDPT flat[4] = {};
    EXPECT_EQ(map_polygon_Get(window, polygon, nullptr, flat, 4), 4);
    EXPECT_EQ(flat[2].x, 10);
    EXPECT_EQ(flat[3].y, 0) << "x and y of 12-byte points";
    MAP3D_COORDPT back[4] = {};
    EXPECT_EQ(map3d_polygon_Get(window, polygon, nullptr, back, 4), 4);
    EXPECT_EQ(back[3].z, 11);
    EXPECT_EQ(rangeOf(kernel, polygon).low, 5);
    EXPECT_EQ(rangeOf(kernel, layer).high, 11) << "the layer's range widens";

    // Moving keeps each z.
    EXPECT_EQ(map_objects_Move(window, &polygon, 1, 3, 4, 0), 1);
    EXPECT_EQ(map3d_polygon_Get(window, polygon, nullptr, back, 4), 4);
    EXPECT_EQ(back[0].x, 3);
    EXPECT_EQ(back[0].y, 4);
    EXPECT_EQ(back[0].z, 5);
    EXPECT_EQ(back[3].z, 11);

    // Orienting reverses whole records: each z stays with its point.
    ASSERT_EQ(m_PolygonClockDirection(window, polygon, 1), 1);
    EXPECT_EQ(map3d_polygon_Get(window, polygon, nullptr, back, 4), 4);
    EXPECT_EQ(back[0].z, 11);
    EXPECT_EQ(back[0].x, 13);
    EXPECT_EQ(back[3].z, 5);
    EXPECT_EQ(back[3].x, 3);

    // Plain points drop the heights; the containers' ranges shrink.
    const MAP3D_COORDPT low[] = {{50, 50, 1}, {60, 50, 2}};
    OBJHANDLE other = 0;
    ASSERT_EQ(map3d_polyline_Create(window, &other, low, 2, 0), 1);
    const auto sq = square(0, 0, 10);
    ASSERT_EQ(map_polygon_Set(window, polygon, sq.data(), 4, 0), 1);
    EXPECT_EQ(map3d_is_object_3d(window, polygon), 0);
    EXPECT_GT(rangeOf(kernel, polygon).low, rangeOf(kernel, polygon).high) << "an empty range";
    EXPECT_EQ(rangeOf(kernel, layer).high, 2);
    EXPECT_EQ(map3d_polygon_Get(window, polygon, nullptr, back, 4), 4);
    EXPECT_EQ(back[1].y, 10);
    EXPECT_EQ(back[1].z, 0) << "z 0 for plain points";
    EXPECT_EQ(map3d_polygon_Set(window, other, pts, 4, 0), 0) << "a polyline";
    EXPECT_EQ(map3d_poly_Set(window, layer, pts, 4, 0), 0);
}

TEST_F(WindowPointsTest, GenericSetterAndGetterByTypeCode)
{
    EXPECT_EQ(OBJECT_Set(window, 1, 0, 0, OTC_LAYER, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0), layer)
        << "the active layer, nothing made";
    EXPECT_EQ(OBJECT_Set(window, 1, 0, 0, 0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0), 0u);
    EXPECT_EQ(OBJECT_Set(window, 1, 0, 0, OTC_ID, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0), 0u) << "a list";
    const auto sq = square(0, 0, 10);
    const OBJHANDLE polygon =
        OBJECT_Set(window, 1, 1, 0, OTC_POLYGON, 0, nullptr, 4, sq.data(), 0, 0, 0, 0, 0, 0);
    ASSERT_NE(polygon, 0u);
    EXPECT_EQ(map_object_layer_Get(window, polygon), layer);
    const OBJHANDLE group = OBJECT_Set(window, 1, 0, 0, OTC_GROUP, 1, &polygon, 0, nullptr, 0, 0, 0, 0, 0, 0);
    ASSERT_NE(group, 0u);
    EXPECT_EQ(map_object_group_Get(window, polygon), group);

    int32_t childCount = 0;
    int32_t pointCount = 0;
    OBJHANDLE kids[2] = {};
    MAP_COORDPT pts[4] = {};
    EXPECT_EQ(OBJECT_Get(window, 2, 0, group, 0, &childCount, kids, &pointCount, pts, 0, 0, 0, 0, 0, 0),
              uint32_t(OTC_GROUP));
    EXPECT_EQ(childCount, 1);
    EXPECT_EQ(kids[0], polygon);
    pointCount = 3;
    EXPECT_EQ(OBJECT_Get(window, 2, 0, polygon, 0, nullptr, nullptr, &pointCount, pts, 0, 0, 0, 0, 0, 0),
              uint32_t(OTC_POLYGON));
    EXPECT_EQ(pointCount, 3);
    EXPECT_EQ(pts[2].x, 10);
    EXPECT_EQ(pts[3].x, 0);
    pointCount = 0;
    EXPECT_EQ(OBJECT_Get(window, 3, 0, polygon, 0, nullptr, nullptr, &pointCount, pts, 0, 0, 0, 0, 0, 0),
              uint32_t(OTC_POLYGON));
    EXPECT_EQ(pointCount, 2);
    EXPECT_EQ(pts[1].x, 10);
    EXPECT_EQ(OBJECT_Get(window, 2, 0, 0, OTC_LAYER, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0),
              layer);
    EXPECT_EQ(OBJECT_Get(window, 13, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0), window);

    // Heights are read point by point.
    const MAP3D_COORDPT p3[] = {{1, 2, 3}, {4, 5, 6}};
    OBJHANDLE line = 0;
    ASSERT_EQ(map3d_polyline_Create(window, &line, p3, 2, 0), 1);
    pointCount = 0;
    EXPECT_EQ(OBJECT_Get(window, 2, 0, line, 0, nullptr, nullptr, &pointCount, pts, 0, 0, 0, 0, 0, 0),
              uint32_t(OTC_POLYLINE));
    EXPECT_EQ(pointCount, 2);
    EXPECT_EQ(pts[1].x, 4);
    EXPECT_EQ(pts[1].y, 5);
}

TEST_F(WindowPointsTest, EllipsesAndCircles)
{
    const OBJHANDLE e = map_Ellipse_Create_AsPolygon(window, 0, 0, 10, 5, 4, 0.0);
    ASSERT_NE(e, 0u);
    MAP_COORDPT pts[4] = {};
    ASSERT_EQ(map_polygon_Get(window, e, nullptr, pts, 4), 4);
    const MAP_COORDPT want[] = {{10, 0}, {0, 5}, {-10, 0}, {0, -5}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(pts[i].x, want[i].x, 1);
        EXPECT_NEAR(pts[i].y, want[i].y, 1);
    }
    EXPECT_NE(map_Circle_Create_AsPolygon(window, 5, 5, 10, 3), 0u);
    const struct {
        int32_t r;
        uint32_t n;
    } refused[] = {{10, 2}, {0, 12}, {INT32_MAX, 8}, {10, 0}, {10, 0xFFFFFFFFu}};
    for (const auto &c : refused)
        EXPECT_EQ(map_Circle_Create_AsPolygon(window, INT32_MAX - 5, 0, c.r, c.n), 0u) << c.r << " " << c.n;
    EXPECT_EQ(map_Circle_Create_AsPolygon(HWND(0), 0, 0, 10, 8), 0u);
}

// A clockwise ring (positive area) stays for the wanted flag 0; the other
// direction is reversed; the flag 1 gives the opposite.
TEST_F(WindowPointsTest, OrientationFollowsTheWantedFlag)
{
    const std::vector<MAP_COORDPT> rings[] = {square(0, 0, 10), {{0, 0}, {10, 0}, {10, 10}, {0, 10}}};
    for (int flag : {0, 1})
        for (const auto &ring : rings) {
            OBJHANDLE polygon = 0;
            ASSERT_EQ(map_polygon_Create(window, &polygon, ring.data(), 4, 0), 1);
            ASSERT_EQ(m_PolygonClockDirection(window, polygon, flag), 1);
            MAP_COORDPT pts[4];
            map_polygon_Get(window, polygon, nullptr, pts, 4);
            const double area = SetOfLinesegmentArea(4, pts);
            EXPECT_EQ(flag == 0 ? area > 0 : area < 0, true) << "flag " << flag;
            if ((SetOfLinesegmentArea(4, ring.data()) > 0) == (flag == 0)) {
                EXPECT_EQ(pts[1].x, ring[1].x) << "already so: unchanged";
            }
        }
}

TEST_F(WindowPointsTest, ContainmentCountsAllAndCopiesToCapacity)
{
    const auto a = square(0, 0, 10), b = square(5, 5, 10);
    OBJHANDLE pa = 0, pb = 0, line = 0;
    map_polygon_Create(window, &pa, a.data(), 4, 0);
    map_polygon_Create(window, &pb, b.data(), 4, 0);
    const MAP_COORDPT seg[] = {{7, 7}, {40, 40}};
    map_polyline_Create(window, &line, seg, 2, 0);
    const MAP_COORDPT p{7, 7};
    int32_t count = 0;
    OBJHANDLE out[4] = {};
    EXPECT_EQ(map_get_ContainPoint(window, &p, &count, out, 1), 1);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(out[1], 0u);
    EXPECT_EQ(map_get_ContainPoint(window, &p, &count, out, 4), 3);
    EXPECT_EQ(map_get_ContainPoint(window, &p, &count, nullptr, 4), 0);
    EXPECT_EQ(map_get_ContainPoint(window, nullptr, &count, out, 4), 0);
    const MAP_COORDPT outside{100, 100};
    EXPECT_EQ(map_get_ContainPoint(window, &outside, &count, out, 4), 0);
    EXPECT_EQ(count, 0);
}

TEST_F(WindowPointsTest, EnclosedAndNeighbours)
{
    const auto big = square(0, 0, 100), small = square(10, 10, 5), across = square(90, 90, 20);
    OBJHANDLE pBig = 0, pSmall = 0, pAcross = 0;
    map_polygon_Create(window, &pBig, big.data(), 4, 0);
    map_polygon_Create(window, &pSmall, small.data(), 4, 0);
    map_polygon_Create(window, &pAcross, across.data(), 4, 0);
    int32_t found = 0;
    OBJHANDLE out[4] = {};
    EXPECT_EQ(map_get_Enclosed(window, &pBig, 1, &found, out, 4), 1);
    EXPECT_EQ(out[0], pSmall);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(map_get_Neighbours(window, &pBig, 1, &found, out, 4), 1);
    EXPECT_EQ(out[0], pAcross);
    HGLOBAL block = 0;
    EXPECT_EQ(map_get_Enclosed(window, &pBig, 1, &found, &block, 0), 1);
    ASSERT_NE(block, HGLOBAL(0));
    GlobalFree(block);
    EXPECT_EQ(map_get_Enclosed(window, nullptr, 1, &found, out, 4), 0);
    EXPECT_EQ(GetOBJectClassID(kernel, pBig), CLASS_POLYGON) << "the temporary group leaves it";
}

TEST_F(WindowPointsTest, MoveAndCopyWithAZeroShift)
{
    const auto sq = square(0, 0, 10);
    OBJHANDLE polygon = 0;
    map_polygon_Create(window, &polygon, sq.data(), 4, 0);
    EXPECT_EQ(map_objects_Move(window, &polygon, 1, 0, 0, 0), 0);
    OBJHANDLE copies[] = {polygon};
    EXPECT_EQ(map_objects_Copy(window, copies, 1, 0, 0, 0), 1);
    ASSERT_NE(copies[0], polygon);
    MAP_COORDPT pts[4];
    ASSERT_EQ(map_polygon_Get(window, copies[0], nullptr, pts, 4), 4);
    EXPECT_EQ(pts[2].x, 10) << "the copy lies on its original";
    EXPECT_EQ(map_object_layer_Get(window, copies[0]), layer);
    OBJHANDLE moved[] = {polygon};
    EXPECT_EQ(map_objects_Copy(window, moved, 1, 5, 0, 0), 1);
    map_polygon_Get(window, moved[0], nullptr, pts, 4);
    EXPECT_EQ(pts[2].x, 15);
    EXPECT_EQ(map_objects_Move(window, nullptr, 1, 1, 1, 0), 0);
    EXPECT_EQ(map_objects_Copy(HWND(0), moved, 1, 1, 1, 0), 0);
}

} // namespace
