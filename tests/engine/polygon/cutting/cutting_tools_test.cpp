#include "engine/polygon/cutting/cutting_tools.h"

#include "engine/editing/set_geometry.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/window/undo_window.h"
#include "engine/window/window_children.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"
#include "platform/wait_cursor.h"
#include "tests/engine/polygon/polygon_command_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

class CuttingToolsTest : public PolygonCommandTest {
protected:
    // The objects of a layer that undo has not hidden.
    std::vector<OBJHANDLE> layerObjects(OBJHANDLE layer)
    {
        int32_t count = 0;
        CHILDREN_Get(window, layer, &count, nullptr, 0, 1);
        std::vector<OBJHANDLE> out(size_t(std::max(count, 0)));
        if (count > 0)
            CHILDREN_Get(window, layer, &count, out.data(), count, 1);
        return out;
    }
    OBJHANDLE activeLayer()
    {
        return GetActiveLayer(kernel(), GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS));
    }
    void setDeleteAfterCutting(uint32_t value)
    {
        ASSERT_NE(rec.settingsKey, nullptr);
        ASSERT_EQ(rec.settingsKey->SetValue("Settings", "Delete Objects After Cliping", &value, 0), 1);
    }
};

} // namespace

TEST_F(CuttingToolsTest, CrossingPolylinesAreReplacedByTheirPiecesInOneUndoStep)
{
    const OBJHANDLE a = polyline({{0, 50}, {100, 50}});
    const OBJHANDLE b = polyline({{50, 0}, {50, 100}});
    const OBJHANDLE layer = activeLayer();
    select({a, b});
    const std::vector<char> before = saved();
    const int steps = Undo_UndoStepsCount(window);
    received.clear();

    ASSERT_EQ(ToolMultiselectCut(window), 1);
    EXPECT_FALSE(WaitCursor::Showing());
    const std::vector<OBJHANDLE> pieces = selected();
    ASSERT_EQ(pieces.size(), 4u);
    std::vector<Ring> rings;
    for (OBJHANDLE piece : pieces) {
        EXPECT_EQ(GetOBJectClassID(kernel(), piece), CLASS_POLYLINE);
        rings.push_back(points(piece));
    }
    EXPECT_EQ(rings,
              (std::vector<Ring>{
                  {{0, 50}, {50, 50}}, {{50, 50}, {100, 50}}, {{50, 0}, {50, 50}}, {{50, 50}, {50, 100}}}));
    // The cut objects are gone, and no working object is left in the layer.
    EXPECT_EQ(layerObjects(layer).size(), 4u);
    EXPECT_EQ(progress(), (std::vector<std::pair<WPARAM, LPARAM>>{{MAPN_KIND_CUTTING, MAPN_PROGRESS_START},
                                                                  {MAPN_KIND_RUNNING, 0},
                                                                  {MAPN_KIND_RUNNING, 50},
                                                                  {MAPN_KIND_RUNNING, 100},
                                                                  {MAPN_KIND_RUNNING, MAPN_PROGRESS_END}}));
    EXPECT_EQ(Undo_UndoStepsCount(window), steps + 1);
    EXPECT_EQ(Undo_GetStepWithIndex(window, 0, 1), UNDO_CODE_CLIP);
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);

    ASSERT_EQ(map_Undo(window), 1);
    EXPECT_EQ(saved(), before);
}

TEST_F(CuttingToolsTest, OverlappingPolygonsKeepTheirCommonPartTwice)
{
    const OBJHANDLE a = polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    const OBJHANDLE b = polygon({{50, 50}, {150, 50}, {150, 150}, {50, 150}});
    select({a, b});
    ASSERT_EQ(ToolMultiselectCut(window), 1);
    const std::vector<OBJHANDLE> pieces = selected();
    ASSERT_EQ(pieces.size(), 4u);
    std::vector<double> areas;
    for (OBJHANDLE piece : pieces)
        areas.push_back(area(piece));
    EXPECT_EQ(areas, (std::vector<double>{7500, 2500, 7500, 2500}));
}

