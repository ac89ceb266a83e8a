// The vertex and containment searches with their cycling through stacked
// objects, and snapping through the vertex bitmap.
#include "engine/editing/hit_tests.h"

#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/references.h"
#include "engine/kernel/object_store.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "tests/engine/editing/editing_fixture.h"

#include <cstddef>

namespace {

class HitTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        showWorld({0, 0, 4000, 3000});
        layers = GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS);
        ASSERT_NE(layers, 0u);
    }
    POINT pixelOf(MAP_COORDPT m)
    {
        POINT w{};
        EXPECT_EQ(PM_MapToWindow(rec.displayView, &m, &w, 1), 1);
        return w;
    }
    // The object the vertex search finds at the map point's pixel, 0 for none.
    OBJHANDLE vertexAt(MAP_COORDPT m, int flag = 0, MAP_COORDPT *found = nullptr)
    {
        OBJHANDLE set = layers, object = 0;
        int32_t index = 7;
        const POINT p = pixelOf(m);
        MAP_COORDPT at{};
        const int hit =
            SetOfObjectsFindVertex(kernel(), &set, rec.displayView, &p, &at, &object, &index, flag);
        EXPECT_EQ(hit != 0, index >= 0);
        if (found)
            *found = at;
        return hit ? object : 0;
    }
    OBJHANDLE insideAt(MAP_COORDPT m, int flag = 0)
    {
        OBJHANDLE set = layers, object = 0;
        int32_t index = 7;
        return SetOfObjectsFindInsidePoint(kernel(), &set, &m, &object, &index, flag) ? object : 0;
    }
    void select(OBJHANDLE h, MAP_COORDPT at)
    {
        SetOfObjectsUnSelect(window, layers);
        ASSERT_EQ(SetOfObjectsSelectObject(window, layers, h, at.x, at.y, 0), 1);
    }
    void setSelectable(OBJHANDLE layer, uint8_t value)
    {
        char *p = OBJectLock(kernel(), layer);
        ASSERT_NE(p, nullptr);
        StoreField(p, offsetof(Layer, selectable), value);
    }

    OBJHANDLE layers = 0;
};

TEST_F(HitTest, SharedVertexAlternatesBetweenItsPolygons)
{
    const MAP_COORDPT shared{1000, 1000};
    const OBJHANDLE first = polygon({{0, 0}, shared, {0, 1000}});
    const OBJHANDLE second = polygon({shared, {2000, 1000}, {2000, 0}});

    MAP_COORDPT found{};
    EXPECT_EQ(vertexAt(shared, 0, &found), first);
    EXPECT_EQ(found, shared);
    select(first, shared);
    EXPECT_EQ(vertexAt(shared), second);
    select(second, shared);
    EXPECT_EQ(vertexAt(shared), first);
    // With the flag the selected object itself is examined first.
    EXPECT_EQ(vertexAt(shared, 1), second);
    // A single selected object is found again without the flag too.
    EXPECT_EQ(vertexAt({2000, 1000}), second);
}

TEST_F(HitTest, VertexSearchOutputsAndMisses)
{
    const OBJHANDLE line = polyline({{100, 100}, {3000, 2000}});
    const OBJHANDLE layer = GetActiveLayer(kernel(), layers);
    OBJHANDLE set = layers, object = line;
    int32_t index = 5;
    POINT p = pixelOf({3000, 2000});
    MAP_COORDPT at{};
    ASSERT_EQ(SetOfObjectsFindVertex(kernel(), &set, rec.displayView, &p, &at, &object, &index, 0), 1);
    EXPECT_EQ(object, line);
    EXPECT_EQ(set, layer); // the list holding the object
    EXPECT_EQ(GetNthReferenced(kernel(), layers, index), layer);

    // Off the pick radius (3 pixels) nothing; the outputs say so.
    set = layers;
    p.x += 4;
    EXPECT_EQ(SetOfObjectsFindVertex(kernel(), &set, rec.displayView, &p, &at, &object, &index, 0), 0);
    EXPECT_EQ(object, 0u);
    EXPECT_EQ(index, -1);
    // Bad arguments: no set, a set that is no list, no view.
    OBJHANDLE none = 0, notList = line;
    EXPECT_EQ(SetOfObjectsFindVertex(kernel(), &none, rec.displayView, &p, &at, &object, &index, 0), 0);
    EXPECT_EQ(SetOfObjectsFindVertex(kernel(), &notList, rec.displayView, &p, &at, &object, &index, 0), 0);
    EXPECT_EQ(SetOfObjectsFindVertex(kernel(), &set, nullptr, &p, &at, &object, &index, 0), 0);
    EXPECT_EQ(index, -1);
}

