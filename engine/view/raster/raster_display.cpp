// Drawing a raster: loading its image when the cache rules say so (from the
// stored path, or a folder of rasters named in the settings, or for "WMS"
// rasters a picture of the current view), stretching it into place, and its
// frame and marks.
#include "engine/kernel/global_memory_helpers.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/raster_images.h"
#include "engine/kernel/references.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/view/dib/dib_drawing.h"
#include "engine/view/projection/projection_module.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/system_colors.h"
#include "platform/window.h"
#include "platform/window_dc.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

bool isDisplay(HDC dc) { return dc && GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY; }

bool sameRect(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

bool isFile(const std::string &path)
{
    return !path.empty() && QFileInfo(QString::fromLocal8Bit(path.c_str())).isFile();
}

// The client rectangle of the window and its map rectangle (screen view).
struct ScreenView {
    RECT client{};
    MAP_COORDRECT map{};
};

ScreenView screenView(HWND window, const PresentationManager *view)
{
    ScreenView s;
    GetClientRect(window, &s.client);
    PM_WindowToMapRect(view, &s.client, &s.map);
    return s;
}

// The view's visible rectangle in map units (its world rectangle through
// the projection), which a picture-server raster covers when drawn off the
// screen.
MAP_COORDRECT visibleMap(const PresentationManager *view)
{
    MAP_COORDRECT m{};
    PM_WorldToMapRect(view, &view->worldRect, &m);
    return m;
}

// The file a raster with the cache on is read from: the name part of its
// stored path in the folder named by "RasterDirectory", or in the subfolder
// of that folder named by the name's first two characters.
std::string searchRasterDirectory(const _WNDRES *rec, const char *stored)
{
    std::string directory;
    const SettingsRegKey engineKey;
    SettingsStringGet(rec->settingsKey ? rec->settingsKey : &engineKey, "Settings", "RasterDirectory",
                      nullptr, 0, &directory);
    if (directory.empty())
        return {};
    const std::string path = stored;
    const size_t cut = path.find_last_of("\\/:");
    const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (name.empty())
        return {};
    const char last = directory.back();
    const std::string folder = last == '/' || last == '\\' ? directory : directory + '/';
    if (isFile(folder + name))
        return folder + name;
    const std::string sub = name.size() >= 2 ? folder + name.substr(0, 2) + '/' + name : folder + name;
    return isFile(sub) ? sub : std::string();
}

// The bounds of a map rectangle in degrees for a picture server: the map's
// own angles when the map is spheric, else the corners through the view's
// projection when that gives angles. None when the map has no geographic
// meaning (no projection to angles): nothing is fetched then.
std::optional<RasterBodyParams> wmsBounds(const PresentationManager *view, const MAP_COORDRECT &v)
{
    const ProjectionTag &t = view->projection;
    double west, south, east, north;
    if (t.baseKind == CS_SPHERIC) {
        const tagUnitInfo *unit = FindUnitInfo(t.baseUnit);
        if (!unit || unit->factor == 0)
            return std::nullopt;
        west = v.x1 / unit->factor;
        south = v.y1 / unit->factor;
        east = v.x2 / unit->factor;
        north = v.y2 / unit->factor;
    } else if (t.hLib && t.transformedKind == CS_SPHERIC) {
        const tagUnitInfo *unit = FindUnitInfo(t.transformedUnit);
        if (!unit || unit->factor == 0)
            return std::nullopt;
        const MAP_COORDPT corners[4] = {{v.x1, v.y1}, {v.x2, v.y1}, {v.x2, v.y2}, {v.x1, v.y2}};
        MAP_COORDPT world[4];
        if (PM_MapToWorld(view, corners, world, 4) != 4)
            return std::nullopt;
        // The view's corners need not stay a rectangle: take what covers them.
        int32_t x1 = INT32_MAX, y1 = INT32_MAX, x2 = INT32_MIN, y2 = INT32_MIN;
        for (const MAP_COORDPT &w : world) {
            x1 = std::min(x1, w.x);
            y1 = std::min(y1, w.y);
            x2 = std::max(x2, w.x);
            y2 = std::max(y2, w.y);
        }
        west = x1 / unit->factor;
        south = y1 / unit->factor;
        east = x2 / unit->factor;
        north = y2 / unit->factor;
    } else {
        return std::nullopt;
    }
    RasterBodyParams p{};
    p.d[3] = west;
    p.d[4] = south;
    p.d[6] = east;
    p.d[7] = north;
    return p;
}

// Gives a filled slot's block to the raster.
void takeBlock(OBJectKernel *kernel, OBJHANDLE raster, size_t field, HGLOBAL block)
{
    if (!block)
        return;
    const uint32_t id = RasterImageAdd(kernel, block);
    if (char *p = RasterObjectLock(kernel, raster))
        StoreField(p, field, id);
    else
        RasterImageRelease(kernel, id);
}

// Loads the raster's image as the display wants it; r may become the view
// (WMS).
void loadImage(int offScreen, HWND window, _WNDRES *rec, OBJHANDLE raster, MAP_COORDRECT *r)
{
    OBJectKernel *kernel = rec->kernel;
    const PresentationManager *view = rec->displayView;
    RasterObjectData d = RasterRecordLoad(RasterObjectLock(kernel, raster));
    const bool wms = std::strncmp(d.formatName, "WMS", 3) == 0;
    std::string path;
    if (rec->rasterLoadMode)
        path = searchRasterDirectory(rec, d.fileName);
    if (path.empty() && isFile(d.fileName))
        path = d.fileName;
    // Nothing to read: no converter is called, and a half image goes (the
    // count is walked again only then, not for every missing file on every
    // paint).
    if (path.empty() && !wms) {
        if (RasterObjectHeaderBlock(kernel, raster) || RasterObjectPixelBlock(kernel, raster)) {
            RasterObjectFreeImages(kernel, raster);
            RasterLoadedCount(window);
        }
        return;
    }

    if (rec->rasterLoadMode && RasterLoadedCount(window) > rec->rasterLimit) {
        ResetRasters(window, -1);
        if (rec->rasterLoaded > rec->rasterLimit)
            ResetRasters(window, rec->rasterKeep);
        // The cache may have taken this raster's own half image.
        d = RasterRecordLoad(RasterObjectLock(kernel, raster));
    }
    const HGLOBAL haveHeader = RasterImageBlock(kernel, d.headerId);
    const HGLOBAL havePixels = RasterImageBlock(kernel, d.pixelsId);

    RasterBodyParams request{};
    bool call = !path.empty();
    if (path.empty() && wms) {
        MAP_COORDRECT v{};
        RECT p{};
        if (offScreen) {
            v = visibleMap(view);
            p = view->displayRect;
        } else {
            const ScreenView s = screenView(window, view);
            v = s.map;
            p = s.client;
        }
        const int64_t w = int64_t(p.right) - p.left;
        const int64_t across = int64_t(v.x2) - v.x1;
        const int64_t h = across > 0 ? (int64_t(v.y2) - v.y1) * w / across : 0;
        // The raster's bounds become the view. That changes the store and
        // tells the window's owner, which only the window's own thread may
        // do: a pass on another thread (the control's drawing thread) leaves
        // it to that thread, queued.
        RunOnWindowThread(window, [window, kernel, raster, placed = _COORDRECT(v)] {
            const _WNDRES *now = GetWndRes(window);
            if (!now || now->kernel != kernel || IsOBJectDeleted(kernel, raster) ||
                GetOBJectClassID(kernel, raster) != CLASS_BITMAP)
                return; // the document or the raster went meanwhile
            _COORDRECT bound = placed;
            SendOBJectMessage(kernel, 0, raster, 0, GRM_SETBOUNDRECT, 0, LPARAM(&bound));
            SendOBJectMessage(kernel, 0, raster, 0, GRM_INVALIDATE, 0, 0);
        });
        *r = v;
        if (const std::optional<RasterBodyParams> bounds = wmsBounds(view, v); bounds && w > 0 && h > 0) {
            request = *bounds;
            request.d[9] = double(w);
            request.d[10] = double(h);
            path = d.fileName;
            call = true;
        }
    }
    if (call) {
        HGLOBAL header = 0, pixels = 0;
        if (RasterImportByConverter(path.c_str(), d.formatName, haveHeader ? nullptr : &header,
                                    havePixels ? nullptr : &pixels, wms ? &request : nullptr)) {
            takeBlock(kernel, raster, offsetof(RasterObjectData, headerId), header);
            takeBlock(kernel, raster, offsetof(RasterObjectData, pixelsId), pixels);
        }
    }
    if (!RasterObjectHeaderBlock(kernel, raster) || !RasterObjectPixelBlock(kernel, raster))
        RasterObjectFreeImages(kernel, raster);
    RasterLoadedCount(window);
}

// Draws the image whose both blocks are present; false when the working
// copy of the header cannot be had.
bool drawImage(HWND window, HDC dc, OBJectKernel *kernel, OBJHANDLE raster, MAP_COORDRECT r)
{
    const HGLOBAL header = RasterObjectHeaderBlock(kernel, raster);
    const HGLOBAL pixels = RasterObjectPixelBlock(kernel, raster);
    const size_t size = GlobalSize(header);
    // The palette rewrites the colour table in place; the working copy puts
    // it back afterwards.
    const HGLOBAL saved = GetGlobalHandle(GMEM_MOVEABLE, uint32_t(size));
    if (!saved)
        return false;
    std::memcpy(GlobalLock(saved), GlobalLock(header), size);
    GlobalUnlock(header);
    GlobalUnlock(saved);
    const HPALETTE palette = CreateDIBPalette(header);
    const RasterObjectData d = RasterRecordLoad(RasterObjectLock(kernel, raster));
    const MAP_COORDRECT rect = d.bound;
    if (dc && !isDisplay(dc))
        r = rect;
    if (d.imageVisible == 1)
        DIBStretchToWindow(window, dc, pixels, header, palette, &rect, &r, d.clippingMode != 0);
    if (palette)
        DeleteObject(palette);
    std::memcpy(GlobalLock(header), GlobalLock(saved), size);
    GlobalUnlock(saved);
    GlobalUnlock(header);
    GlobalFree(saved);
    return true;
}

} // namespace

