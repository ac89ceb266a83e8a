#include "engine/editing/polyline_queue.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/window/map_notifications.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <vector>

class PolylineQueueTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        selection = GetRootOBJKern(kernel(), rec.rootObject, CLASS_SELLIST);
    }
    std::vector<WPARAM> counts() const { return receivedOf(MAPN_SELCOUNT); }

    // Selects an object as a click at the point would.
    void select(OBJHANDLE h, MAP_COORDPT at)
    {
        AddToSelectionWithoutRemoving(kernel(), selection, h);
        SendOBJectMessage(kernel(), selection, selection, 0, GRM_SETSELECTED, WPARAM(h), LPARAM(&at));
    }
    std::vector<OBJHANDLE> chain()
    {
        std::vector<OBJHANDLE> out;
        int32_t pos = -1;
        for (OBJHANDLE h = GetReference(kernel(), selection, REF_SELECTED, &pos); h;
             h = GetReference(kernel(), selection, REF_SELECTED, &pos))
            out.push_back(h);
        return out;
    }
    MAP_COORDPT freeEnd()
    {
        MAP_COORDPT p{};
        SendOBJectMessage(kernel(), selection, selection, 0, GRM_GETSELECTED, 0, LPARAM(&p));
        return p;
    }

    OBJHANDLE selection = 0;
};

TEST_F(PolylineQueueTest, AddingAndRemovingCyclesThroughThreeCandidates)
{
    const OBJHANDLE start = polyline({{0, 0}, {10, 0}});
    const OBJHANDLE c1 = polyline({{10, 0}, {20, 5}});
    const OBJHANDLE c2 = polyline({{20, -5}, {10, 0}});
    const OBJHANDLE c3 = polyline({{10, 0}, {10, 10}});
    select(start, {9, 0}); // nearer the last point: the free end is (10, 0)
    const std::vector<OBJHANDLE> expected{c1, c2, c3, c1};
    for (size_t i = 0; i < expected.size(); ++i) {
        AddPolylineToQueue(window);
        ASSERT_EQ(chain(), (std::vector<OBJHANDLE>{start, expected[i]})) << "step " << i;
        RemovePolylineFromQueue(window);
        ASSERT_EQ(chain(), (std::vector<OBJHANDLE>{start})) << "step " << i;
        EXPECT_EQ(freeEnd(), (MAP_COORDPT{10, 0})) << "the junction is the free end again";
    }
}

TEST_F(PolylineQueueTest, TheFreeEndMovesToTheFarEndAndTheCountIsReported)
{
    const OBJHANDLE start = polyline({{0, 0}, {10, 0}});
    const OBJHANDLE next = polyline({{20, 5}, {10, 0}});
    select(start, {10, 0});
    AddPolylineToQueue(window);
    EXPECT_EQ(chain(), (std::vector<OBJHANDLE>{start, next}));
    EXPECT_EQ(freeEnd(), (MAP_COORDPT{20, 5}));
    ASSERT_FALSE(counts().empty());
    EXPECT_EQ(counts().back(), 2u);
    AddPolylineToQueue(window); // nothing meets (20, 5)
    EXPECT_EQ(chain().size(), 2u);
}

TEST_F(PolylineQueueTest, NearestCandidatesKeepTheFreeEnd)
{
    const OBJHANDLE start = polyline({{0, 0}, {10, 0}});
    const OBJHANDLE far = polyline({{30, 0}, {40, 0}});
    const OBJHANDLE near = polyline({{12, 0}, {20, 0}});
    select(start, {10, 0});
    AddNearestPolylineToQueue(window);
    EXPECT_EQ(chain(), (std::vector<OBJHANDLE>{start, near}));
    EXPECT_EQ(freeEnd(), (MAP_COORDPT{10, 0}));
    (void)far;
}

TEST_F(PolylineQueueTest, NothingHappensWithoutAPolylineAtTheEnd)
{
    const OBJHANDLE square = polygon({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
    polyline({{0, 0}, {-10, 0}});
    select(square, {0, 0});
    AddPolylineToQueue(window);
    EXPECT_EQ(chain(), (std::vector<OBJHANDLE>{square}));
    EXPECT_TRUE(counts().empty());
    SelListClear(kernel(), selection);
    RemovePolylineFromQueue(window);
    EXPECT_TRUE(counts().empty()) << "an empty selection sends no notification";
    AddPolylineToQueue(0);
    RemovePolylineFromQueue(0);
}
