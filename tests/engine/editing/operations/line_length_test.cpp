#include "engine/editing/operations/line_length.h"

#include "engine/kernel/graph_object.h"
#include "engine/window/window_groups.h"
#include "tests/engine/editing/operations/operations_fixture.h"

namespace {

using Points = std::vector<MAP_COORDPT>;

class LineLengthTest : public OperationsTest {
protected:
    // The point the user picked on a selected polyline.
    void pick(OBJHANDLE line, MAP_COORDPT at)
    {
        PointSetAccess access;
        ASSERT_TRUE(LockPointSet(kernel(), line, access));
        StoreField(access.fixed, GOH_SELPOINT, at);
    }
};

TEST_F(LineLengthTest, SetLineLengthCases)
{
    struct Case {
        const char *name;
        Points line;
        double length;
        int result;
        Points after; // empty: unchanged
    };
    const std::vector<Case> cases = {
        {"lengthening doubles the last segment, then fits", {{0, 0}, {10, 0}}, 35, 1, {{0, 0}, {35, 0}}},
        {"shortening at a vertex keeps it last",
         {{0, 0}, {10, 0}, {10, 10}, {20, 10}},
         20,
         1,
         {{0, 0}, {10, 0}, {10, 10}}},
        {"shortening inside a segment", {{0, 0}, {10, 0}, {10, 10}}, 15, 1, {{0, 0}, {10, 0}, {10, 5}}},
        {"the current length, to hundredths", {{0, 0}, {10, 0}}, 10.004, 1, {}},
        {"below one unit", {{0, 0}, {10, 0}}, 0.5, 0, {}},
        {"not a number", {{0, 0}, {10, 0}}, std::nan(""), 0, {}},
        {"a last segment of no length", {{0, 0}, {10, 0}, {10, 0}}, 50, 0, {}},
        {"an end beyond 32 bits", {{0, 0}, {10, 0}}, 1e12, 0, {}},
        {"a one-point line", {{5, 5}}, 10, 0, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OBJHANDLE line = polyline(c.line);
        if (c.after.empty()) {
            expectNoChange([&] { EXPECT_EQ(SetLineLength(window, line, c.length, 1), c.result); });
            EXPECT_EQ(points(line), c.line);
        } else {
            expectOneUndoStep([&] { EXPECT_EQ(SetLineLength(window, line, c.length, 1), c.result); },
                              kUndoSettingPolylineLength);
            EXPECT_EQ(points(line), c.after);
        }
    }
    const OBJHANDLE square = polygon(Square(0, 0, 10));
    EXPECT_EQ(SetLineLength(window, square, 5, 1), 0);
    EXPECT_EQ(SetLineLength(window, 0xFFFFF, 5, 1), 0);
    EXPECT_EQ(SetLineLength(0, square, 5, 1), 0);
}

TEST_F(LineLengthTest, JoiningMakesOnePolylineWithTheSharedPointOnce)
{
    const OBJHANDLE a = polyline({{10, 0}, {20, 0}});
    const OBJHANDLE b = polyline({{0, 0}, {10, 0}});
    const OBJHANDLE lone = polyline({{100, 100}, {200, 200}});
    select({a, b, lone});
    expectOneUndoStep([&] { EXPECT_EQ(SelectedPolylinesJoin(window), 1); }, kUndoJoiningPolylines);
    ASSERT_EQ(selected().size(), 1u) << "the lone polyline is no longer selected";
    EXPECT_EQ(points(selected()[0]), (Points{{0, 0}, {10, 0}, {20, 0}}));
    EXPECT_FALSE(alive(a));
    EXPECT_FALSE(alive(b));
    EXPECT_TRUE(alive(lone));
}

TEST_F(LineLengthTest, TriangleBecomesAPolygonWithoutRepeatedPoint)
{
    const OBJHANDLE a = polyline({{0, 0}, {10, 0}});
    const OBJHANDLE b = polyline({{10, 0}, {5, 8}});
    const OBJHANDLE c = polyline({{0, 0}, {5, 8}});
    OBJHANDLE g = 0;
    ASSERT_EQ(map_group_Create(window, &g, &c, 1, 0), 1);
    select({a, b, g});
    expectOneUndoStep([&] { EXPECT_EQ(SelectedPolylinesJoin(window), 1); }, kUndoJoiningPolylines);
    ASSERT_EQ(selected().size(), 1u);
    const OBJHANDLE made = selected()[0];
    EXPECT_EQ(GetOBJectClassID(kernel(), made), CLASS_POLYGON);
    EXPECT_EQ(points(made).size(), 3u);
    EXPECT_FALSE(alive(g)) << "the group emptied by the join goes";
}

TEST_F(LineLengthTest, JoinRefusalsAndGaps)
{
    const OBJHANDLE closed = polyline({{0, 0}, {10, 0}, {10, 10}, {0, 0}});
    select({closed});
    expectNoChange([&] { EXPECT_EQ(SelectedPolylinesJoin(window), 0); });
    select({});
    expectNoChange([&] { EXPECT_EQ(SelectedPolylinesJoin(window), 0); });

    // Ends one unit apart: the plain join leaves them.
    const OBJHANDLE a = polyline({{0, 0}, {10, 0}});
    const OBJHANDLE b = polyline({{11, 0}, {20, 0}});
    select({a, b});
    expectNoChange([&] { EXPECT_EQ(SelectedPolylinesJoin(window), 1); });
    EXPECT_TRUE(alive(a) && alive(b));

    // The extended join bridges from the picked point of the first.
    select({a, b});
    pick(a, {10, 0});
    expectOneUndoStep([&] { EXPECT_EQ(SelectedPolylinesJoinExt(window), 1); }, kUndoJoiningPolylines);
    ASSERT_EQ(selected().size(), 1u);
    EXPECT_EQ(points(selected()[0]), (Points{{20, 0}, {11, 0}, {10, 0}, {0, 0}}));

    // The first selected object must be a polyline.
    const OBJHANDLE square = polygon(Square(50, 50, 5));
    select({square});
    expectNoChange([&] { EXPECT_EQ(SelectedPolylinesJoinExt(window), 0); });
}

TEST_F(LineLengthTest, BridgingPassesOverOtherObjects)
{
    // Objects between the polylines are passed over; the bridge goes from
    // the picked end to the nearer end of the next polyline, which the join
    // then takes.
    const OBJHANDLE a = polyline({{0, 0}, {10, 0}});
    const OBJHANDLE text = polygon(Square(50, 50, 5));
    const OBJHANDLE b = polyline({{30, 0}, {40, 0}});
    select({a, text, b});
    pick(a, {10, 0});
    expectOneUndoStep([&] { EXPECT_EQ(SelectedPolylinesJoinExt(window), 1); }, kUndoJoiningPolylines);
    ASSERT_EQ(selected().size(), 1u);
    EXPECT_EQ(points(selected()[0]), (Points{{40, 0}, {30, 0}, {10, 0}, {0, 0}}));
    EXPECT_FALSE(alive(a) || alive(b));
}

} // namespace