int RasterObjectDisplay(int offScreen, HWND window, HDC dc, OBJHANDLE raster, uint16_t mode,
                        GraphDispl *attributes)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->displayView || !RasterObjectLock(rec->kernel, raster))
        return 1;
    OBJectKernel *kernel = rec->kernel;
    const PresentationManager *view = rec->displayView;
    RasterObjectData d = RasterRecordLoad(RasterObjectLock(kernel, raster));

    MAP_COORDRECT r = d.bound;
    MAP_COORDRECT clip{};
    if (!offScreen && LayersClipRectGet(window, 0, &clip) && clip.x1 <= clip.x2 && clip.y1 <= clip.y2)
        r = clip;

    if (std::strncmp(d.formatName, "WMS", 3) == 0) {
        const MAP_COORDRECT v = offScreen ? visibleMap(view) : screenView(window, view).map;
        if (!sameRect(d.bound, v))
            RasterObjectFreeImages(kernel, raster);
    }

    const bool missing = !RasterObjectHeaderBlock(kernel, raster) || !RasterObjectPixelBlock(kernel, raster);
    const bool wanted = rec->rasterLoadMode || d.imageVisible == 1;
    if (d.fileName[0] && missing && wanted)
        loadImage(offScreen, window, rec, raster, &r);

    if (RasterObjectHeaderBlock(kernel, raster) && RasterObjectPixelBlock(kernel, raster) &&
        !drawImage(window, dc, kernel, raster, r))
        return -1;

    if (mode & (RASTER_MODE_FRAME_PASS | 0x44)) {
        d = RasterRecordLoad(RasterObjectLock(kernel, raster));
        const HDC frameDc = dc ? dc : GetDC(window);
        if (d.frameVisible == 1 || !RasterObjectHeaderBlock(kernel, raster))
            mode |= RASTER_MODE_FRAME;
        RasterObjectDrawFrame(window, frameDc, raster, mode, attributes);
        if (!dc && frameDc)
            ReleaseDC(window, frameDc);
    }
    return 1;
}

