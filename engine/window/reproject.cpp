#include "engine/window/reproject.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/page.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

// A thematic symbol's presentation type, after its graphical head.
constexpr size_t PRESENT_TYPE = 28;

// Objects below the layers: links of layer membership, leaves only.
constexpr uint16_t kLayerObjects = 0xC801;

_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    _COORDRECT r;
    InitBoundRect(&r);
    SendOBJectMessage(kernel, h, h, 0, GRM_GETBOUNDRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

void setBound(OBJectKernel *kernel, OBJHANDLE h, const _COORDRECT &r)
{
    SendOBJectMessage(kernel, h, h, 0, GRM_SETBOUNDRECT, 0, reinterpret_cast<LPARAM>(&r));
}

void invalidate(OBJectKernel *kernel, OBJHANDLE h, const _COORDRECT *old)
{
    SendOBJectMessage(kernel, h, h, 0, GRM_INVALIDATE, 0, reinterpret_cast<LPARAM>(old));
}

// Polygons and polylines: x and y of every stored point, whatever the
// point's size (points with heights are 12 bytes; z is left alone).
void reprojectPointSet(OBJectKernel *kernel, OBJHANDLE h, ProjectionTag &projection)
{
    char *fixed = OBJectLock(kernel, h);
    if (!fixed)
        return;
    const _COORDRECT old = boundOf(kernel, h);
    const uint32_t count = LoadField<uint32_t>(fixed, PS_COUNT);
    const bool heights = LoadField<uint16_t>(fixed, PS_ZFLAGS) & 1;
    const size_t stride = heights ? 12 : 8;
    const uint32_t space = DataSpaceSize(kernel, h);
    const uint32_t n = uint32_t(std::min<uint64_t>(count, space / stride));
    std::vector<MAP_COORDPT> points(n);
    char *data = DataSpaceBegin(fixed);
    for (uint32_t i = 0; i < n; ++i)
        std::memcpy(&points[i], data + i * stride, sizeof(MAP_COORDPT));
    const int32_t converted =
        n ? projection.Forward(projection.hInstanceData, points.data(), points.data(), int32_t(n)) : 0;
    const uint32_t kept = converted >= 0 && uint32_t(converted) < n ? uint32_t(converted) : n;
    _COORDRECT bound;
    InitBoundRect(&bound);
    for (uint32_t i = 0; i < kept; ++i) {
        std::memcpy(data + i * stride, &points[i], sizeof(MAP_COORDPT));
        PtToBoundRect(&bound, &points[i]);
    }
    if (kept != count)
        StoreField(fixed, PS_COUNT, kept);
    setBound(kernel, h, bound);
    invalidate(kernel, h, &old);
}

// Objects placed by a rectangle only (legends, rasters): the rectangle
// through the view's sampled conversion.
void reprojectPlacement(OBJectKernel *kernel, OBJHANDLE h, const PresentationManager *view, bool passNew)
{
    const _COORDRECT old = boundOf(kernel, h);
    _COORDRECT moved = old;
    PM_MapToWorldRect(view, &old, &moved);
    setBound(kernel, h, moved);
    invalidate(kernel, h, passNew ? &moved : nullptr);
}

// Thematic symbols carry a map point first in their data; only the symbol
// types are converted.
void reprojectSymbol(OBJectKernel *kernel, OBJHANDLE h, PresentationManager *view)
{
    char *fixed = OBJectLock(kernel, h);
    if (!fixed || DataSpaceSize(kernel, h) < sizeof(MAP_COORDPT) + 4)
        return;
    // The type word follows the graphical head.
    const uint16_t type = LoadField<uint16_t>(fixed, PRESENT_TYPE);
    if (type != 1028 && type != 1029 && type != 1030)
        return;
    MAP_COORDPT p;
    std::memcpy(&p, DataSpaceBegin(fixed), sizeof p);
    view->projection.Forward(view->projection.hInstanceData, &p, &p, 1);
    std::memcpy(DataSpaceBegin(fixed), &p, sizeof p);
    reprojectPlacement(kernel, h, view, false);
}

constexpr int64_t kMinimumHalfAxis = 10000;

// A text: its anchor is converted, and its rotation follows the direction
// that a line through the middle of its box, along the text, takes in the
// new system.
void reprojectText(HWND window, OBJectKernel *kernel, OBJHANDLE h, ProjectionTag &projection)
{
    const char *record = TextObjectLock(kernel, h);
    if (!record)
        return;
    const TextObjectData text = TextRecordLoad(record);
    const _COORDRECT old = boundOf(kernel, h);
    int32_t rotation = text.rotation;

    const int64_t cx = (int64_t(old.x1) + old.x2) / 2, cy = (int64_t(old.y1) + old.y2) / 2;
    const double dx = double(old.x2) - old.x1, dy = double(old.y1) - old.y2;
    // A text too small to have a box (no page scale yet) still needs an
    // axis long enough to give its direction to the tenth of a degree.
    const int64_t half = std::max<int64_t>(int64_t(std::sqrt(dx * dx + dy * dy)) / 2, kMinimumHalfAxis);
    const double a = rotation * (std::numbers::pi / 1800.0);
    const auto clamp = [](double v) { return int32_t(std::clamp(v, double(INT32_MIN), double(INT32_MAX))); };
    MAP_COORDPT axis[2] = {
        {clamp(cx - std::cos(a) * half), clamp(cy - std::sin(a) * half)},
        {clamp(cx + std::cos(a) * half), clamp(cy + std::sin(a) * half)},
    };
    projection.Forward(projection.hInstanceData, axis, axis, 2);
    const double ax = double(axis[1].x) - axis[0].x, ay = double(axis[1].y) - axis[0].y;
    if (ax != 0 || ay != 0) {
        // Rounded to the tenth of a degree that the record keeps, and kept
        // in 0..3599, so that a text survives a conversion and its inverse.
        int32_t tenths = int32_t(std::lround(std::atan2(ay, ax) * 1800.0 / std::numbers::pi));
        if (tenths < 0)
            tenths += 3600;
        TextObjectRotationSet(kernel, h, tenths % 3600);
    }

    MAP_COORDPT anchor{text.anchorX, text.anchorY};
    projection.Forward(projection.hInstanceData, &anchor, &anchor, 1);
    TextObjectPositionSet(kernel, h, anchor.x, anchor.y);
    if (char *fixed = TextObjectLock(kernel, h)) {
        // The map height follows from the size again in the new system.
        TextObjectData changed = TextRecordLoad(fixed);
        changed.mapHeight = 0;
        TextRecordStore(fixed, changed);
    }

    if (text.flags & TEXT_LOCK_SCREEN) {
        // A screen-locked text is measured again when it is drawn; until
        // then it keeps the converted span of its box.
        MAP_COORDPT corners[2] = {{old.x1, old.y1}, {old.x2, old.y2}};
        projection.Forward(projection.hInstanceData, corners, corners, 2);
        _COORDRECT spanned;
        InitBoundRect(&spanned);
        PtToBoundRect(&spanned, &corners[0]);
        PtToBoundRect(&spanned, &corners[1]);
        setBound(kernel, h, spanned);
    } else {
        TextObjectRecalcRect(window, h);
    }
    invalidate(kernel, h, &old);
}

} // namespace

