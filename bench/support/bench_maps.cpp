#include "bench/support/bench_maps.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>

HWND OpenBenchMapWindow(_WNDRES *rec, int width, int height, int attachFlags)
{
    MapLibraryStartup();
    ClearClassTable();
    InitGraphClasses(0);
    WndRes_Constructor(rec);
    const HWND window = CreateHeadlessWindow(nullptr);
    SetClientSize(window, width, height);
    WndRes_AttachToWindow(rec, window, attachFlags);
    return window;
}

void ShowBenchWorld(_WNDRES *rec, const MAP_COORDRECT &world, int width, int height)
{
    PresentationManager *v = rec->displayView;
    v->scale = double(width) / (world.x2 - world.x1);
    v->inverseScale = 1.0 / v->scale;
    v->worldRect = world;
    v->displayRect = RECT{0, 0, width, height};
    v->clipFlag = 0;
    v->scaleDenominator = 5000;
    VertexBitmapResize(rec, RECT{0, 0, width, height});
}

namespace {

OBJHANDLE addLayer(OBJectKernel *kernel, OBJHANDLE root, int number, const BenchLayerLook &look)
{
    const OBJHANDLE l = CreateLayerOBJect(kernel, root, number, "bench");
    char *p = OBJectLock(kernel, l);
    StoreField<COLORREF>(p, offsetof(Layer, lineColor), look.line);
    StoreField<uint8_t>(p, offsetof(Layer, lineStyle), uint8_t(look.style));
    StoreField<uint32_t>(p, offsetof(Layer, lineWidth), uint32_t(look.width));
    StoreField<uint32_t>(p, offsetof(Layer, fill), look.fill);
    StoreField<uint16_t>(p, offsetof(Layer, attrMask), uint16_t(0x1F));
    LayerTrnsparencySet(kernel, l, look.transparency);
    return l;
}

} // namespace

BenchLayers AddBenchLayers(_WNDRES *rec, std::span<const BenchLayerLook> lineLooks,
                           std::span<const BenchLayerLook> areaLooks)
{
    OBJectKernel *k = rec->kernel;
    const OBJHANDLE root = GetRootOBJKern(k, rec->rootObject, CLASS_LAYERS);
    BenchLayers layers;
    int number = 0;
    for (const BenchLayerLook &look : lineLooks)
        layers.lines.push_back(addLayer(k, root, ++number, look));
    for (const BenchLayerLook &look : areaLooks)
        layers.areas.push_back(addLayer(k, root, ++number, look));
    return layers;
}

OBJHANDLE AddBenchObject(OBJectKernel *kernel, uint16_t cls, std::vector<MAP_COORDPT> &points,
                         OBJHANDLE layer)
{
    const OBJHANDLE h = CreateOBJect(kernel, cls);
    TransferOBJectData(kernel, h, points.data(), uint32_t(points.size() * sizeof(MAP_COORDPT)), 1);
    StoreField<uint32_t>(OBJectLock(kernel, h), PS_COUNT, uint32_t(points.size()));
    _COORDRECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const MAP_COORDPT &q : points)
        r = {std::min(r.x1, q.x), std::min(r.y1, q.y), std::max(r.x2, q.x), std::max(r.y2, q.y)};
    SendOBJectMessage(kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
    InsertLayerRef(kernel, h, layer);
    return h;
}

void RandomWalk(std::vector<MAP_COORDPT> &points, MAP_COORDPT start, int steps,
                const std::function<int()> &step)
{
    points.clear();
    MAP_COORDPT p = start;
    points.push_back(p);
    for (int s = 0; s < steps; ++s) {
        p = {p.x + step(), p.y + step()}; // x's step is drawn first
        points.push_back(p);
    }
}

void RingAround(std::vector<MAP_COORDPT> &points, int cx, int cy, int radius, int corners,
                const std::function<double()> &radiusFactor)
{
    points.clear();
    for (int c = 0; c < corners; ++c) {
        const double a = 6.283185307179586 * c / corners;
        if (radiusFactor)
            points.push_back({int32_t(cx + radius * radiusFactor() * std::cos(a)),
                              int32_t(cy + radius * radiusFactor() * std::sin(a))});
        else
            points.push_back({int32_t(cx + radius * std::cos(a)), int32_t(cy + radius * std::sin(a))});
    }
}
