#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_internal.h"
#include "engine/view/viewrecord/view_transforms.h"

#include <cstdlib>

namespace {

// Equal, or both coordinates within the tolerance.
bool near(POINT a, POINT b, int64_t tolerance)
{
    return std::llabs(int64_t(a.x) - b.x) <= tolerance && std::llabs(int64_t(a.y) - b.y) <= tolerance;
}

int32_t moved(int32_t v, int32_t d) { return textobj::Clamp32(int64_t(v) + d); }

} // namespace

int TextObjectPositionSet(OBJectKernel *kernel, OBJHANDLE text, int32_t x, int32_t y)
{
    char *p = TextObjectLock(kernel, text);
    if (!p)
        return 0;
    TextObjectData d = TextRecordLoad(p);
    d.anchorX = x;
    d.anchorY = y;
    TextRecordStore(p, d);
    SendOBJectMessage(kernel, text, text, 0, GRM_INVALIDATE, 0, 0);
    return 1;
}

int TextObjectPositionGet(OBJectKernel *kernel, OBJHANDLE text, int32_t *x, int32_t *y)
{
    const char *p = TextObjectLock(kernel, text);
    if (!p)
        return 0;
    const TextObjectData d = TextRecordLoad(p);
    if (x)
        *x = d.anchorX;
    if (y)
        *y = d.anchorY;
    return 1;
}

int TextObjectRotationSet(OBJectKernel *kernel, OBJHANDLE text, int32_t rotation)
{
    char *p = TextObjectLock(kernel, text);
    if (!p)
        return 0;
    StoreField(p, offsetof(TextObjectData, rotation), rotation);
    return 1;
}

int TextObjectRotationGet(OBJectKernel *kernel, OBJHANDLE text, int32_t *rotation)
{
    const char *p = TextObjectLock(kernel, text);
    if (!p)
        return 0;
    if (rotation)
        *rotation = LoadField<int32_t>(p, offsetof(TextObjectData, rotation));
    return 1;
}

int TextObjectEscapementGet(OBJectKernel *kernel, OBJHANDLE text, int32_t *escapement)
{
    if (!TextObjectLock(kernel, text))
        return 0;
    if (escapement)
        *escapement = 0; // not stored: the rotation turns the text
    return 1;
}

int TextObjectMove(OBJectKernel *kernel, OBJHANDLE text, int32_t dx, int32_t dy)
{
    char *p = TextObjectLock(kernel, text);
    if (!p)
        return 0;
    TextObjectData d = TextRecordLoad(p);
    d.anchorX = moved(d.anchorX, dx);
    d.anchorY = moved(d.anchorY, dy);
    d.bound = {moved(d.bound.x1, dx), moved(d.bound.y1, dy), moved(d.bound.x2, dx), moved(d.bound.y2, dy)};
    TextRecordStore(p, d);
    SendOBJectMessage(kernel, text, text, 0, GRM_INVALIDATE, 0, 0);
    return 1;
}

void TextObjectZoom(HWND window, OBJHANDLE text, const MAP_COORDRECT *r)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !r)
        return;
    OBJectKernel *kernel = rec->kernel;
    if (!TextObjectLock(kernel, text))
        return;
    _COORDRECT old{};
    SendOBJectMessage(kernel, text, text, 0, GRM_GETBOUNDRECT, 0, LPARAM(&old));
    char *p = TextObjectLock(kernel, text);
    if (!p)
        return;
    TextObjectData d = TextRecordLoad(p);
    // A text without height (an empty one) has no scale to fit by: its size
    // stays, and only the anchor moves.
    const int64_t oldHeight = int64_t(old.y2) - old.y1;
    if (oldHeight != 0) {
        const double f = double(int64_t(r->y2) - r->y1) / double(oldHeight);
        d.size = textobj::Clamp16(textobj::Trunc32(d.size * f));
        d.mapHeight = textobj::Trunc32(d.mapHeight * f);
    }
    if (d.flags & TEXT_ALIGN_RIGHT)
        d.anchorX = r->x2;
    else if (d.flags & TEXT_ALIGN_HCENTER)
        d.anchorX = int32_t((int64_t(r->x1) + r->x2) / 2);
    else
        d.anchorX = r->x1;
    if (d.flags & TEXT_ALIGN_BOTTOM)
        d.anchorY = r->y1;
    else if (d.flags & TEXT_ALIGN_VCENTER)
        d.anchorY = int32_t((int64_t(r->y1) + r->y2) / 2);
    else
        d.anchorY = r->y2;
    TextRecordStore(p, d);
    TextObjectRecalcRect(window, text);
    SendOBJectMessage(kernel, text, text, 0, GRM_INVALIDATE, 0, LPARAM(&old));
}

int TextObjectFindVertex(OBJectKernel *kernel, OBJHANDLE text, const PresentationManager *view, int x, int y,
                         _COORDPT *out, int32_t radius)
{
    const char *p = TextObjectLock(kernel, text);
    if (!p || !view)
        return 0;
    if (radius < 0)
        radius = int32_t(PM_GetRadius(view));
    const TextObjectData d = TextRecordLoad(p);
    const _COORDRECT &b = d.bound;
    // The corners (left, top), (right, top), (right, bottom), (left, bottom)
    // before the anchor: a corner wins when both are near.
    const MAP_COORDPT candidates[5] = {
        {b.x1, b.y2}, {b.x2, b.y2}, {b.x2, b.y1}, {b.x1, b.y1}, {d.anchorX, d.anchorY}};
    POINT pixels[5]{};
    PM_MapToWindow(view, candidates, pixels, 5);
    for (int i = 0; i < 5; ++i)
        if (near(pixels[i], POINT{x, y}, radius)) {
            if (out)
                *out = candidates[i];
            return 1;
        }
    return 0;
}

int TextObjectContainsPoint(OBJectKernel *kernel, OBJHANDLE text, int32_t x, int32_t y)
{
    const char *p = TextObjectLock(kernel, text);
    if (!p)
        return 0;
    const _COORDRECT b = TextRecordLoad(p).bound;
    return b.x1 <= x && x <= b.x2 && b.y1 <= y && y <= b.y2 ? 1 : 0;
}