void PM_ReprojectPage(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    MAP_COORDPT origin, extension;
    if (!rec || !rec->displayView || !PageGetOrgExtInWindow(window, &origin, &extension) ||
        !PageGetFromWindow(window))
        return;
    PresentationManager *view = rec->displayView;
    MAP_COORDPT corners[2] = {
        origin, {int32_t(int64_t(origin.x) + extension.x), int32_t(int64_t(origin.y) + extension.y)}};
    if (view->projection.Forward(view->projection.hInstanceData, corners, corners, 2) != 2)
        return;
    const MAP_COORDPT moved{corners[0]};
    const MAP_COORDPT size{int32_t(int64_t(corners[1].x) - corners[0].x),
                           int32_t(int64_t(corners[1].y) - corners[0].y)};
    PageSetOrgExtInWindow(window, &moved, &size);
}

int PM_ReprojectObjects(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    PresentationManager *view = rec->displayView;
    // The page is converted even when there are no objects, so that a page
    // never stays in the old system while the document changes.
    PM_ReprojectPage(window);
    const OBJHANDLE layers = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
    const uint32_t count = layers ? GetChildrenOBJS(kernel, layers, kLayerObjects, 0, nullptr, 1) : 0;
    if (count == 0 || count == OBJ_INVALID)
        return 1;
    std::vector<OBJHANDLE> objects;
    try {
        objects.resize(count);
    } catch (const std::bad_alloc &) {
        return 0;
    }

    int32_t pos = 0;
    for (OBJHANDLE layer = FirstReference(kernel, layers, REF_LAYER_MEMBER, &pos); layer;
         layer = GetReference(kernel, layers, REF_LAYER_MEMBER, &pos)) {
        _COORDRECT empty;
        InitBoundRect(&empty);
        setBound(kernel, layer, empty);
    }

    const uint32_t got = GetChildrenOBJS(kernel, layers, kLayerObjects, int32_t(count), objects.data(), 1);
    for (uint32_t i = 0; i < got && i < count; ++i) {
        const OBJHANDLE h = objects[i];
        switch (GetOBJectClassID(kernel, h)) {
        case CLASS_POLYGON:
        case CLASS_POLYLINE:
            reprojectPointSet(kernel, h, view->projection);
            break;
        case CLASS_LEGEND:
            reprojectPlacement(kernel, h, view, false);
            break;
        case CLASS_BITMAP:
            reprojectPlacement(kernel, h, view, true);
            break;
        case CLASS_PRESENT:
            reprojectSymbol(kernel, h, view);
            break;
        case CLASS_TEXT:
            reprojectText(window, kernel, h, view->projection);
            break;
        default:
            break;
        }
    }
    return 1;
}
