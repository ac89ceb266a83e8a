#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/raster_images.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cstring>

char *RasterObjectLock(OBJectKernel *kernel, OBJHANDLE raster)
{
    if (!kernel || GetOBJectClassID(kernel, raster) != CLASS_BITMAP)
        return nullptr;
    return GraphHeadLock(kernel, raster, RASTER_FIXED_SIZE);
}

HGLOBAL RasterObjectHeaderBlock(OBJectKernel *kernel, OBJHANDLE raster)
{
    return RasterImageBlock(kernel, RasterObjectImageIds(kernel, raster).header);
}

HGLOBAL RasterObjectPixelBlock(OBJectKernel *kernel, OBJHANDLE raster)
{
    return RasterImageBlock(kernel, RasterObjectImageIds(kernel, raster).pixels);
}

int RasterObjectSetImages(OBJectKernel *kernel, OBJHANDLE raster, HGLOBAL header, HGLOBAL pixels)
{
    if (!RasterObjectLock(kernel, raster)) {
        if (header)
            GlobalFree(header);
        if (pixels)
            GlobalFree(pixels);
        return 0;
    }
    RasterObjectReleaseImages(kernel, raster);
    const uint32_t headerId = RasterImageAdd(kernel, header);
    const uint32_t pixelsId = RasterImageAdd(kernel, pixels);
    char *p = RasterObjectLock(kernel, raster);
    StoreField(p, offsetof(RasterObjectData, headerId), headerId);
    StoreField(p, offsetof(RasterObjectData, pixelsId), pixelsId);
    return 1;
}

void RasterObjectFreeImages(OBJectKernel *kernel, OBJHANDLE raster)
{
    if (RasterObjectLock(kernel, raster))
        RasterObjectReleaseImages(kernel, raster);
}

bool RasterObjectPixelSize(OBJectKernel *kernel, OBJHANDLE raster, int32_t *width, int32_t *height)
{
    const HGLOBAL header = RasterObjectHeaderBlock(kernel, raster);
    if (!header || GlobalSize(header) < 12)
        return false;
    const auto *p = static_cast<const char *>(GlobalLock(header));
    if (!p)
        return false;
    const int32_t w = LoadField<int32_t>(p, 4), h = LoadField<int32_t>(p, 8);
    GlobalUnlock(header);
    if (width)
        *width = w;
    if (height)
        *height = h < 0 ? -h : h;
    return true;
}

bool RasterNamesFit(const char *file, const char *format)
{
    return (!file || std::strlen(file) <= RASTER_FILE_NAME_MAX) &&
           (!format || std::strlen(format) <= RASTER_FORMAT_NAME_MAX);
}

int RasterObjectSetNames(OBJectKernel *kernel, OBJHANDLE raster, const char *file, const char *format)
{
    char *p = RasterObjectLock(kernel, raster);
    if (!p || !RasterNamesFit(file, format))
        return 0;
    RasterObjectData d = RasterRecordLoad(p);
    if (file) {
        std::memset(d.fileName, 0, sizeof d.fileName);
        std::memcpy(d.fileName, file, std::strlen(file));
    }
    if (format) {
        std::memset(d.formatName, 0, sizeof d.formatName);
        std::memcpy(d.formatName, format, std::strlen(format));
    }
    RasterRecordStore(p, d);
    return 1;
}

LRESULT BitMapProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                   uint16_t message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case OBJM_CREATE:
        // Zeroed before the default procedure puts the graphical head's
        // initial values in.
        if (char *p = RasterObjectLock(kernel, receiver)) {
            RasterObjectData d{};
            d.scale = RASTER_DEFAULT_SCALE;
            RasterRecordStore(p, d);
        }
        break;
    case OBJM_DELETED:
        RasterObjectFreeImages(kernel, receiver);
        break;
    case OBJM_REPAIRED:
        if (char *p = RasterObjectLock(kernel, receiver); p && wParam < 9) {
            StoreField<int32_t>(p, offsetof(RasterObjectData, scale), RASTER_DEFAULT_SCALE);
            if (wParam < 8)
                RasterObjectFreeImages(kernel, receiver);
        }
        break;
    case OBJM_COPIED:
        // A copy never shares the images of its source: it loads its own.
        // Without the bit it names them too, as one more holder.
        if (sender != receiver) {
            if (wParam & 4) {
                if (char *p = RasterObjectLock(kernel, receiver))
                    RasterBlockClearImageIds(p);
            } else {
                RasterObjectRetainImages(kernel, receiver);
            }
        }
        break;
    default:
        break;
    }
    return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Small operations

