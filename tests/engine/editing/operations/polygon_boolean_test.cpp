#include "engine/editing/operations/polygon_boolean.h"

#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/map_obj_arr.h"
#include "engine/kernel/references.h"
#include "engine/kernel/settings.h"
#include "engine/window/window_groups.h"
#include "platform/beep.h"
#include "tests/engine/editing/operations/operations_fixture.h"

#include <algorithm>
#include <cmath>

namespace {

class PolygonBooleanTest : public OperationsTest {
protected:
    // The selected polygons' absolute areas, smallest first.
    std::vector<double> selectedAreas()
    {
        std::vector<double> out;
        for (OBJHANDLE h : selected()) {
            const std::vector<MAP_COORDPT> p = points(h);
            EXPECT_EQ(GetOBJectClassID(kernel(), h), CLASS_POLYGON);
            out.push_back(std::fabs(SetOfLinesegmentArea(uint32_t(p.size()), p.data())));
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    OBJHANDLE group(const std::vector<OBJHANDLE> &members)
    {
        OBJHANDLE g = 0;
        EXPECT_EQ(map_group_Create(window, &g, members.data(), int32_t(members.size()), 0), 1);
        EXPECT_NE(g, 0u);
        return g;
    }
    void setting(const char *name, int value) { m_RegValueSet("Settings", name, value); }
};

TEST_F(PolygonBooleanTest, UnionOfTwoSquaresIsOneStepAndSelectsTheResult)
{
    const OBJHANDLE a = polygon(Square(0, 0, 10));
    const OBJHANDLE b = polygon(Square(5, 5, 10));
    select({a, b});
    std::vector<ReceivedMessage> progress;
    expectOneUndoStep(
        [&] {
            received.clear();
            EXPECT_EQ(SelectedPolygonsLogicalOper(window, kCommandUnion), 1);
            for (const ReceivedMessage &m : received)
                if (m.msg == MAPN_PROGRESS)
                    progress.push_back(m);
        },
        kUndoUnion);
    EXPECT_EQ(selectedAreas(), (std::vector<double>{175.0}));
    EXPECT_TRUE(alive(a) && alive(b)) << "inputs stay without the settings";
    // Progress: kind 9 announced, then percentages of kind 1 up to the end
    // mark; one combination of two items rises by 2 x 90 / 4.
    ASSERT_EQ(progress.size(), 5u);
    EXPECT_EQ(progress[0].wParam, WPARAM(MAPN_KIND_BUFFER));
    EXPECT_EQ(progress[0].lParam, MAPN_PROGRESS_START);
    std::vector<LPARAM> values;
    for (size_t i = 1; i < progress.size(); ++i) {
        EXPECT_EQ(progress[i].wParam, WPARAM(MAPN_KIND_RUNNING));
        values.push_back(progress[i].lParam);
    }
    EXPECT_EQ(values, (std::vector<LPARAM>{0, 22, 45, MAPN_PROGRESS_END}));
}

TEST_F(PolygonBooleanTest, SelectionCommandsAnswerTheirCases)
{
    struct Case {
        const char *name;
        int command;
        uint16_t code;
        std::vector<double> areas;
    };
    const std::vector<Case> cases = {
        {"intersection", kCommandIntersection, kUndoIntersection, {25.0}},
        // Each square's part outside the other, no polygon over the overlap.
        {"exclusive or", kCommandXor, kUndoXor, {75.0, 75.0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OBJHANDLE a = polygon(Square(0, 0, 10));
        const OBJHANDLE b = polygon(Square(5, 5, 10));
        select({a, b});
        expectOneUndoStep([&] { EXPECT_EQ(SelectedPolygonsLogicalOper(window, c.command), 1); }, c.code);
        EXPECT_EQ(selectedAreas(), c.areas);
    }
}

TEST_F(PolygonBooleanTest, RefusedSelectionsChangeNothing)
{
    const OBJHANDLE a = polygon(Square(0, 0, 10));
    const OBJHANDLE b = polygon(Square(5, 5, 10));
    const OBJHANDLE line = polyline({{0, 0}, {20, 20}});
    const OBJHANDLE empty = group({line});
    struct Case {
        const char *name;
        std::vector<OBJHANDLE> selection;
        int command;
    };
    const std::vector<Case> cases = {
        {"complement over a selection", {a, b}, kCommandComplement},
        {"one polygon", {a}, kCommandUnion},
        {"a polygon and a group without polygons", {a, empty}, kCommandIntersection},
        {"a polygon and a polyline", {b, line}, kCommandXor},
        {"nothing selected", {}, kCommandUnion},
        {"another command", {a, b}, 404},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        select(c.selection);
        expectNoChange([&] { EXPECT_EQ(SelectedPolygonsLogicalOper(window, c.command), 0); });
    }
    EXPECT_EQ(SelectedPolygonsLogicalOper(0, kCommandUnion), 0);
}

TEST_F(PolygonBooleanTest, UnionWithAGroupCombinesOnceAndDeletesBySettings)
{
    setting("Delete Polygons After Union", 1);
    setting("Delete Polygons In Groups After Union", 1);
    const OBJHANDLE a = polygon(Square(0, 0, 10));
    const OBJHANDLE b = polygon(Square(10, 0, 10));
    const OBJHANDLE c = polygon(Square(100, 100, 10));
    const OBJHANDLE g = group({b, c});
    PlgOpResult *set = PlgOpResultFromGroup(kernel(), g);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->numPolygons, 2);
    EXPECT_EQ(set->totalPoints, 8);
    EXPECT_EQ(set->polygons[1].firstPoint, 4);
    DeletePlgOpResult(set);

    select({a, g});
    EXPECT_EQ(CountSelectedPolygonItems(window), 2);
    expectOneUndoStep([&] { EXPECT_EQ(SelectedPolygonsLogicalOper(window, kCommandUnion), 1); }, kUndoUnion);
    EXPECT_EQ(selectedAreas(), (std::vector<double>{100.0, 200.0}));
    EXPECT_FALSE(alive(a));
    EXPECT_FALSE(alive(b));
    EXPECT_FALSE(alive(c));
    EXPECT_FALSE(alive(g)) << "a group whose polygons all went goes too";
}

TEST_F(PolygonBooleanTest, GroupLeftWithOneMemberIsDissolved)
{
    setting("Delete Polygons In Groups After Intersection", 1);
    const OBJHANDLE a = polygon(Square(0, 0, 10));
    const OBJHANDLE b = polygon(Square(5, 5, 10));
    const OBJHANDLE line = polyline({{50, 50}, {60, 60}});
    const OBJHANDLE g = group({b, line});
    select({a, g});
    expectOneUndoStep([&] { EXPECT_EQ(SelectedPolygonsLogicalOper(window, kCommandIntersection), 1); },
                      kUndoIntersection);
    EXPECT_TRUE(alive(a));
    EXPECT_FALSE(alive(b));
    EXPECT_FALSE(alive(g));
    EXPECT_TRUE(alive(line)) << "the other member stays";
    int32_t pos = -1;
    EXPECT_EQ(GetReference(kernel(), line, REF_GROUP_PARENT, &pos) == g, false);
}

TEST_F(PolygonBooleanTest, EmptyIntersectionMakesNothingButStillDeletes)
{
    setting("Delete Polygons After Intersection", 1);
    const OBJHANDLE a = polygon(Square(0, 0, 10));
    const OBJHANDLE b = polygon(Square(50, 50, 10));
    select({a, b});
    expectOneUndoStep([&] { EXPECT_EQ(SelectedPolygonsLogicalOper(window, kCommandIntersection), 1); },
                      kUndoIntersection);
    EXPECT_TRUE(selected().empty());
    EXPECT_FALSE(alive(a));
    EXPECT_FALSE(alive(b));
}

TEST_F(PolygonBooleanTest, ComplementByClickDeletesOnlyTheFirst)
{
    setting("Delete First Polygon After Complement", 1);
    showWorld({-50, -50, 150, 150});
    const OBJHANDLE a = polygon(Square(0, 0, 10));
    const OBJHANDLE b = polygon(Square(5, 5, 10));
    select({a});
    const _COORDPT click{12, 12};
    SelListPointsSet(window, &click, &click);
    expectOneUndoStep(
        [&] {
            EXPECT_EQ(PolygonOperationInDLL(window, 0, POINT{0, 0}, kCommandComplement), 1);
        },
        kUndoComplement);
    EXPECT_FALSE(alive(a));
    EXPECT_TRUE(alive(b)) << "the clicked polygon stays";
    EXPECT_EQ(selectedAreas(), (std::vector<double>{75.0}));

    // A click on nothing, or on the first operand itself: a beep only.
    int beeps = 0;
    const BeepSink previous = SetBeepSink([&beeps](UINT) { ++beeps; });
    select({b});
    for (const _COORDPT at : {_COORDPT{100, 100}, _COORDPT{12, 12}}) {
        SelListPointsSet(window, &at, &at);
        expectNoChange([&] { EXPECT_EQ(PolygonOperationInDLL(window, 0, POINT{0, 0}, kCommandUnion), 1); });
    }
    SetBeepSink(previous);
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(PolygonOperationInDLL(window, 0, POINT{0, 0}, 404), 0);
}

TEST_F(PolygonBooleanTest, ExportedOperationChecksItsOperands)
{
    const OBJHANDLE a = polygon(Square(0, 0, 10));
    const OBJHANDLE b = polygon(Square(5, 5, 10));
    const OBJHANDLE line = polyline({{0, 0}, {20, 20}});
    OBJHANDLE none = ObjectCreateInActiveLayer(window, CLASS_POLYGON);
    struct Case {
        const char *name;
        OBJHANDLE first, second;
        int operation;
    };
    const std::vector<Case> cases = {
        {"null", 0, b, 101},         {"same", a, a, 101},     {"polyline", a, line, 102},
        {"no points", none, b, 103}, {"bad code", a, b, 105}, {"freed handle", a, 0xFFFFF, 104},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        expectNoChange([&] {
            EXPECT_EQ(PolygonBooleanOperation(window, c.first, c.second, nullptr, c.operation, 1, 0, 1, 1),
                      0);
        });
    }

    // Exclusive or with the inputs deleted: both halves in the array; the
    // caller closes the step.
    CMapObjArr result;
    expectOneUndoStep(
        [&] {
            EXPECT_EQ(PolygonBooleanOperation(window, a, b, &result, PLG_EXCLUSIVE_OR, 1, 0, 0, 1), 1);
            Undo_SetNewStep(window, kernel(), kUndoXor);
            SetMapModified(window);
        },
        kUndoXor);
    EXPECT_EQ(result.GetSize(), 2);
    EXPECT_FALSE(alive(a));
    EXPECT_FALSE(alive(b));
}

TEST_F(PolygonBooleanTest, DisplaySelectAndDelPolygonStructMakesOnePolygonPerContour)
{
    const OBJHANDLE a = polygon(Square(0, 0, 10));
    const OBJHANDLE b = polygon(Square(20, 0, 10));
    PlgOpResult *pa = PlgOpResultFromPolygon(kernel(), a);
    PlgOpResult *pb = PlgOpResultFromPolygon(kernel(), b);
    PlgOpResult *both = PlgOpResultConcat(pa, pb);
    DeletePlgOpResult(pa);
    DeletePlgOpResult(pb);
    CMapObjArr result;
    select({});
    expectOneUndoStep(
        [&] {
            DisplaySelectAndDelPolygonStruct(window, both, &result, 1, 1);
            Undo_SetNewStep(window, kernel(), 2);
            SetMapModified(window);
        },
        2);
    ASSERT_EQ(result.GetSize(), 2);
    EXPECT_EQ(points(result[1]), Square(20, 0, 10));
    EXPECT_EQ(selected().size(), 2u);
    DisplaySelectAndDelPolygonStruct(window, nullptr, &result, 1, 1);
    DisplaySelectAndDelPolygonStruct(0, PlgOpResultCopy(nullptr), &result, 1, 1);
    EXPECT_EQ(result.GetSize(), 2);
}

} // namespace
