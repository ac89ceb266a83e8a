#include "engine/kernel/identifiers.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/window/window_children.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "tests/engine/window/window_functions_fixture.h"

#include <cstring>
#include <utility>

namespace {

using WindowChildrenTest = WindowFunctionsTest;

TEST_F(WindowChildrenTest, TypesOfObjects)
{
    const struct {
        uint16_t cls;
        int type;
    } cases[] = {{CLASS_POLYLINE, 1}, {CLASS_POLYGON, 2}, {CLASS_TEXT, 3},
                 {CLASS_LEGEND, 4},   {CLASS_BITMAP, 5},  {CLASS_NAIL, 7},
                 {CLASS_LAYER, 17},   {CLASS_GROUP, 33},  {CLASS_EXTRA, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(map_object_type_Get(window, make(c.cls)), c.type) << std::hex << c.cls;
    EXPECT_EQ(map_object_type_Get(window, layers), 0) << "the Layers root";
    EXPECT_EQ(map_object_type_Get(window, 0), 0);
    EXPECT_EQ(map_object_type_Get(HWND(0), layer), 0);
}

TEST_F(WindowChildrenTest, AddRefusesListsIntoLayersAndKeepsPlaces)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    const OBJHANDLE b = make(CLASS_POLYLINE, layer);
    const OBJHANDLE group = make(CLASS_GROUP);
    OBJHANDLE other = 0;
    other = CreateLayerOBJect(kernel, layers, -1, "Other");
    const OBJHANDLE c = make(CLASS_TEXT, other);
    const OBJHANDLE add[] = {b, group, 0, a, c};
    ASSERT_EQ(CHILDREN_Add(window, layer, add, 5, 0, 0), 1);
    EXPECT_EQ(children(layer, REF_LAYER_MEMBER), (std::vector<OBJHANDLE>{a, b, c}))
        << "the group is left out, a and b keep their places, c comes last";
    EXPECT_TRUE(children(other, REF_LAYER_MEMBER).empty()) << "c left its layer";

    // Replace empties the layer first.
    ASSERT_EQ(CHILDREN_Add(window, layer, &c, 1, 1, 0), 1);
    EXPECT_EQ(children(layer, REF_LAYER_MEMBER), (std::vector<OBJHANDLE>{c}));

    // Groups take groups and plain objects, never themselves or their parents.
    const OBJHANDLE inner = make(CLASS_GROUP);
    const OBJHANDLE intoGroup[] = {inner, a, layer, group};
    ASSERT_EQ(CHILDREN_Add(window, group, intoGroup, 4, 0, 0), 1);
    EXPECT_EQ(children(group, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{inner, a}));
    EXPECT_EQ(CHILDREN_Add(window, inner, &group, 1, 0, 0), 1);
    EXPECT_TRUE(children(inner, REF_GROUP_MEMBER).empty()) << "no loop of groups";

    // Aspects take groups only; other containers nothing.
    const OBJHANDLE intoAspect[] = {a, group};
    ASSERT_EQ(CHILDREN_Add(window, aspect, intoAspect, 2, 0, 0), 1);
    EXPECT_EQ(children(aspect, REF_GROUP_MEMBER).back(), group);
    EXPECT_EQ(CHILDREN_Add(window, layers, &a, 1, 0, 0), 0);
    EXPECT_EQ(CHILDREN_Add(window, a, &b, 1, 0, 0), 0);
    EXPECT_EQ(CHILDREN_Add(window, 0, &b, 1, 0, 0), 0);
    EXPECT_EQ(CHILDREN_Add(HWND(0), layer, &b, 1, 0, 0), 0);
}

TEST_F(WindowChildrenTest, GetCopiesToCapacityAndCountsAll)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    const OBJHANDLE b = make(CLASS_POLYLINE, layer);
    const OBJHANDLE group = make(CLASS_GROUP);
    const OBJHANDLE members[] = {a, b};
    CHILDREN_Add(window, group, members, 2, 0, 0);
    CHILDREN_Add(window, aspect, &group, 1, 0, 0);

    int32_t count = -1;
    OBJHANDLE out[2] = {};
    EXPECT_EQ(CHILDREN_Get(window, layer, &count, nullptr, 10, 0), 0) << "null array with a capacity";
    EXPECT_EQ(count, 2);
    EXPECT_EQ(CHILDREN_Get(window, layer, &count, out, 1, 0), 1);
    EXPECT_EQ(out[0], a);
    EXPECT_EQ(out[1], 0u);
    EXPECT_EQ(CHILDREN_Get(window, layer, nullptr, out, 0x7FFFFFFF, 0), 2) << "capacity beyond the count";
    EXPECT_EQ(CHILDREN_Get(window, a, &count, out, 2, 0), 0);

    OBJHANDLE groupsOut[4] = {};
    int32_t groupsCount = 0;
    EXPECT_EQ(map_groups_Get(window, &groupsCount, groupsOut, 4), groupsCount);
    EXPECT_EQ(groupsOut[groupsCount - 1], group);
    EXPECT_EQ(map_group_Get(window, group, &count, out, 2, 1), 2);
    EXPECT_EQ(map_group_Get(window, layer, &count, out, 2, 1), 0);
}

TEST_F(WindowChildrenTest, IdentifiedObjectsStandForTheirIdentifiers)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    const OBJHANDLE b = make(CLASS_POLYGON, layer);
    ASSERT_NE(SetID(kernel, 0, 0, 0, window, a, "A1", "Alpha", 0, 0, nullptr, 0), 0u);
    ASSERT_NE(SetID(kernel, 0, 0, 0, window, b, "B2", "Beta", 0, 0, nullptr, 0), 0u);
    int32_t count = 0;
    OBJHANDLE out[1] = {};
    EXPECT_EQ(map_identified_Get(window, &count, out, 1), 2);
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(out[0] == a || out[0] == b);
    EXPECT_EQ(map_identified_Get(window, &count, nullptr, 0), 0);
    EXPECT_EQ(map_id_Search(window, "B2", "Beta"), b);

