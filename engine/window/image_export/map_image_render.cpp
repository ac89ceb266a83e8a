#include "engine/window/image_export/map_image_render.h"

#include "engine/editing/display_mode.h"
#include "engine/editing/display_pass.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "platform/clipboard.h"
#include "platform/dc.h"
#include "platform/device_limit.h"
#include "platform/font.h"
#include "platform/global_memory.h"
#include "platform/map_mode.h"
#include "platform/print_dc.h"
#include "platform/printers.h"
#include "platform/window_dc.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr uint16_t kDrawSelected = DM_SELECTED_ONLY | DM_DRAW;
constexpr uint16_t kDrawUnselected = DM_DRAW;
constexpr int kDefaultSquare = 1000;
constexpr double kDefaultMetafileCm = 10.0;
constexpr unsigned kCaptionString = 855;

// A copy of the window's display view, installed as the record's display
// view for the life of this object; the window's own view comes back and
// the texts are measured for it again on every way out.
class ViewCopy {
public:
    explicit ViewCopy(_WNDRES *rec) : rec_(rec)
    {
        StopAndWaitDrawing(rec_);
        PM_Copy(&copy_, rec_->displayView);
        saved_ = rec_->displayView;
        rec_->displayView = &copy_;
    }
    ~ViewCopy()
    {
        StopAndWaitDrawing(rec_);
        rec_->displayView = saved_;
        PM_Destructor(&copy_);
        TextObjectsRecalcScreenLocked(rec_->hWnd);
    }
    ViewCopy(const ViewCopy &) = delete;
    ViewCopy &operator=(const ViewCopy &) = delete;

    PresentationManager *view() { return &copy_; }

private:
    _WNDRES *rec_;
    PresentationManager *saved_ = nullptr;
    PresentationManager copy_{};
};

// The Layers root's clip rectangle while a rendering draws; what was there
// before (usually nothing) is put back on every way out, so the window's
// next paint is not clipped to the rendered area.
class LayersClip {
public:
    LayersClip(HWND window, const MAP_COORDRECT &rect) : window_(window)
    {
        hadPrevious_ = LayersClipRectGet(window_, 0, &previous_) != 0;
        LayersClipRectSet(window_, 0, &rect);
    }
    ~LayersClip() { LayersClipRectSet(window_, 0, hadPrevious_ ? &previous_ : nullptr); }
    LayersClip(const LayersClip &) = delete;
    LayersClip &operator=(const LayersClip &) = delete;

private:
    HWND window_;
    MAP_COORDRECT previous_{};
    bool hadPrevious_ = false;
};

MAP_COORDRECT ordered(const MAP_COORDRECT &r)
{
    return {std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.x1, r.x2), std::max(r.y1, r.y2)};
}

_WNDRES *recordOf(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    return rec && rec->kernel && rec->displayView ? rec : nullptr;
}

OBJHANDLE layersRoot(const _WNDRES *rec)
{
    return GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_LAYERS);
}

std::string setting(const _WNDRES *rec, const char *name)
{
    std::string text;
    if (!SettingsStringGet(rec->settingsKey, "Settings", name, nullptr, 0, &text))
        text.clear();
    return text;
}

// Zooms the view copy onto a map rectangle in fit mode, makes its world
// rectangle fill its display rectangle, renews its clip rectangle and zooms
// once more; the rectangle's world rectangle.
MAP_COORDRECT zoomCopyTo(PresentationManager *view, HWND window, const MAP_COORDRECT &map)
{
    MAP_COORDRECT world{};
    PM_MapToWorldRect(view, &map, &world);
    PM_ZoomWorld(view, window, &world, 1);
    PM_WorldRectFromDisplay(view);
    PM_UpdateClipRect(view);
    PM_MapToWorldRect(view, &map, &world);
    PM_ZoomWorld(view, window, &world, 1);
    return ordered(world);
}

// Prepares the view for a square display of side pixels showing the world
// area; the area's window rectangle. The area's top-left corner lands on
// window (0, 0), the origin of the bitmap drawn into.
RECT fitIntoSquare(PresentationManager *view, HWND window, int64_t side, const MAP_COORDRECT &area)
{
    const RECT square{0, 0, LONG(std::clamp<int64_t>(side, 1, INT32_MAX)),
                      LONG(std::clamp<int64_t>(side, 1, INT32_MAX))};
    PM_PrepareToClipboard(view, window, &square, &area);
    RECT r{};
    PM_WorldToWindowRect(view, &area, &r);
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
}

