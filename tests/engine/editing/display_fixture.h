// A small map window for the display tests: 64 x 48 pixels, one world unit
// per pixel (world = map, no projection), map (0, 48) at the top-left
// corner, an image context of the same size and helpers that make layers,
// polygons and polylines and read pixels back.
#pragma once

// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "tests/engine/window/window_fixture.h"

#include "engine/editing/display_pass.h"
#include "engine/editing/polygon_painters.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "platform/dc.h"

#include <QImage>

#include <algorithm>
#include <cstddef>
#include <vector>

struct LayerLook {
    COLORREF line = RGB(0, 0, 0);
    uint8_t style = 0;
    uint32_t width = 1;
    uint32_t fill = LAYER_NO_FILL; // colour, hatch index + 1 in the top byte
    uint16_t mask = GD_LINECOLOR | GD_LINESTYLE | GD_LINEWIDTH | GD_FILLCOLOR | GD_FILLPATTERN;
    uint8_t options = 0;
    int transparency = 0;
};

class DisplayTest : public AttachedMapWindowTest {
public:
    static constexpr int W = 64, H = 48;

protected:
    void SetUp() override
    {
        // The library's start-up loads the marker images (and registers the
        // classes, which the window fixture registers afresh).
        MapLibraryStartup();
        AttachedMapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        SetClientSize(window, W, H);
        SetUpViewOnly();
        image = QImage(W, H, QImage::Format_RGB32);
        image.fill(0xFFFFFFFFu);
        dc = CreateImageDC(&image);
    }
    // The view, the vertex bitmap and the roots of the record as it is now.
    void SetUpViewOnly()
    {
        PresentationManager *v = rec.displayView;
        v->scale = 1.0;
        v->inverseScale = 1.0;
        v->worldRect = MAP_COORDRECT{0, 0, W, H};
        v->displayRect = RECT{0, 0, W, H};
        v->clipFlag = 0;
        v->scaleDenominator = 5000;
        VertexBitmapResize(&rec, RECT{0, 0, W, H});
        layers = GetRootOBJKern(rec.kernel, rec.rootObject, CLASS_LAYERS);
        selection = GetRootOBJKern(rec.kernel, rec.rootObject, CLASS_SELLIST);
        showPage(false);
    }
    // The page's frame is drawn in black on its hidden layer; most tests
    // keep it out of their pixels.
    void showPage(bool shown)
    {
        if (char *p = OBJectLock(rec.kernel, GetPageLayer(window)))
            StoreField<uint8_t>(p, offsetof(Layer, visible), shown ? 1 : 0);
    }
    void TearDown() override
    {
        DeleteDC(dc);
        AttachedMapWindowTest::TearDown();
    }

    OBJHANDLE layer(const LayerLook &look = {}, int32_t number = -1)
    {
        const OBJHANDLE l = CreateLayerOBJect(rec.kernel, layers, number < 0 ? ++lastLayer : number, "L");
        EXPECT_NE(l, 0u);
        char *p = OBJectLock(rec.kernel, l);
        StoreField<COLORREF>(p, offsetof(Layer, lineColor), look.line);
        StoreField<uint8_t>(p, offsetof(Layer, lineStyle), look.style);
        StoreField<uint32_t>(p, offsetof(Layer, lineWidth), look.width);
        StoreField<uint32_t>(p, offsetof(Layer, fill), look.fill);
        StoreField<uint16_t>(p, offsetof(Layer, attrMask), look.mask);
        StoreField<uint8_t>(p, offsetof(Layer, lineOptions), look.options);
        LayerTrnsparencySet(rec.kernel, l, look.transparency);
        return l;
    }

    OBJHANDLE pointSet(uint16_t cls, const std::vector<MAP_COORDPT> &points, OBJHANDLE inLayer)
    {
        const OBJHANDLE h = CreateOBJect(rec.kernel, cls);
        EXPECT_NE(h, 0u);
        if (!points.empty())
            TransferOBJectData(rec.kernel, h, const_cast<MAP_COORDPT *>(points.data()),
                               uint32_t(points.size() * sizeof(MAP_COORDPT)), 1);
        char *p = OBJectLock(rec.kernel, h);
        StoreField<uint32_t>(p, PS_COUNT, uint32_t(points.size()));
        _COORDRECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const MAP_COORDPT &q : points)
            r = {std::min(r.x1, q.x), std::min(r.y1, q.y), std::max(r.x2, q.x), std::max(r.y2, q.y)};
        SendOBJectMessage(rec.kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
        if (inLayer)
            InsertLayerRef(rec.kernel, h, inLayer);
        return h;
    }
    OBJHANDLE polygon(const std::vector<MAP_COORDPT> &points, OBJHANDLE inLayer)
    {
        return pointSet(CLASS_POLYGON, points, inLayer);
    }
    OBJHANDLE polyline(const std::vector<MAP_COORDPT> &points, OBJHANDLE inLayer)
    {
        return pointSet(CLASS_POLYLINE, points, inLayer);
    }
    void select(OBJHANDLE h) { SetSelection(window, &h, 1, 1, 0); }

    // The window pixel of a map point.
    static POINT at(int32_t x, int32_t y) { return POINT{x, H - y}; }
    COLORREF pixel(int32_t mapX, int32_t mapY) const
    {
        const POINT p = at(mapX, mapY);
        return gdi::FromPixel(image.pixel(p.x, p.y));
    }
    int countColour(COLORREF c) const
    {
        int n = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                n += gdi::FromPixel(image.pixel(x, y)) == c;
        return n;
    }
    int countNotWhite() const { return W * H - countColour(RGB(255, 255, 255)); }
    int vertexBits() const
    {
        int n = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                n += VertexBitmapTest(&rec, x, y);
        return n;
    }
    std::vector<uint8_t> vertexBitmapCopy() const
    {
        return std::vector<uint8_t>(rec.vertexBits, rec.vertexBits + rec.vertexSize);
    }
    int runLayers(uint16_t mode = DM_MAP_OBJECTS)
    {
        return SetOfObjectsDisplay(&rec, dc, layers, mode, nullptr, nullptr, 0, 0);
    }
    int runSelection(uint16_t mode = DM_SELECTION)
    {
        return SetOfObjectsDisplay(&rec, dc, selection, mode, nullptr, nullptr, 0, 0);
    }

    QImage image;
    HDC dc = 0;
    OBJHANDLE layers = 0, selection = 0;
    int32_t lastLayer = 0;
};

inline const std::vector<MAP_COORDPT> kSquare{{10, 10}, {30, 10}, {30, 30}, {10, 30}};
