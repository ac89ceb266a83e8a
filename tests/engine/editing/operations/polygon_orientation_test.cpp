#include "engine/editing/operations/polygon_orientation.h"

#include "engine/window/window_groups.h"
#include "tests/engine/editing/operations/operations_fixture.h"

namespace {

class PolygonOrientationTest : public OperationsTest {
protected:
    std::vector<std::string> texts()
    {
        std::vector<std::string> out;
        for (const MessageBoxRequest &b : boxes) {
            EXPECT_EQ(b.caption, "Information !");
            EXPECT_EQ(b.type, MB_ICONINFORMATION);
            out.push_back(b.text);
        }
        boxes.clear();
        return out;
    }
};

using Points = std::vector<MAP_COORDPT>;

TEST_F(PolygonOrientationTest, SquareIsReversedOnlyWhenNeeded)
{
    const OBJHANDLE square = polygon({{0, 0}, {0, 1}, {1, 1}, {1, 0}});
    select({square});
    expectNoChange([&] { SetSelPolygonsClockwise(window); });
    EXPECT_EQ(texts(), std::vector<std::string>{"POLYGON IS CLOCKWISE.!\n"});

    expectOneUndoStep([&] { SetSelPolygonsCounterClockwise(window); }, kUndoTransformations);
    EXPECT_EQ(points(square), (Points{{1, 0}, {1, 1}, {0, 1}, {0, 0}}));
    EXPECT_EQ(texts(), std::vector<std::string>{"SETTINTG COUNTERCLOCKWISE.!\n"});
}

TEST_F(PolygonOrientationTest, ZeroAreaCountsAsCounterClockwise)
{
    const OBJHANDLE flat = polygon({{0, 0}, {5, 0}, {10, 0}});
    select({flat});
    expectNoChange([&] { SetSelPolygonsCounterClockwise(window); });
    EXPECT_EQ(texts(), std::vector<std::string>{"POLYGON IS COUNTERCLOCKWISE.!\n"});
    for (int run = 0; run < 2; ++run) {
        SetSelPolygonsClockwise(window);
        EXPECT_EQ(texts(), std::vector<std::string>{"SETTING CLOCKWISTE.!\n"}) << "reversed every time";
    }
    EXPECT_EQ(points(flat), (Points{{0, 0}, {5, 0}, {10, 0}}));
}

TEST_F(PolygonOrientationTest, GroupsEmptyPolygonsAndOtherObjectsAreLeftAlone)
{
    const OBJHANDLE inGroup = polygon({{1, 0}, {1, 1}, {0, 1}, {0, 0}});
    OBJHANDLE g = 0;
    ASSERT_EQ(map_group_Create(window, &g, &inGroup, 1, 0), 1);
    const OBJHANDLE empty = ObjectCreateInActiveLayer(window, CLASS_POLYGON);
    const OBJHANDLE line = polyline({{1, 0}, {1, 1}, {0, 1}});
    for (const std::vector<OBJHANDLE> &selection :
         {std::vector<OBJHANDLE>{g}, std::vector<OBJHANDLE>{empty, line}, std::vector<OBJHANDLE>{}}) {
        select(selection);
        expectNoChange([&] { SetSelPolygonsClockwise(window); });
    }
    EXPECT_TRUE(boxes.empty());
    SetSelPolygonsClockwise(0);
}

} // namespace