// A bitmap filled white, selected into a memory context compatible with
// the window's, with the view prepared for it; released on every way out.
class RenderTarget {
public:
    RenderTarget(HWND window, PresentationManager *view, const MAP_COORDRECT &area, int side)
        : window_(window)
    {
        windowDc_ = GetDC(window);
        RECT r = fitIntoSquare(view, window, side, area);
        int64_t w = int64_t(r.right) - r.left, h = int64_t(r.bottom) - r.top;
        if (w < 1 || h < 1)
            return;
        const int64_t wanted = std::max(w, h);
        bitmap_ = CreateBitmapWithRetry(windowDc_, &w, &h, CreateCompatibleBitmap);
        if (!bitmap_)
            return;
        if (std::max(w, h) < wanted)
            fitIntoSquare(view, window, std::max(w, h), area); // the reduced square
        width_ = int(w);
        height_ = int(h);
        dc_ = CreateCompatibleDC(windowDc_);
        if (!dc_) {
            DeleteObject(bitmap_);
            bitmap_ = 0;
            return;
        }
        oldBitmap_ = SelectObject(dc_, bitmap_);
        const HGDIOBJ oldBrush = SelectObject(dc_, GetStockObject(WHITE_BRUSH));
        const HGDIOBJ oldPen = SelectObject(dc_, GetStockObject(NULL_PEN));
        Rectangle(dc_, 0, 0, width_ + 1, height_ + 1); // the null pen leaves out the last row and column
        SelectObject(dc_, oldPen);
        SelectObject(dc_, oldBrush);
    }
    ~RenderTarget()
    {
        if (dc_) {
            SelectObject(dc_, oldBitmap_);
            DeleteDC(dc_);
        }
        if (bitmap_)
            DeleteObject(bitmap_);
        if (windowDc_)
            ReleaseDC(window_, windowDc_);
    }
    RenderTarget(const RenderTarget &) = delete;
    RenderTarget &operator=(const RenderTarget &) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The bitmap, out of the memory context; the caller owns it.
    HBITMAP Take()
    {
        if (!dc_)
            return 0;
        SelectObject(dc_, oldBitmap_);
        DeleteDC(dc_);
        dc_ = 0;
        const HBITMAP b = bitmap_;
        bitmap_ = 0;
        return b;
    }

private:
    HWND window_;
    HDC windowDc_ = 0;
    HDC dc_ = 0;
    HBITMAP bitmap_ = 0;
    HGDIOBJ oldBitmap_ = 0;
    int width_ = 0, height_ = 0;
};

// The caption at the bitmap's lower right: black bold 14-pixel text, its
// right end 10 pixels from the right edge, its bottom 4 pixels above the
// bottom edge.
void drawCaption(HDC dc, int width, int height)
{
    char buffer[256] = {};
    const std::string caption =
        LoadStringMap(kCaptionString, buffer, int(sizeof buffer)) > 0 ? buffer : "Map image";
    LOGFONTA lf{};
    lf.lfHeight = 14;
    lf.lfWeight = FW_BOLD;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "Arial");
    const HFONT font = CreateFontIndirectA(&lf);
    if (!font)
        return;
    const HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, RGB(0, 0, 0));
    SIZE extent{};
    GetTextExtentPoint32A(dc, caption.c_str(), int(caption.size()), &extent);
    TextOutA(dc, width - 10 - extent.cx, height - 4 - extent.cy, caption.c_str(), int(caption.size()));
    SelectObject(dc, old);
    DeleteObject(font);
}

// The set's bounding rectangle in map units, computed afresh; false when
// it has no extent.
bool setBounds(const _WNDRES *rec, OBJHANDLE set, MAP_COORDRECT *bounds)
{
    _COORDRECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    if (!set)
        return false;
    SendOBJectMessage(rec->kernel, 0, set, 0, GRM_GETBOUNDRECT, 1, LPARAM(&r));
    if (r.x1 > r.x2 || r.y1 > r.y2)
        return false;
    *bounds = {r.x1, r.y1, r.x2, r.y2};
    return true;
}

