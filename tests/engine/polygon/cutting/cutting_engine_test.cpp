#include "engine/polygon/cutting/cutting_engine.h"

#include "engine/editing/handle_list.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/window_record.h"
#include "platform/global_memory.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CuttingEngineTest : public EditingTest {
protected:
    OBJHANDLE layers() { return GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS); }

    // Runs a cut with zeroed out lists; the pieces come back as handles.
    int cut(OBJHANDLE object, OBJHANDLE cutter, std::vector<OBJHANDLE> *pieces = nullptr,
            uint32_t *count2 = nullptr)
    {
        HGLOBAL list1 = 0, list2 = 0;
        uint32_t n1 = 0, n2 = 0;
        OBJHANDLE o = object, c = cutter;
        const int result = CutObjectsByCutter(window, 0, &o, &c, &list1, &n1, &list2, &n2, 0);
        EXPECT_EQ(o, object);
        EXPECT_EQ(c, cutter);
        for (uint32_t i = 0; i < n1; ++i)
            if (pieces)
                pieces->push_back(HandleListAt(list1, n1, i));
        EXPECT_EQ(list1 == 0, n1 == 0);
        if (list1)
            GlobalFree(list1);
        if (list2)
            GlobalFree(list2);
        if (count2)
            *count2 = n2;
        return result;
    }
};

const std::vector<MAP_COORDPT> kSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};

} // namespace

TEST_F(CuttingEngineTest, PiecesGoToTheCutObjectsLayerAndTheActiveLayerComesBack)
{
    const OBJHANDLE first = GetActiveLayer(kernel(), layers());
    const OBJHANDLE square = polygon(kSquare);
    const OBJHANDLE other = CreateLayerOBJect(kernel(), layers(), 7, "Other");
    ASSERT_NE(other, 0u);
    ASSERT_EQ(LayersActiveLayerSet(kernel(), layers(), other), 1);
    const OBJHANDLE line = polyline({{-10, 50}, {110, 50}});
    const size_t blocks = GlobalBlockCount();

    std::vector<OBJHANDLE> pieces;
    uint32_t count2 = 1;
    ASSERT_EQ(cut(square, line, &pieces, &count2), 1);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(count2, 0u);
    for (OBJHANDLE piece : pieces) {
        EXPECT_EQ(GetOBJectClassID(kernel(), piece), CLASS_POLYGON);
        EXPECT_EQ(GetOBJectLayer(kernel(), piece), first);
    }
    EXPECT_EQ(GetActiveLayer(kernel(), layers()), other);
    // The inputs stay as they were, the pieces are selected.
    EXPECT_EQ(points(square), kSquare);
    EXPECT_EQ(GetNumberOfSelected(kernel(), GetRootOBJKern(kernel(), rec.rootObject, CLASS_SELLIST)), 2);
    // No scratch block outlives the call.
    EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST_F(CuttingEngineTest, PairsThatSeparateNothingGiveNoPieces)
{
    const OBJHANDLE square = polygon(kSquare);
    struct Case {
        const char *name;
        OBJHANDLE object, cutter;
        int result;
    };
    const OBJHANDLE text = ObjectCreateInActiveLayer(window, CLASS_TEXT);
    const OBJHANDLE group = ObjectCreateInActiveLayer(window, CLASS_GROUP);
    const std::vector<Case> cases = {
        {"by itself", square, square, 1},
        {"by its own outline as a polyline", square,
         polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}), 1},
        {"by a line that misses it", square, polyline({{200, 0}, {300, 50}}), 1},
        {"by a slit", square, polyline({{-10, 50}, {50, 50}}), 1},
        {"by a one-point line", square, polyline({{50, 50}}), 1},
        {"by an all-equal line", square, polyline({{50, 50}, {50, 50}}), 1},
        {"a two-point polygon", polygon({{0, 0}, {100, 100}}), polyline({{0, 100}, {100, 0}}), 1},
        {"an all-equal polygon", polygon({{5, 5}, {5, 5}, {5, 5}}), polyline({{0, 100}, {100, 0}}), 1},
        {"a group as the object", group, polyline({{-10, 50}, {110, 50}}), 1},
        {"a text as the cutter", square, text, 0},
        {"no cutter", square, 0, 0},
        {"a freed handle as the cutter", square, 0xFFFF0, 0},
        {"no object", 0, polyline({{-10, 50}, {110, 50}}), 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OBJHANDLE active = GetActiveLayer(kernel(), layers());
        const std::vector<MAP_COORDPT> before = points(square);
        std::vector<OBJHANDLE> pieces;
        EXPECT_EQ(cut(c.object, c.cutter, &pieces), c.result);
        EXPECT_TRUE(pieces.empty());
        EXPECT_EQ(points(square), before);
        EXPECT_EQ(GetActiveLayer(kernel(), layers()), active);
    }
    // Null out pointers are refused, not written.
    EXPECT_EQ(CutObjectsByCutter(window, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(CutObjectsByCutter(0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0), 0);
}

TEST_F(CuttingEngineTest, WithoutResultListsThePiecesStayInTheMap)
{
    const OBJHANDLE square = polygon(kSquare);
    OBJHANDLE line = polyline({{-10, -10}, {110, 110}});
    OBJHANDLE object = square;
    ASSERT_EQ(CutObjectsByCutter(window, 0, &object, &line, nullptr, nullptr, nullptr, nullptr, 0), 1);
    EXPECT_EQ(GetNumberOfSelected(kernel(), GetRootOBJKern(kernel(), rec.rootObject, CLASS_SELLIST)), 2);
}