int RasterObjectDrawFrame(HWND window, HDC dc, OBJHANDLE raster, uint16_t mode, const GraphDispl *attributes)
{
    _WNDRES *rec = GetWndRes(window);
    const char *p = rec ? RasterObjectLock(rec->kernel, raster) : nullptr;
    if (!p || !rec->displayView || !dc)
        return 1;
    const RasterObjectData d = RasterRecordLoad(p);
    RECT w{};
    PM_MapToWindowRect(rec->displayView, &d.bound, &w);
    const int left = std::min(w.left, w.right), right = std::max(w.left, w.right);
    const int top = std::min(w.top, w.bottom), bottom = std::max(w.top, w.bottom);
    const POINT corners[5] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}};

    if (isDisplay(dc) && (mode & RASTER_MODE_VERTICES) && !(mode & 0x40)) {
        RECT client{};
        GetClientRect(window, &client);
        for (int i = 0; i < 4; ++i) {
            const POINT c = corners[i];
            if (c.x < client.left || c.x >= client.right || c.y < client.top || c.y >= client.bottom)
                continue;
            if (mode & RASTER_MODE_UNSET_VERTICES)
                PointsUnset(window, &c, 1);
            else
                PointsSet(window, nullptr, &c, 1);
        }
    }

    if (mode & (RASTER_MODE_FRAME | RASTER_MODE_SELECTED)) {
        const bool selected = (mode & RASTER_MODE_SELECTED) != 0;
        const GraphDispl a = attributes ? *attributes : GraphDispl{};
        const COLORREF colour = (mode & RASTER_MODE_ERASE) ? GetSysColor(COLOR_WINDOW)
                                : selected                 ? GetSysColor(COLOR_WINDOWTEXT)
                                                           : a.lineColor;
        const int width = selected ? 1 : int(std::min<uint32_t>(a.lineWidth, 64));
        // Line style numbers beyond the pen styles draw solid.
        const int style = selected || a.lineStyle >= PS_NULL ? PS_SOLID : int(a.lineStyle);
        const HPEN pen = CreatePen(style, width, colour);
        const HGDIOBJ oldPen = SelectObject(dc, pen);
        Polyline(dc, corners, 5);
        if (!RasterObjectHeaderBlock(rec->kernel, raster)) {
            MoveToEx(dc, left + 1, top + 1, nullptr);
            LineTo(dc, right - 1, bottom - 1);
            MoveToEx(dc, right - 1, top + 1, nullptr);
            LineTo(dc, left + 1, bottom - 1);
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }

    if (mode & (RASTER_MODE_MARKS | RASTER_MODE_MARKS_TOO)) {
        const COLORREF oldBackground = SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        const HBITMAP square = MarkerBitmap(MARKER_FULL_SQUARE);
        const int s = SELECTION_MARK_SIZE;
        BitmapDraw(dc, square, s, s, left + 1, top + 1, SRCINVERT);
        BitmapDraw(dc, square, s, s, right - 8, top + 1, SRCINVERT);
        BitmapDraw(dc, square, s, s, left + 1, bottom - 8, SRCINVERT);
        BitmapDraw(dc, square, s, s, right - 8, bottom - 8, SRCINVERT);
        SetBkColor(dc, oldBackground);
    }
    return 1;
}