    // Identifier texts are cut to size - 2 characters.
    const struct {
        int32_t size;
        const char *text;
    } cuts[] = {{5, "A1"}, {3, "A"}, {2, ""}, {1, ""}};
    ASSERT_NE(SetID(kernel, 0, 0, 0, window, a, "ABCDEFG", "Alpha", 0, 0, nullptr, 0), 0u);
    for (const auto &c : cuts) {
        char code[8];
        std::memset(code, 'x', sizeof code);
        EXPECT_EQ(map_object_id_Get(window, a, code, c.size, nullptr, 0, nullptr, nullptr), 1);
        EXPECT_STREQ(code, std::string("ABCDEFG").substr(0, c.size >= 2 ? c.size - 2 : 0).c_str());
        EXPECT_EQ(code[c.size], 'x');
    }
    char name[40];
    OBJHANDLE t1 = 1, t2 = 1;
    EXPECT_EQ(map_object_id_Get(window, a, nullptr, 0, name, sizeof name, &t1, &t2), 1);
    EXPECT_STREQ(name, "Alpha");
    EXPECT_EQ(map_object_id_Get(window, make(CLASS_POLYGON, layer), name, sizeof name, nullptr, 0, nullptr,
                                nullptr),
              0);
    EXPECT_STREQ(name, "") << "buffers are cleared first";
}

TEST_F(WindowChildrenTest, GroupsAreMadeFilledAndDissolved)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    const OBJHANDLE b = make(CLASS_POLYLINE, layer);
    OBJHANDLE group = 7;
    EXPECT_EQ(map_group_Create(window, &group, nullptr, 0, 0), 0);
    EXPECT_EQ(group, 0u);
    const OBJHANDLE members[] = {a, b};
    ASSERT_EQ(map_group_Create(window, &group, members, 2, 0), 1);
    ASSERT_NE(group, 0u);
    EXPECT_EQ(map_object_group_Get(window, a), group);
    EXPECT_EQ(children(aspect, REF_GROUP_MEMBER).back(), group);

    const OBJHANDLE c = make(CLASS_TEXT, layer);
    EXPECT_EQ(map_group_Set(window, group, &c, 1, 1, 0), 1);
    EXPECT_EQ(children(group, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{c}));
    EXPECT_EQ(map_object_group_Get(window, a), 0u);
    EXPECT_EQ(map_group_Set(window, a, &c, 1, 0, 0), 0) << "not a group";

    EXPECT_EQ(map_objects_Ungroup(window, &c, 1, 0), 1);
    EXPECT_TRUE(children(group, REF_GROUP_MEMBER).empty());
    EXPECT_EQ(map_objects_Ungroup(window, nullptr, 1, 0), 0);
    EXPECT_EQ(map_objects_Ungroup(HWND(0), &c, 1, 0), 0);
}

