#include "tests/engine/editing/tools/tools_fixture.h"

#include "engine/editing/tools/map_expert.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_identifiers.h"

#include <algorithm>

namespace {

using Points = std::vector<MAP_COORDPT>;

class MapExpertTest : public ToolsTest {
protected:
    OBJHANDLE layers() { return GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS); }
    OBJHANDLE activeLayer() { return GetActiveLayer(kernel(), layers()); }
    std::vector<OBJHANDLE> members(OBJHANDLE holder, uint16_t id)
    {
        std::vector<OBJHANDLE> out;
        int32_t pos = -1;
        for (OBJHANDLE h = FirstReference(kernel(), holder, id, &pos); h;
             h = GetReference(kernel(), holder, id, &pos))
            out.push_back(h);
        return out;
    }
    // Every reference of every object leads to a live object of a known
    // class, with a known id, and its pair answers it.
    void expectEveryReferenceChecks()
    {
        for (OBJHANDLE h = KernelGetNextHandle(kernel(), 0); h; h = KernelGetNextHandle(kernel(), h)) {
            uint16_t id = 0;
            OBJHANDLE t = 0;
            for (int32_t slot = 0; GetRef(kernel(), h, &id, &t, slot); ++slot) {
                EXPECT_EQ(IsOBJValid(kernel(), t), 1) << h << " -> " << t;
                EXPECT_EQ(IsRefValid(id), 1) << std::hex << id;
                if (id & REF_PAIRED) {
                    EXPECT_GE(FindReference(kernel(), t, uint16_t(id ^ 1), h), 0) << h << " -> " << t;
                }
            }
        }
    }
    // A point-set object with exactly these points, found by its points (the
    // kernel test renumbers handles).
    OBJHANDLE findByPoints(const Points &pts)
    {
        for (OBJHANDLE h : members(activeLayer(), REF_LAYER_MEMBER))
            if (points(h) == pts)
                return h;
        return 0;
    }
};

TEST_F(MapExpertTest, PolygonsAndPolylinesReport)
{
    const MAP_COORDPT a{0, 0}, b{100, 0}, c{100, 100};
    polygon({a, a, b, c, a});
    polygon({a, b, a});
    polyline({a});
    polyline({a, b, b, c});
    polygon({a, b, c});
    uint32_t problems = 0;
    std::string report;
    ASSERT_EQ(PolygonsPolylinesExpert(window, &report, &problems), 1);
    EXPECT_EQ(report, "POLYGONS/POLYLINES REPORT:\nNo. Polygons: 3.\nNo. removed polygones: 1.\n"
                      "No. corrected polygones: 1.\nNo. Polylines: 2.\nNo. removed polylines: 1.\n"
                      "No. corrected polylines: 1.\nPROBLEMS FOUND:\n"
                      "To few points in polygons, after corrections.\n"
                      "Zero-length segments in polygons noticed.\nTo few points in polylines.\n"
                      "Zero-length segments in polylines noticed.");
    EXPECT_EQ(problems, EXPERT_FEW_POLYGON_POINTS_AFTER | EXPERT_POLYGON_ZERO_SEGMENTS |
                            EXPERT_FEW_POLYLINE_POINTS | EXPERT_POLYLINE_ZERO_SEGMENTS);
    std::vector<Points> left;
    for (OBJHANDLE h : members(activeLayer(), REF_LAYER_MEMBER))
        left.push_back(points(h));
    EXPECT_EQ(left, (std::vector<Points>{{a, b, c}, {a, b, c}, {a, b, c}}));
    expectEveryReferenceChecks();
}