// ---------------------------------------------------------------------------
// The raster cache

namespace {

// Calls f for every raster of the window's layers, first layer first, in
// drawing order, until it returns false.
template <class F>
void forEachRaster(_WNDRES *rec, F f)
{
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE root = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
    if (!root)
        return;
    int32_t lp = -1;
    for (OBJHANDLE layer = FirstReference(kernel, root, REF_LAYER_MEMBER, &lp); layer;
         layer = GetReference(kernel, root, REF_LAYER_MEMBER, &lp)) {
        if (GetOBJectClassID(kernel, layer) != CLASS_LAYER)
            continue;
        int32_t op = -1;
        for (OBJHANDLE e = FirstReference(kernel, layer, REF_LAYER_MEMBER, &op); e;
             e = GetReference(kernel, layer, REF_LAYER_MEMBER, &op))
            if (GetOBJectClassID(kernel, e) == CLASS_BITMAP && !f(e))
                return;
    }
}

bool holdsImage(OBJectKernel *kernel, OBJHANDLE raster)
{
    return RasterObjectHeaderBlock(kernel, raster) || RasterObjectPixelBlock(kernel, raster);
}

} // namespace

int RasterLoadedCount(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    int n = 0;
    forEachRaster(rec, [&](OBJHANDLE raster) {
        n += holdsImage(rec->kernel, raster);
        return true;
    });
    rec->rasterLoaded = n;
    return n;
}

int ResetRasters(HWND window, int n)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const MAP_COORDRECT v = screenView(window, rec->displayView).map;
    int loaded = RasterLoadedCount(window);
    int freed = 0;
    forEachRaster(rec, [&](OBJHANDLE raster) {
        if (n >= 1 && loaded <= n)
            return false;
        if (n < 0) {
            _COORDRECT bound{};
            SendOBJectMessage(kernel, 0, raster, 0, GRM_GETBOUNDRECT, 0, LPARAM(&bound));
            if (GraphRectsIntersect(&bound, &v))
                return true;
        }
        if (holdsImage(kernel, raster)) {
            ++freed;
            --loaded;
        }
        RasterObjectFreeImages(kernel, raster);
        return true;
    });
    rec->rasterLoaded = loaded;
    return freed;
}

int RastersManagement(_WNDRES *record, int mode)
{
    if (!record)
        return 0;
    record->rasterLoadMode = mode;
    return 1;
}
