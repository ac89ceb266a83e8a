#include "engine/editing/operations/polygon_building.h"

#include "engine/editing/set_geometry.h"
#include "engine/kernel/map_obj_arr.h"
#include "engine/kernel/settings.h"
#include "engine/window/window_groups.h"
#include "tests/engine/editing/operations/operations_fixture.h"

#include <algorithm>
#include <cmath>

namespace {

using Points = std::vector<MAP_COORDPT>;

double AbsArea(const Points &p) { return std::fabs(SetOfLinesegmentArea(uint32_t(p.size()), p.data())); }

std::vector<double> SortedAreas(const std::vector<Points> &rings)
{
    std::vector<double> out;
    for (const Points &r : rings)
        out.push_back(AbsArea(r));
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<Points> Faces(const std::vector<Points> &lines)
{
    CPolylineList edges;
    for (const Points &l : lines)
        edges.Add(l, 0);
    return FindFaceRings(edges);
}

TEST(PolygonBuilding, VectorAnglesAreSignedLeftTurns)
{
    const CVector2D east{1, 0}, north{0, 1}, south{0, -1}, west{-1, 0}, none{0, 0};
    EXPECT_DOUBLE_EQ(east.AngleTo(north), M_PI / 2);
    EXPECT_DOUBLE_EQ(east.AngleTo(south), -M_PI / 2);
    EXPECT_DOUBLE_EQ(east.AngleTo(east), 0.0);
    EXPECT_DOUBLE_EQ(east.AngleTo(west), M_PI);
    EXPECT_DOUBLE_EQ(none.AngleTo(east), M_PI / 2) << "a zero vector gives acos(0)";
    EXPECT_DOUBLE_EQ((CVector2D{3, 4}).Length(), 5.0);
}

TEST(PolygonBuilding, NetworksGiveTheirFaces)
{
    struct Case {
        const char *name;
        std::vector<Points> lines;
        std::vector<double> areas;
    };
    const std::vector<Case> cases = {
        {"four sides of a square",
         {{{0, 0}, {0, 10}}, {{0, 10}, {10, 10}}, {{10, 10}, {10, 0}}, {{10, 0}, {0, 0}}},
         {100}},
        {"sides in mixed directions",
         {{{0, 10}, {0, 0}}, {{0, 10}, {10, 10}}, {{10, 0}, {10, 10}}, {{10, 0}, {0, 0}}},
         {100}},
        {"two squares sharing a side",
         {{{0, 0}, {0, 10}},
          {{0, 10}, {10, 10}},
          {{10, 10}, {20, 10}},
          {{20, 10}, {20, 0}},
          {{20, 0}, {10, 0}},
          {{10, 0}, {0, 0}},
          {{10, 0}, {10, 10}}},
         {100, 100}},
        {"one closed polyline", {{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}}, {100}},
        {"a copy, even reversed, counts once",
         {{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}},
         {100}},
        {"a dangling edge adds nothing",
         {{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}, {{10, 10}, {20, 20}}, {{5, 5}, {20, 20}}},
         {100}},
        {"ends one unit apart do not close", {{{0, 0}, {0, 10}, {10, 10}}, {{10, 10}, {10, 0}, {1, 0}}}, {}},
        {"a duplicated two-point edge", {{{0, 0}, {10, 0}}, {{10, 0}, {0, 0}}}, {}},
        {"no edges", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SortedAreas(Faces(c.lines)), c.areas);
    }
}

TEST(PolygonBuilding, GridOfTenThousandEdgesRunsOnExplicitStacks)
{
    // 70 x 70 cells with every cell side its own polyline: 9940 edges. The
    // outer boundary closes too but is no face.
    const int n = 70, side = 10;
    std::vector<Points> lines;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j < n; ++j) {
            lines.push_back({{j * side, i * side}, {(j + 1) * side, i * side}});
            lines.push_back({{i * side, j * side}, {i * side, (j + 1) * side}});
        }
    ASSERT_GE(lines.size(), 9900u);
    const std::vector<Points> faces = Faces(lines);
    ASSERT_EQ(faces.size(), size_t(n * n));
    for (const Points &f : faces)
        ASSERT_EQ(AbsArea(f), double(side * side));
}

TEST(PolygonBuilding, LongRingIsOneDeepPath)
{
    // A ring of many edges: every trace runs round it, as deep as edges go.
    // (Each edge that leads the wrong way runs round it once more before
    // the search gives up, so the cost grows with the square.)
    std::vector<Points> ring;
    const int m = 500;
    for (int k = 0; k < m; ++k) {
        const double a0 = 2 * M_PI * k / m, a1 = 2 * M_PI * (k + 1) / m;
        ring.push_back(
            {{int32_t(std::lround(1e6 * std::cos(a0))), int32_t(std::lround(1e6 * std::sin(a0)))},
             {int32_t(std::lround(1e6 * std::cos(a1))), int32_t(std::lround(1e6 * std::sin(a1)))}});
    }
    EXPECT_EQ(Faces(ring).size(), 1u);
}

class PolygonBuildingTest : public OperationsTest {
protected:
    std::vector<OBJHANDLE> layerPolygons()
    {
        std::vector<OBJHANDLE> out;
        for (OBJHANDLE h : selected())
            if (GetOBJectClassID(kernel(), h) == CLASS_POLYGON)
                out.push_back(h);
        return out;
    }
};

TEST_F(PolygonBuildingTest, ClosePolygonsKeepsOuterEdgesByDefault)
{
    const std::vector<Points> sides = {{{0, 0}, {0, 10}},   {{0, 10}, {10, 10}}, {{10, 10}, {20, 10}},
                                       {{20, 10}, {20, 0}}, {{20, 0}, {10, 0}},  {{10, 0}, {0, 0}},
                                       {{10, 0}, {10, 10}}};
    std::vector<OBJHANDLE> lines;
    for (const Points &s : sides)
        lines.push_back(polyline(s));
    const OBJHANDLE text = polygon(Square(100, 100, 5));
    lines.push_back(text);
    select(lines);
    expectOneUndoStep([&] { ClosePolygons(window); }, kUndoConvertingToPolygons);
    EXPECT_EQ(layerPolygons().size(), 2u);
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_EQ(alive(lines[i]), i != 6) << "only the shared side goes, polyline " << i;
    EXPECT_TRUE(alive(text));
    // Progress of kind 11.
    EXPECT_NE(std::find(receivedOf(MAPN_PROGRESS).begin(), receivedOf(MAPN_PROGRESS).end(),
                        WPARAM(MAPN_KIND_POLYGONS)),
              receivedOf(MAPN_PROGRESS).end());
}

TEST_F(PolygonBuildingTest, DeletionSettingChoosesWhichPolylinesGo)
{
    struct Case {
        int setting;
        size_t left;
    };
    for (const Case c : {Case{0, 0}, Case{1, 0}, Case{3, 4}}) {
        SCOPED_TRACE(c.setting);
        m_RegValueSet("Settings", "Delete PolyLine After Polygon", c.setting);
        std::vector<OBJHANDLE> lines;
        for (const Points &s : std::vector<Points>{
                 {{0, 0}, {0, 10}}, {{0, 10}, {10, 10}}, {{10, 10}, {10, 0}}, {{10, 0}, {0, 0}}})
            lines.push_back(polyline(s));
        select(lines);
        expectOneUndoStep([&] { ClosePolygons(window); }, kUndoConvertingToPolygons);
        EXPECT_EQ(size_t(std::count_if(lines.begin(), lines.end(), [&](OBJHANDLE h) { return alive(h); })),
                  c.left);
    }
}

TEST_F(PolygonBuildingTest, NothingToCloseRecordsNothing)
{
    const OBJHANDLE a = polyline({{0, 0}, {0, 10}, {10, 10}});
    const OBJHANDLE b = polyline({{10, 10}, {10, 0}, {1, 0}});
    const OBJHANDLE g = polygon(Square(0, 0, 3));
    for (const std::vector<OBJHANDLE> &selection :
         {std::vector<OBJHANDLE>{a, b}, std::vector<OBJHANDLE>{g}, std::vector<OBJHANDLE>{}}) {
        select(selection);
        expectNoChange([&] { ClosePolygons(window); });
    }
    ClosePolygons(0);
}

TEST_F(PolygonBuildingTest, PolylineCutsAPolygonIntoItsFaces)
{
    const OBJHANDLE square = polygon(Square(0, 0, 100));
    struct Case {
        const char *name;
        Points line;
        std::vector<double> areas;
    };
    const std::vector<Case> cases = {
        {"straight across", {{50, -10}, {50, 110}}, {5000, 5000}},
        {"bent across", {{-10, 50}, {50, 50}, {50, 110}}, {2500, 7500}},
        {"inside without crossing", {{20, 20}, {80, 80}}, {10000}},
        {"from a corner to the middle of a side", {{0, 0}, {100, 50}}, {2500, 7500}},
        {"outside", {{200, 0}, {300, 0}}, {10000}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OBJHANDLE cutter = polyline(c.line);
        CMapObjArr result;
        select({});
        expectOneUndoStep(
            [&] {
                PolylineCutPolygon(window, square, cutter, &result, 1);
                Undo_SetNewStep(window, kernel(), 305);
                SetMapModified(window);
            },
            305);
        std::vector<Points> pieces;
        for (int32_t i = 0; i < result.GetSize(); ++i)
            pieces.push_back(points(result[i]));
        EXPECT_EQ(SortedAreas(pieces), c.areas);
        EXPECT_TRUE(alive(square) && alive(cutter)) << "both are left to the caller";
    }
    // Bad handles: nothing.
    CMapObjArr result;
    expectNoChange([&] {
        PolylineCutPolygon(window, 0, square, &result, 1);
        PolylineCutPolygon(window, square, square, &result, 1);
    });
    EXPECT_EQ(result.GetSize(), 0);
}

} // namespace