namespace {

bool boundOf(OBJectKernel *kernel, OBJHANDLE raster, _COORDRECT *r)
{
    if (!RasterObjectLock(kernel, raster))
        return false;
    SendOBJectMessage(kernel, 0, raster, 0, GRM_GETBOUNDRECT, 0, LPARAM(r));
    return true;
}

// A movable copy of a whole block; 0 for none or no memory.
HGLOBAL copyBlock(HGLOBAL block)
{
    if (!block)
        return 0;
    const size_t size = GlobalSize(block);
    const HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return 0;
    const void *from = GlobalLock(block);
    void *to = GlobalLock(copy);
    if (from && to)
        std::memcpy(to, from, size);
    GlobalUnlock(copy);
    GlobalUnlock(block);
    if (!from || !to) {
        GlobalFree(copy);
        return 0;
    }
    return copy;
}

} // namespace

int RasterObjectContainsPoint(OBJectKernel *kernel, OBJHANDLE raster, const MAP_COORDPT *point)
{
    _COORDRECT r{};
    if (!point || !boundOf(kernel, raster, &r))
        return 0;
    return r.x1 <= point->x && point->x <= r.x2 && r.y1 <= point->y && point->y <= r.y2 ? 1 : 0;
}

int RasterObjectMove(OBJectKernel *kernel, OBJHANDLE raster, int32_t dx, int32_t dy)
{
    _COORDRECT old{};
    if (!boundOf(kernel, raster, &old))
        return 0;
    auto shift = [](int32_t v, int32_t d) {
        return int32_t(std::clamp<int64_t>(int64_t(v) + d, INT32_MIN, INT32_MAX));
    };
    _COORDRECT moved{shift(old.x1, dx), shift(old.y1, dy), shift(old.x2, dx), shift(old.y2, dy)};
    SendOBJectMessage(kernel, 0, raster, 0, GRM_SETBOUNDRECT, 0, LPARAM(&moved));
    SendOBJectMessage(kernel, 0, raster, 0, GRM_INVALIDATE, 0, LPARAM(&old));
    return 1;
}

int RasterObjectCopy(OBJectKernel *kernel, OBJHANDLE *copy, OBJHANDLE source)
{
    const char *p = RasterObjectLock(kernel, source);
    if (!copy || !p)
        return 0;
    const RasterObjectData d = RasterRecordLoad(p);
    const HGLOBAL header = copyBlock(RasterObjectHeaderBlock(kernel, source));
    const HGLOBAL pixels = copyBlock(RasterObjectPixelBlock(kernel, source));
    const OBJHANDLE h = CreateOBJect(kernel, CLASS_BITMAP);
    char *q = RasterObjectLock(kernel, h);
    if (!q) {
        if (h)
            OBJectDelete(kernel, h);
        for (const HGLOBAL block : {header, pixels})
            if (block)
                GlobalFree(block);
        return 0;
    }
    RasterObjectData c = d;
    c.headerId = c.pixelsId = 0;
    RasterRecordStore(q, c);
    RasterObjectSetImages(kernel, h, header, pixels);
    _COORDRECT r = d.bound;
    SendOBJectMessage(kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
    SendOBJectMessage(kernel, 0, h, 0, GRM_INVALIDATE, 0, 0);
    *copy = h;
    return 1;
}

int RasterObjectFindVertex(OBJectKernel *kernel, OBJHANDLE raster, const PresentationManager *view,
                           const POINT *point, MAP_COORDPT *out)
{
    _COORDRECT r{};
    if (!view || !point || !boundOf(kernel, raster, &r))
        return 0;
    const MAP_COORDPT corners[4] = {{r.x1, r.y1}, {r.x2, r.y1}, {r.x1, r.y2}, {r.x2, r.y2}};
    int found = 0;
    for (const MAP_COORDPT &c : corners) {
        POINT w{};
        PM_MapToWindow(view, &c, &w, 1);
        if (w.x == point->x && w.y == point->y) {
            if (out)
                *out = c;
            found = 1;
        }
    }
    return found;
}