TEST_F(CuttingToolsTest, TheSettingAtZeroKeepsTheCutObjects)
{
    setDeleteAfterCutting(0);
    const OBJHANDLE a = polyline({{0, 50}, {100, 50}});
    const OBJHANDLE b = polyline({{50, 0}, {50, 100}});
    select({a, b});
    ASSERT_EQ(ToolMultiselectCut(window), 1);
    EXPECT_EQ(selected().size(), 4u);
    EXPECT_EQ(layerObjects(activeLayer()).size(), 6u);
    EXPECT_EQ(points(a), (Ring{{0, 50}, {100, 50}}));
}

TEST_F(CuttingToolsTest, SingleCutCutsEveryMemberOfAGroupInItsOwnLayer)
{
    const OBJHANDLE first = activeLayer();
    const OBJHANDLE left = polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    const OBJHANDLE right = polygon({{200, 0}, {300, 0}, {300, 100}, {200, 100}});
    const OBJHANDLE label = ObjectCreateInActiveLayer(window, CLASS_TEXT);
    OBJHANDLE group = 0;
    ASSERT_EQ(map_group_Create(window, &group, std::vector<OBJHANDLE>{left, right, label}.data(), 3, 0), 1);
    const OBJHANDLE lone = polygon({{0, 200}, {100, 200}, {100, 300}, {0, 300}});
    OBJHANDLE loneGroup = 0;
    ASSERT_EQ(map_group_Create(window, &loneGroup, &lone, 1, 0), 1);
    OBJHANDLE other =
        CreateLayerOBJect(kernel(), GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS), 9, "Other");
    ASSERT_EQ(LayersActiveLayerSet(kernel(), GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS), other),
              1);
    const OBJHANDLE cutter = polyline({{-10, 50}, {310, 50}, {310, 250}, {50, 250}, {50, 310}});
    select({group, loneGroup});
    received.clear();

    ASSERT_EQ(ToolSingleCut(window, cutter), 1);
    EXPECT_TRUE(progress().empty());
    const std::vector<OBJHANDLE> pieces = selected();
    EXPECT_EQ(pieces.size(), 6u);
    for (OBJHANDLE piece : pieces)
        EXPECT_EQ(GetOBJectLayer(kernel(), piece), first);
    EXPECT_EQ(activeLayer(), other);
    // The group of one member went with it; the group that keeps its text
    // stays.
    EXPECT_NE(IsOBJectUndoDeleted(kernel(), loneGroup), 0);
    EXPECT_EQ(IsOBJectUndoDeleted(kernel(), group), 0);
    EXPECT_NE(IsOBJectUndoDeleted(kernel(), left), 0);
    EXPECT_EQ(IsOBJectUndoDeleted(kernel(), label), 0);
    EXPECT_EQ(points(cutter).size(), 5u);
}

TEST_F(CuttingToolsTest, CommandsThatCannotRunChangeNothing)
{
    const OBJHANDLE a = polyline({{0, 50}, {100, 50}});
    const OBJHANDLE text = ObjectCreateInActiveLayer(window, CLASS_TEXT);
    select({a});
    const std::vector<char> before = saved();
    received.clear();
    EXPECT_EQ(ToolMultiselectCut(window), 0);
    select({a, text});
    EXPECT_EQ(ToolMultiselectCut(window), 0);
    EXPECT_EQ(ToolSingleCut(window, text), 0);
    EXPECT_EQ(ToolSingleCut(window, 0), 0);
    EXPECT_EQ(ToolSingleCut(window, 0xFFFF0), 0);
    EXPECT_EQ(ToolMultiselectCut(0), 0);
    EXPECT_TRUE(progress().empty());
    select({a});
    EXPECT_EQ(saved(), before);

    // A cutter that separates nothing gives the objects back as they were.
    const OBJHANDLE square = polygon({{0, 0}, {10, 0}, {10, 10}});
    select({square});
    ASSERT_EQ(ToolSingleCut(window, polyline({{500, 500}, {600, 600}})), 1);
    ASSERT_EQ(selected().size(), 1u);
    EXPECT_EQ(points(selected()[0]), (Ring{{0, 0}, {10, 0}, {10, 10}}));
}