void drawSet(_WNDRES *rec, HDC dc, OBJHANDLE set, int command)
{
    SetOfObjectsDisplay(rec, dc, set, kDrawSelected, nullptr, nullptr, 0, 0);
    if (command == kCopyWholeMap)
        SetOfObjectsDisplay(rec, dc, set, kDrawUnselected, nullptr, nullptr, 0, 0);
}

// The reference device of the vector picture: the window's default printer,
// else the built-in PDF printer; 0 (the screen) when neither gives a context.
HDC referenceDevice(const _WNDRES *rec)
{
    PrinterNames names;
    if (rec->devNames && ReadDevNamesBlock(rec->devNames, &names)) {
        const auto *mode = rec->devMode ? static_cast<const DEVMODEA *>(GlobalLock(rec->devMode)) : nullptr;
        const HDC dc = CreateDCA(names.driver.c_str(), names.device.c_str(), names.port.c_str(),
                                 mode && GlobalSize(rec->devMode) >= sizeof(DEVMODEA) ? mode : nullptr);
        if (mode)
            GlobalUnlock(rec->devMode);
        if (dc)
            return dc;
    }
    return CreateDCA(kPdfPrinterDriver, kPdfPrinterName, "", nullptr);
}

} // namespace

int MaxImageSquareSide()
{
    const auto side = int64_t(std::sqrt(double(DeviceBitmapLimit())));
    return int(std::clamp<int64_t>(side, 1, INT32_MAX - 1));
}

int ImageSquareSide(int64_t value)
{
    const int64_t side = value >= 100 && value <= 2147483646 ? value : kDefaultSquare;
    return int(std::min<int64_t>(side, MaxImageSquareSide()));
}

HBITMAP CreateBitmapWithRetry(HDC dc, int64_t *width, int64_t *height, const BitmapFactory &factory)
{
    int64_t w = *width, h = *height;
    for (int attempt = 0; attempt < kMaxBitmapAttempts && w >= 1 && h >= 1; ++attempt) {
        if (w <= INT32_MAX && h <= INT32_MAX)
            if (const HBITMAP b = factory(dc, int(w), int(h))) {
                *width = w;
                *height = h;
                return b;
            }
        w -= std::max<int64_t>(1, w / 100);
        h -= std::max<int64_t>(1, h / 100);
    }
    return 0;
}

HBITMAP RenderMapRectToBitmap(HWND window, const MAP_COORDRECT *rect, int size, int keepScale)
{
    _WNDRES *rec = recordOf(window);
    if (!rec || !rect)
        return 0;
    const MAP_COORDRECT map = ordered(*rect);
    if (map.x1 == map.x2 || map.y1 == map.y2)
        return 0;
    const OBJHANDLE layers = layersRoot(rec);
    if (!layers)
        return 0;
    const double ratio = rec->displayView->scaleRatio, denominator = rec->displayView->scaleDenominator;
    ViewCopy copy(rec);
    const MAP_COORDRECT area = zoomCopyTo(copy.view(), window, map);
    RenderTarget target(window, copy.view(), area, ImageSquareSide(size));
    if (!target.dc())
        return 0;
    const LayersClip clip(window, map);
    if (keepScale) {
        copy.view()->scaleRatio = ratio;
        copy.view()->scaleDenominator = denominator;
    }
    SetOfObjectsDisplay(rec, target.dc(), layers, kDrawSelected, nullptr, nullptr, 0, 0);
    SetOfObjectsDisplay(rec, target.dc(), layers, kDrawUnselected, nullptr, nullptr, 0, 0);
    drawCaption(target.dc(), target.width(), target.height());
    return target.Take();
}

HBITMAP RenderSetToClipboardBitmap(HWND window, OBJHANDLE set, int command)
{
    _WNDRES *rec = recordOf(window);
    MAP_COORDRECT bounds{};
    if (!rec || !setBounds(rec, set, &bounds))
        return 0;
    ViewCopy copy(rec);
    const MAP_COORDRECT area = zoomCopyTo(copy.view(), window, bounds);
    const std::string width = setting(rec, "Copied Bitmap Width");
    const int side =
        ImageSquareSide(width.empty() ? kDefaultSquare : std::strtoll(width.c_str(), nullptr, 10));
    RenderTarget target(window, copy.view(), area, side);
    if (!target.dc())
        return 0;
    drawSet(rec, target.dc(), set, command);
    return target.Take();
}