TEST_F(WindowChildrenTest, SelectionAddsReplacesAndKeepsItsLook)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    const OBJHANDLE b = make(CLASS_POLYLINE, layer);
    ASSERT_EQ(map_selection_Set(window, &a, 1, 3, 0x0000FF, 2, 4, 1, 0, 6, 1, 0), 1);
    ASSERT_EQ(map_selection_Set(window, &b, 1, 5, 0xFFFFFFFF, -1, -1, -1, 0, -1, 0, 0), 1);
    int32_t count = 0;
    OBJHANDLE out[4] = {};
    uint8_t flags = 0;
    COLORREF colour = 0;
    int32_t style = 0, width = 0, nodes = 0, cursor = -1;
    uint16_t radius = 0;
    MAP_COORDRECT bounds{};
    EXPECT_EQ(map_selection_Get(window, &count, out, 4, &flags, &colour, &style, &width, &nodes, &cursor,
                                &radius, &bounds, 0),
              2)
        << "replace 0 adds";
    EXPECT_EQ(out[0], a);
    EXPECT_EQ(out[1], b);
    EXPECT_EQ(flags, 5);
    EXPECT_EQ(colour, 0x0000FFu);
    EXPECT_EQ(style, 2);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(nodes, 0) << "negative show-nodes is 0";
    EXPECT_EQ(radius, 6);

    EXPECT_EQ(map_IsInSelection(&rec, a), 1);
    EXPECT_EQ(map_RemoveFromSel(&rec, a), 1);
    EXPECT_EQ(map_IsInSelection(&rec, a), 0);
    EXPECT_EQ(map_AddToSel(&rec, a), 1);
    EXPECT_EQ(map_IsInSelection(&rec, a), 1);
    EXPECT_EQ(map_objects_Unselect(window, &b, 1, 0), 1);
    EXPECT_EQ(map_IsInSelection(&rec, b), 0);

    ASSERT_EQ(map_selection_Set(window, &b, 1, 0, 0xFFFFFFFF, -1, -1, 0, 0, -1, 1, 0), 1);
    EXPECT_EQ(map_selection_Get(window, &count, out, 4, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, 0),
              1);
    EXPECT_EQ(out[0], b) << "replace 1 replaces";
    EXPECT_EQ(map_selection_Clear(window, 0), 1);
    EXPECT_EQ(map_selection_Get(window, &count, out, 4, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, 0),
              0);

    EXPECT_EQ(map_IsInSelection(nullptr, a), 0);
    EXPECT_EQ(map_AddToSel(nullptr, a), 0);
    EXPECT_EQ(map_RemoveFromSel(&rec, 0), 0);
    EXPECT_EQ(map_selection_Set(HWND(0), &a, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(map_selection_Clear(HWND(0), 0), 0);
}

TEST_F(WindowChildrenTest, SelectedGroupCoversItsMembers)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    const OBJHANDLE b = make(CLASS_POLYLINE, layer);
    const OBJHANDLE members[] = {a, b};
    OBJHANDLE group = 0;
    ASSERT_EQ(map_group_Create(window, &group, members, 2, 0), 1);
    EXPECT_EQ(map_object_selection_Get(window, a), 0);
    ASSERT_EQ(map_selection_Set(window, &group, 1, 0, 0xFFFFFFFF, -1, -1, 0, 0, -1, 1, 0), 1);
    EXPECT_EQ(map_object_selection_Get(window, group), 1);
    EXPECT_EQ(map_object_selection_Get(window, a), 1);
    EXPECT_EQ(map_object_selection_Get(window, make(CLASS_POLYGON, layer)), 0);
}

TEST_F(WindowChildrenTest, VertexModesClearTheVertexBitmap)
{
    VertexBitmapResize(&rec, RECT{0, 0, 400, 300});
    for (int32_t mode : {-1, 1}) {
        ASSERT_EQ(VertexBitmapMark(&rec, 3, 4), 1);
        ASSERT_EQ(map_selection_Set(window, nullptr, 0, 0, 0xFFFFFFFF, -1, -1, 0, 0, -1, 0, 0), 1);
        EXPECT_EQ(VertexBitmapTest(&rec, 3, 4), 1) << "mode 0 leaves it";
        ASSERT_EQ(map_selection_Set(window, nullptr, 0, 0, 0xFFFFFFFF, -1, -1, 0, mode, -1, 0, 0), 1);
        EXPECT_EQ(VertexBitmapTest(&rec, 3, 4), 0) << "mode " << mode;
    }
}

// With a notification target, moves between layers and groups and
// selection changes send their codes with the whole handle.
TEST_F(WindowChildrenTest, NotificationsCarryFullHandles)
{
    std::vector<std::pair<WPARAM, LPARAM>> seen;
    const UINT message = 0x8123;
    const HWND target = CreateHeadlessWindow([&](HWND, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == message)
            seen.emplace_back(w, l);
        return 0;
    });
    map_notification_Set(window, target, message);
    OBJHANDLE object = 0;
    while (object <= 0xFFFF)
        object = CreateOBJect(kernel, CLASS_POLYGON);
    ASSERT_NE(InsertLayerRef(kernel, object, layer), OBJ_INVALID);
    const OBJHANDLE other = CreateLayerOBJect(kernel, layers, -1, "Other");
    seen.clear();
    ASSERT_EQ(CHILDREN_Add(window, other, &object, 1, 0, 0), 1);
    EXPECT_EQ(seen, (std::vector<std::pair<WPARAM, LPARAM>>{{MAPNC_TAKEN_FROM, LPARAM(object)},
                                                            {MAPNC_PUT_INTO, LPARAM(object)}}));
    seen.clear();
    ASSERT_EQ(map_selection_Set(window, &object, 1, 0, 0xFFFFFFFF, -1, -1, 0, 0, -1, 1, 0), 1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), (std::pair<WPARAM, LPARAM>{MAPNC_SELECTION, LPARAM(object)}));
    map_notification_Set(window, 0, 0);
    DestroyWindow(target);
}

} // namespace