TEST_F(HitTest, ContainmentFindsAreasNotLines)
{
    const OBJHANDLE area = polygon({{0, 0}, {2000, 0}, {2000, 2000}, {0, 2000}});
    polyline({{0, 1000}, {2000, 1000}});
    EXPECT_EQ(insideAt({1000, 1000}), area);
    EXPECT_EQ(insideAt({500, 1000}), area); // on the polyline: still the polygon
    EXPECT_EQ(insideAt({3000, 1000}), 0u);

    OBJHANDLE set = layers, object = 0;
    int32_t index = 3;
    const MAP_COORDPT p{1000, 1000};
    EXPECT_EQ(SetOfObjectsFindInsidePoint_2(kernel(), &set, &p, &object, &index), 1);
    EXPECT_EQ(object, area);
    set = layers;
    const MAP_COORDPT out{5000, 1000};
    EXPECT_EQ(SetOfObjectsFindInsidePoint_2(kernel(), &set, &out, &object, &index), 0);
    EXPECT_EQ(index, -1);
}

TEST_F(HitTest, StackedAreasCycleOnRepeatedClicks)
{
    const OBJHANDLE lower = polygon({{0, 0}, {2000, 0}, {2000, 2000}, {0, 2000}});
    const OBJHANDLE upper = polygon({{500, 500}, {1500, 500}, {1500, 1500}, {500, 1500}});
    const MAP_COORDPT p{1000, 1000};
    EXPECT_EQ(insideAt(p), lower);
    select(lower, p);
    EXPECT_EQ(insideAt(p), upper);
    select(upper, p);
    EXPECT_EQ(insideAt(p), lower);
    EXPECT_EQ(insideAt(p, 1), upper);
}

TEST_F(HitTest, LayerThatIsNotSelectableIsSkipped)
{
    const OBJHANDLE area = polygon({{0, 0}, {2000, 0}, {2000, 2000}, {0, 2000}});
    setSelectable(GetActiveLayer(kernel(), layers), 0);
    EXPECT_EQ(insideAt({1000, 1000}), 0u);
    EXPECT_EQ(vertexAt({2000, 2000}), 0u);
    OBJHANDLE set = layers, object = 0;
    int32_t index = 0;
    const MAP_COORDPT p{1000, 1000};
    EXPECT_EQ(SetOfObjectsFindInsidePoint_2(kernel(), &set, &p, &object, &index), 0);
    setSelectable(GetActiveLayer(kernel(), layers), 1);
    EXPECT_EQ(insideAt({1000, 1000}), area);
}

TEST_F(HitTest, SnappingGoesThroughTheVertexBitmap)
{
    const MAP_COORDPT vertex{1000, 1000};
    const OBJHANDLE line = polyline({vertex, {3000, 2000}});
    const POINT drawn = pixelOf(vertex);
    ASSERT_NE(rec.vertexBits, nullptr);
    ASSERT_EQ(VertexBitmapMark(&rec, drawn.x, drawn.y), 1);

    MAP_COORDPT at{};
    OBJHANDLE object = 99;
    // Within the default two pixels of the drawn vertex.
    EXPECT_EQ(FindSnappingPoint(window, {drawn.x + 2, drawn.y - 2}, &at, &object), 1);
    EXPECT_EQ(object, line);
    EXPECT_EQ(at, vertex);
    EXPECT_EQ(FindSnappingPoint(window, {drawn.x + 3, drawn.y}, &at, &object), 0);
    EXPECT_EQ(object, 0u);

    // A huge "Sensible Region Radius" scans at most 32 pixels round.
    rec.gui->pickRadius = 100000;
    EXPECT_EQ(FindSnappingPoint(window, {drawn.x + 32, drawn.y}, &at, &object), 1);
    EXPECT_EQ(FindSnappingPoint(window, {drawn.x + 33, drawn.y}, &at, &object), 0);
    rec.gui->pickRadius = -5; // a damaged value scans the pixel only
    EXPECT_EQ(FindSnappingPoint(window, drawn, &at, &object), 1);
    EXPECT_EQ(FindSnappingPoint(window, {drawn.x + 1, drawn.y}, &at, &object), 0);
    rec.gui->pickRadius = 2;

    // "Change Selection Cursor" off: no snapping even on the vertex.
    rec.gui->noSelectionCursor = 1;
    EXPECT_EQ(FindSnappingPoint(window, drawn, &at, &object), 0);
    EXPECT_EQ(object, 0u);
    rec.gui->noSelectionCursor = 0;
    EXPECT_EQ(FindSnappingPoint(0, drawn, &at, &object), 0);
}

} // namespace