TEST_F(MapExpertTest, IdentifiersGroupsAndTexts)
{
    const OBJHANDLE used = polygon({{0, 0}, {10, 0}, {0, 10}});
    const OBJHANDLE gone = polygon({{50, 50}, {60, 50}, {50, 60}});
    ASSERT_EQ(map_object_id_Set(window, used, "A1", "first", 0, 0, 0), 1);
    ASSERT_EQ(map_object_id_Set(window, gone, "B2", "second", 0, 0, 0), 1);
    OBJectDelete(kernel(), gone); // leaves its identifier unused
    std::string report;
    ASSERT_EQ(IdentifiersExpert(window, &report), 1);
    EXPECT_EQ(report,
              "IDENTIFIRES REPORT:\nNo. Ids.: 2.\nNo. Text1: 0\nNo. Text2: 0\nDELETED:\nNo. Ids.: 1.");
    EXPECT_EQ(members(GetRootOBJKern(kernel(), rec.rootObject, CLASS_IDSLIST), REF_IDLIST_MEMBER).size(), 1u);

    const OBJHANDLE l1 = polyline({{0, 0}, {10, 0}}), l2 = polyline({{0, 5}, {10, 5}});
    OBJHANDLE full = 0;
    const OBJHANDLE pair[] = {l1, l2};
    ASSERT_EQ(map_group_Create(window, &full, pair, 2, 0), 1);
    const OBJHANDLE empty = ObjectCreateInActiveLayer(window, CLASS_GROUP);
    ASSERT_NE(empty, 0u);
    uint32_t problems = 0;
    ASSERT_EQ(GroupsExpert(window, &report, &problems), 1);
    EXPECT_EQ(
        report,
        "GROUPS REPORT:\nNo. Groups: 3.\nNo. unproper groups: 1.\nPROBLEMS FOUND:\nGroups without members.");
    EXPECT_EQ(problems, EXPERT_EMPTY_GROUPS);
    EXPECT_EQ(GetOBJectClassID(kernel(), full), CLASS_GROUP);
    EXPECT_EQ(GetOBJectClassID(kernel(), empty), 0);

    ASSERT_EQ(TextsExpert(window, EXPERT_TEXTS_RECALCULATE, &report, &problems), 1);
    EXPECT_EQ(report, "TEXTS REPORT:\nNo. Texts: 0.");
    EXPECT_EQ(TextsExpert(window, 4, &report, &problems), 0) << "no such mode";
    expectEveryReferenceChecks();
}

// Objects no root reaches are freed; one that links to a reachable object
// takes its link along, so the reachable one keeps no link to a freed one.
TEST_F(MapExpertTest, KernelFreesTheUnreachableInPairs)
{
    const Points kept{{0, 0}, {10, 0}, {0, 10}};
    const OBJHANDLE reachable = polygon(kept);
    const OBJHANDLE loose = CreateOBJect(kernel(), CLASS_POLYLINE);
    const OBJHANDLE holder = CreateOBJect(kernel(), CLASS_GROUP);
    ASSERT_NE(InsertRefInPos(kernel(), holder, REF_GROUP_MEMBER, reachable, -1, -1), OBJ_INVALID);
    ASSERT_NE(loose, 0u);
    polygon({{0, 0}, {100, 0}, {0, 100}});
    Undo_AddNew(kernel(), reachable);
    Undo_SetNewStep(window, kernel(), 2);
    std::string report;
    ASSERT_EQ(KernelExpert(window, &report), 1);
    EXPECT_EQ(report, "KERNEL REPORT:\nNo. of killed objects: 2.\nKernel compressed successfully");
    EXPECT_FALSE(Undo_HasUndoStep(kernel()));
    const OBJHANDLE now = findByPoints(kept);
    ASSERT_NE(now, 0u);
    EXPECT_EQ(members(now, REF_GROUP_PARENT).size(), 0u);
    expectEveryReferenceChecks();
    ASSERT_EQ(KernelExpert(window, &report), 1);
    EXPECT_EQ(report, "KERNEL REPORT:\nNo. of killed objects: 0.\nKernel compressed successfully");
}

TEST_F(MapExpertTest, ReferencesToFreedObjectsGo)
{
    const OBJHANDLE p = polygon({{0, 0}, {10, 0}, {0, 10}});
    const OBJHANDLE q = polygon({{50, 50}, {60, 50}, {50, 60}});
    // The block of q is freed under the layer's link to it.
    KillOBJect(kernel(), q);
    // A stray member of the layers root that is no layer.
    ASSERT_NE(InsertRefInPos(kernel(), layers(), REF_LAYER_MEMBER, p, -1, -1), OBJ_INVALID);
    std::string report;
    ASSERT_EQ(ReferencesExpert(window, &report), 1);
    EXPECT_EQ(report, "REFERENCES REPORT:\nNo. of corrected object: 0");
    EXPECT_EQ(members(activeLayer(), REF_LAYER_MEMBER), std::vector<OBJHANDLE>{p});
    for (OBJHANDLE l : members(layers(), REF_LAYER_MEMBER))
        EXPECT_EQ(GetOBJectClassID(kernel(), l), CLASS_LAYER);
    expectEveryReferenceChecks();
}

