#include "engine/window/window_children.h"
#include "engine/window/window_layers.h"
#include "tests/engine/window/window_functions_fixture.h"

#include <cstring>
#include <string>

namespace {

using WindowLayersTest = WindowFunctionsTest;

OBJHANDLE newLayer(HWND window, int32_t number, const char *name,
                   uint16_t display = LDF_VISIBLE | LDF_SELECTABLE)
{
    OBJHANDLE l = 0;
    EXPECT_EQ(map_layer_Create(window, &l, nullptr, 0, number, name, 0xFFFFFFFF, -1, -1, -1, display,
                               LAYER_FLAGS_KEEP, 0),
              1);
    return l;
}

TEST_F(WindowLayersTest, CreateTakesTheNextNumberKeepsThePageLayerLastAndJoinsTheLayerGroupRoot)
{
    const int32_t before = map_get_MaxLayNumber(window);
    const OBJHANDLE l = newLayer(window, -1, "Roads");
    ASSERT_NE(l, 0u);
    int32_t number = -5;
    char name[8];
    ASSERT_EQ(map_layer_Get(window, l, nullptr, nullptr, 0, &number, name, sizeof name, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(number, before + 1);
    EXPECT_EQ(map_get_MaxLayNumber(window), before + 1);
    EXPECT_STREQ(name, "Roads");

    int32_t count = 0;
    OBJHANDLE order[16] = {};
    const int32_t copied = map_layers_Get(window, &count, order, 16);
    ASSERT_EQ(copied, count);
    EXPECT_TRUE(IsPageLayer(kernel, order[count - 1])) << "the page layer stays last";
    EXPECT_EQ(order[count - 2], l);
    EXPECT_NE(GroupParentGet(kernel, l), 0u) << "a new layer hangs under the layer-group root";

    // A taken number becomes the next free one as well.
    const OBJHANDLE again = newLayer(window, number, "Other");
    int32_t second = 0;
    map_layer_Get(window, again, nullptr, nullptr, 0, &second, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr);
    EXPECT_EQ(second, number + 1);
}

TEST_F(WindowLayersTest, LookFlagsAndNamesRoundTrip)
{
    const std::string longName(60, 'n');
    OBJHANDLE l = 0;
    ASSERT_EQ(map_layer_Create(window, &l, nullptr, 0, 40, longName.c_str(), 0x123456, 0x00FF00, 3, 7,
                               LDF_VISIBLE | LDF_PREVIEW | LDF_ACTIVE, 1 | 4, 0),
              1);
    struct Read {
        int32_t number;
        char name[64];
        COLORREF colour;
        int32_t fill, style, width;
        uint16_t display, flags;
    } r{};
    map_layer_Get(window, l, nullptr, nullptr, 0, &r.number, r.name, sizeof r.name, &r.colour, &r.fill,
                  &r.style, &r.width, &r.display, &r.flags);
    EXPECT_EQ(std::strlen(r.name), LAYER_NAME_SIZE - 1) << "a long name is cut to its field";
    EXPECT_EQ(r.colour, 0x123456u);
    EXPECT_EQ(r.fill, 0x00FF00);
    EXPECT_EQ(r.style, 3);
    EXPECT_EQ(r.width, 7);
    EXPECT_EQ(r.display, LDF_VISIBLE | LDF_PREVIEW | LDF_ACTIVE);
    EXPECT_EQ(r.flags, 1 | 4);
    // Each given attribute sets its mask bit; flag bits 1 and 4 set 32 and 64.
    StoreField<uint16_t>(OBJectLock(kernel, l), offsetof(Layer, attrMask), 0);
    map_layer_Set(window, l, nullptr, 0, -1, nullptr, 0x123456, 0x00FF00, -1, -1,
                  LDF_KEEP_VISIBLE | LDF_KEEP_SELECTABLE | LDF_PREVIEW, 1 | 4, 0, 0);
    EXPECT_EQ(LoadField<uint16_t>(OBJectLock(kernel, l), offsetof(Layer, attrMask)), 1 | 8 | 32 | 64);

    // No fill reads back as display bit 128; 65535 keeps the layer flags;
    // 2048 keeps visibility and selectability and clears the preview.
    ASSERT_EQ(map_layer_Set(window, l, nullptr, 0, -1, nullptr, 0xFFFFFFFF, 5, -1, -1, LDF_OWN_STATE | 0,
                            LAYER_FLAGS_KEEP, 0, 0),
              1);
    ASSERT_EQ(map_layer_Set(window, l, nullptr, 0, -1, nullptr, 0xFFFFFFFF, -1, -1, -1, LDF_OWN_STATE,
                            LAYER_FLAGS_KEEP, 0, 0),
              1);
    map_layer_Get(window, l, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, &r.fill, nullptr, nullptr,
                  &r.display, &r.flags);
    EXPECT_EQ(r.display, LDF_VISIBLE | LDF_ACTIVE) << "preview cleared, active layer as it was";
    EXPECT_EQ(r.fill, 5);
    EXPECT_EQ(r.flags, 1 | 4);
    map_layer_Set(window, l, nullptr, 0, -1, nullptr, 0xFFFFFFFF, 9, -1, -1, LDF_NO_FILL | LDF_KEEP_VISIBLE,
                  0, 0, 0);
    map_layer_Get(window, l, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, &r.fill, nullptr, nullptr,
                  &r.display, &r.flags);
    EXPECT_EQ(r.fill, -1);
    EXPECT_EQ(r.display, LDF_VISIBLE | LDF_ACTIVE | LDF_NO_FILL);
    EXPECT_EQ(r.flags, 0);
}

TEST_F(WindowLayersTest, NameBuffersOfSizesZeroToTwoStayInside)
{
    const OBJHANDLE l = newLayer(window, 7, "Water");
    for (uint16_t size : {0, 1, 2}) {
        char buffer[4] = {'x', 'x', 'x', 'x'};
        map_layer_Get(window, l, nullptr, nullptr, 0, nullptr, buffer, size, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr);
        if (size > 0) {
            EXPECT_EQ(buffer[size - 1], '\0');
            EXPECT_EQ(std::strlen(buffer), size_t(size - 1));
        }
        EXPECT_EQ(buffer[size], 'x') << "size " << size;
    }
}

TEST_F(WindowLayersTest, SetWithNullTakesTheActiveLayerAndChildrenJoin)
{
    const OBJHANDLE a = make(CLASS_POLYLINE);
    const OBJHANDLE b = make(CLASS_POLYGON);
    const OBJHANDLE objects[] = {a, b};
    ASSERT_EQ(map_layer_Set(window, 0, objects, 2, -1, nullptr, 0xFFFFFFFF, -1, -1, -1, LDF_OWN_STATE,
                            LAYER_FLAGS_KEEP, 0, 0),
              1);
    int32_t count = 0;
    OBJHANDLE got[4] = {};
    EXPECT_EQ(map_layer_Get(window, layer, &count, got, 4, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr),
              2);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(got[0], a);
    EXPECT_EQ(got[1], b);
    EXPECT_EQ(SendOBJectMessage(kernel, layer, layer, 0, GRM_GETFLAGS, 4, 0), 4)
        << "the layer's flag 4 is set again";
}

TEST_F(WindowLayersTest, SearchFindsByNumberAndName)
{
    const OBJHANDLE a = newLayer(window, 11, "Alpha");
    const OBJHANDLE b = newLayer(window, 12, "Beta");
    EXPECT_EQ(map_layer_Search(window, 12, nullptr), b);
    EXPECT_EQ(map_layer_Search(window, -1, "Alpha"), a);
    EXPECT_EQ(map_layer_Search(window, 11, "Beta"), 0u);
    EXPECT_EQ(map_layer_Search(window, -1, nullptr), layer) << "both open: the active layer";
    EXPECT_EQ(map_layer_Search(HWND(0), 11, nullptr), 0u);
}

// The predecessor moves the layer right after it. (An older form put it one
// place further when it stood before the predecessor: [A, L, B, P, C] gave
// [A, B, P, C, L]; that breaks the contract of the call.)
TEST_F(WindowLayersTest, PredecessorPutsTheLayerRightAfterIt)
{
    // Order without the first layer and the page layer: A L B P C.
    const OBJHANDLE A = newLayer(window, 1, "A"), L = newLayer(window, 2, "L"), B = newLayer(window, 3, "B"),
                    P = newLayer(window, 4, "P"), C = newLayer(window, 5, "C");
    const OBJHANDLE first = layer;
    auto order = [&] {
        std::vector<OBJHANDLE> all = children(layers, REF_LAYER_MEMBER);
        EXPECT_TRUE(IsPageLayer(kernel, all.back()));
        all.pop_back();
        return all;
    };
    ASSERT_EQ(order(), (std::vector<OBJHANDLE>{first, A, L, B, P, C}));
    EXPECT_EQ(map_layer_predecessor_Set(window, L, P), 4);
    EXPECT_EQ(order(), (std::vector<OBJHANDLE>{first, A, B, P, L, C}));
    // Standing after the predecessor: [first, A, P, L, B, C] with B -> A.
    EXPECT_EQ(map_layer_predecessor_Set(window, B, A), 2);
    EXPECT_EQ(order(), (std::vector<OBJHANDLE>{first, A, B, P, L, C}));
    EXPECT_EQ(map_layer_predecessor_Set(window, C, C), 5) << "its own predecessor: stays";
    EXPECT_EQ(map_layer_predecessor_Set(window, C, first), 1);
    EXPECT_EQ(order(), (std::vector<OBJHANDLE>{first, C, A, B, P, L}));
    EXPECT_EQ(GetActiveLayer(kernel, layers), first) << "the active layer stays";

    const OBJHANDLE page = children(layers, REF_LAYER_MEMBER).back();
    EXPECT_EQ(map_layer_predecessor_Set(window, A, page), -1);
    EXPECT_EQ(map_layer_predecessor_Set(window, page, A), -1);
    EXPECT_EQ(map_layer_predecessor_Set(window, A, make(CLASS_POLYGON, layer)), -1);
    EXPECT_EQ(map_layer_predecessor_Set(window, A, 0), -1);
    EXPECT_EQ(map_layer_predecessor_Set(HWND(0), A, B), -1);
    EXPECT_EQ(order(), (std::vector<OBJHANDLE>{first, C, A, B, P, L}));
}

TEST_F(WindowLayersTest, BadHandlesFailAndChangeNothing)
{
    const OBJHANDLE polygon = make(CLASS_POLYGON, layer);
    const OBJHANDLE freed = make(CLASS_LAYER);
    OBJectDelete(kernel, freed);
    for (OBJHANDLE bad : {polygon, freed, OBJHANDLE(0x7FFFFFF0)}) {
        EXPECT_EQ(map_layer_Set(window, bad, nullptr, 0, 3, "x", 1, 1, 1, 1, 0, 0, 0, 0), 0);
        EXPECT_EQ(map_layer_Get(window, bad, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr),
                  0);
    }
    OBJHANDLE out = 5;
    EXPECT_EQ(map_layer_Create(HWND(0), &out, nullptr, 0, 1, "x", 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(map_get_MaxLayNumber(HWND(0)), 0);
    EXPECT_EQ(map_layers_Get(HWND(0), nullptr, nullptr, 0), 0);
}

} // namespace