int32_t MetafileFrameSide(double centimetres)
{
    const auto inches = float(centimetres * 0.39370078740157477);
    return int32_t(double(inches) * 2540);
}

HENHMETAFILE RenderSetToClipboardMetafile(HWND window, OBJHANDLE set, int command)
{
    _WNDRES *rec = recordOf(window);
    MAP_COORDRECT bounds{};
    if (!rec || !setBounds(rec, set, &bounds))
        return 0;
    ViewCopy copy(rec);
    PresentationManager *view = copy.view();
    const MAP_COORDRECT area = zoomCopyTo(view, window, bounds);

    const std::string stored = setting(rec, "Copied Metafile Width");
    double cm = stored.empty() ? 0 : std::strtod(stored.c_str(), nullptr);
    if (!(cm >= 1.0 && cm <= 400.0))
        cm = kDefaultMetafileCm;
    const auto inches = float(cm * 0.39370078740157477);
    const int32_t side = MetafileFrameSide(cm);
    const RECT frame{0, 0, side, side};

    const HDC reference = referenceDevice(rec);
    static constexpr char kDescription[] = "GORM 5.0 \0 Gorm 5.0 Metafile\0";
    const HDC picture = CreateEnhMetaFileA(reference, nullptr, &frame, kDescription);
    if (reference)
        DeleteDC(reference);
    if (!picture)
        return 0;

    // W centimetres in the picture's pixels.
    const float mm = 25.4f;
    const int vx =
        int(float(GetDeviceCaps(picture, HORZRES)) * inches * mm / float(GetDeviceCaps(picture, HORZSIZE)));
    const int vy =
        int(float(GetDeviceCaps(picture, VERTRES)) * inches * mm / float(GetDeviceCaps(picture, VERTSIZE)));

    // The set's window rectangle in the frame's units, grown to the frame's
    // proportions, is the picture's window: the whole set shows, centred.
    // (A window of 0.8 of the set's size from its top-left corner would cut
    // off the set's right and bottom fifth.)
    const RECT r = fitIntoSquare(view, window, side, area);
    const MAP_COORDRECT a{r.left, r.top, r.right, r.bottom};
    const MAP_COORDRECT frameRect{0, 0, side, side};
    MAP_COORDRECT grown = a;
    WorldRectBestFit(&frameRect, &a, &grown);
    SetMapMode(picture, MM_ANISOTROPIC);
    SetWindowOrgEx(picture, grown.x1, grown.y1, nullptr);
    SetWindowExtEx(picture, std::max(grown.x2 - grown.x1, 1), std::max(grown.y2 - grown.y1, 1), nullptr);
    SetViewportExtEx(picture, std::max(vx, 1), std::max(vy, 1), nullptr);

    // The display pass draws in device pixels: the view is prepared so that
    // the picture's window lands where the context's mapping puts it.
    POINT corners[2] = {{grown.x1, grown.y1}, {grown.x2, grown.y2}};
    LPtoDP(picture, corners, 2);
    const RECT device{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    const RECT logical{grown.x1, grown.y1, grown.x2, grown.y2};
    MAP_COORDRECT shown{};
    PM_WindowToWorldRect(view, &logical, &shown);
    PM_PrepareToClipboard(view, window, &device, &shown);
    drawSet(rec, picture, set, command);
    return CloseEnhMetaFile(picture);
}

HBITMAP ExpHBitmapPgon(HWND window, const MAP_COORDRECT *rect, int size)
{
    return RenderMapRectToBitmap(window, rect, size, 1);
}

int ExClipBitmapPgon(HWND window, const MAP_COORDRECT *rect, int size)
{
    const HBITMAP bitmap = RenderMapRectToBitmap(window, rect, size, 1);
    if (!bitmap)
        return 0;
    if (!OpenClipboard(window)) {
        DeleteObject(bitmap);
        return 0;
    }
    EmptyClipboard();
    const bool set = SetClipboardData(CF_BITMAP, bitmap) != 0;
    CloseClipboard();
    if (!set)
        DeleteObject(bitmap);
    return set ? 1 : 0;
}