// The empty map's one group is its layer group, which the groups test
// keeps though it has no member.
TEST_F(MapExpertTest, AllTestsOnAnEmptyMap)
{
    std::string report;
    ASSERT_EQ(AllTestsExpert(window, &report), 1);
    EXPECT_EQ(report, "POLYGONS/POLYLINES REPORT:\nNo. Polygons: 0.\nNo. Polylines: 0.\n\n"
                      "IDENTIFIRES REPORT:\nNo. Ids.: 0.\nNo. Text1: 0\nNo. Text2: 0\n\n"
                      "TEXTS REPORT:\nNo. Texts: 0.\n\n"
                      "GROUPS REPORT:\nNo. Groups: 1.\n\n"
                      "KERNEL REPORT:\nNo. of killed objects: 0.\nKernel compressed successfully\n\n"
                      "BOUNDINGS REPORT:\nBounding Rectangles Propagated\n\n"
                      "DOUGHNUTS REPORT:\nNo. Non Doughnuts: 0.\nNo. Doughnuts & Unknown: 0.");
    // Many objects: the report is not cut.
    for (int i = 0; i < 300; ++i)
        polygon({{i, 0}, {i, 0}, {i + 10, 0}, {i, 10}});
    ASSERT_EQ(AllTestsExpert(window, &report), 1);
    EXPECT_NE(report.find("No. corrected polygones: 300."), std::string::npos);
    EXPECT_NE(report.find("DOUGHNUTS REPORT"), std::string::npos);
}

TEST_F(MapExpertTest, BoundsDoughnutsAndLayerFlags)
{
    const OBJHANDLE p = polygon({{0, 0}, {100, 0}, {0, 100}});
    MAP_COORDRECT wrong{5, 5, 6, 6};
    SendOBJectMessage(kernel(), p, p, 0, GRM_SETBOUNDRECT, 0, LPARAM(&wrong));
    SendOBJectMessage(kernel(), p, p, 0, GRM_SETFLAGS, GF_NOBRIDGE, GF_NOBRIDGE);
    polygon({{200, 200}, {300, 200}, {200, 300}});
    ASSERT_EQ(BoundExpert(window), 1);
    EXPECT_EQ(bound(p), (MAP_COORDRECT{0, 0, 100, 100}));
    MAP_COORDRECT layer{};
    SendOBJectMessage(kernel(), activeLayer(), activeLayer(), 0, GRM_GETBOUNDRECT, 0, LPARAM(&layer));
    EXPECT_EQ(layer, (MAP_COORDRECT{0, 0, 300, 300}));
    std::string report;
    ASSERT_EQ(DoghnutsExpert(window, &report), 1);
    EXPECT_EQ(report, "DOUGHNUTS REPORT:\nNo. Non Doughnuts: 1.\nNo. Doughnuts & Unknown: 1.");
    EXPECT_EQ(SendOBJectMessage(kernel(), p, p, 0, GRM_GETFLAGS, GF_NOBRIDGE, 0), 0);

    char *l = OBJectLock(kernel(), activeLayer());
    StoreField<uint16_t>(l, offsetof(Layer, attrMask), 0);
    ASSERT_EQ(LayersExpert(window, &report), 1);
    EXPECT_EQ(report, "LAYERS REPORT:\nNo of layers without flag for setting colour: 1 (were set)");
    EXPECT_EQ(LoadField<uint16_t>(OBJectLock(kernel(), activeLayer()), offsetof(Layer, attrMask)) & 8, 8);
}

TEST_F(MapExpertTest, SortingTheDrawingOrder)
{
    // Areas past 32 bits sort by their true size.
    const OBJHANDLE big = polygon({{0, 0}, {100000, 0}, {100000, 100000}});
    const OBJHANDLE small = polygon({{0, 0}, {10, 0}, {10, 10}});
    const OBJHANDLE middle = polygon({{0, 0}, {60000, 0}, {60000, 60000}});
    const OBJHANDLE line4 = polyline({{5, 5}, {6, 6}, {7, 7}, {8, 8}});
    SortData sort{window, 1, EXPERT_SORT_AREA};
    ASSERT_EQ(SortExpertInt(window, &sort), 1);
    EXPECT_EQ(members(activeLayer(), REF_LAYER_MEMBER), (std::vector<OBJHANDLE>{line4, small, middle, big}));
    sort = {window, 0, EXPERT_SORT_X};
    ASSERT_EQ(SortExpertInt(window, &sort), 1);
    EXPECT_EQ(members(activeLayer(), REF_LAYER_MEMBER).front(), big);
    sort = {window, 1, EXPERT_SORT_POINTS};
    ASSERT_EQ(SortExpertInt(window, &sort), 1);
    EXPECT_EQ(members(activeLayer(), REF_LAYER_MEMBER).back(), line4);
    expectEveryReferenceChecks();
    EXPECT_EQ(SortExpertInt(window, nullptr), 0);
    EXPECT_EQ(SortExpertInt(0, &sort), 0);
}

} // namespace
