#include "engine/window/window_rasters.h"

#include "engine/kernel/coords.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/page.h"
#include "engine/window/window_view.h"
#include "platform/dispatch_exception.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

int32_t clamp32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool given(int32_t v) { return v != RASTER_NOT_GIVEN; }

// The images read for a new raster, freed unless handed over.
struct Images {
    HGLOBAL header = 0;
    HGLOBAL pixels = 0;
    Images() = default;
    Images(const Images &) = delete;
    Images &operator=(const Images &) = delete;
    ~Images()
    {
        for (const HGLOBAL block : {header, pixels})
            if (block)
                GlobalFree(block);
    }
    int32_t width() const { return headerWord(4); }
    int32_t height() const
    {
        const int32_t h = headerWord(8);
        return h < 0 ? -h : h;
    }

private:
    int32_t headerWord(size_t at) const
    {
        const auto *p = static_cast<const char *>(GlobalLock(header));
        if (!p)
            return 0;
        const int32_t v = LoadField<int32_t>(p, at);
        GlobalUnlock(header);
        return v;
    }
};

struct Window {
    _WNDRES *rec = nullptr;
    OBJectKernel *kernel = nullptr;
    int unit = 0; // the map unit of the screen view
};

Window windowOf(HWND window)
{
    Window w;
    w.rec = GetWndRes(window);
    w.kernel = w.rec ? w.rec->kernel : nullptr;
    if (w.rec && w.rec->displayView)
        w.unit = w.rec->displayView->projection.transformedUnit;
    return w;
}

// The page object's rectangle; a zero rectangle without a page.
MAP_COORDRECT pageRect(HWND window, OBJectKernel *kernel)
{
    _COORDRECT r{0, 0, 0, 0};
    if (const OBJHANDLE page = PageGetFromWindow(window))
        SendOBJectMessage(kernel, 0, page, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

// 1:N of the page, or fallback when the page has no scale.
int32_t pageScale(HWND window, int32_t fallback)
{
    double s = 0;
    map_page_Get(window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &s);
    return s > 0 ? truncToInt32(1.0 / s + 0.5) : fallback;
}

// Makes a raster in the active layer with the images, names, switches,
// scale and rectangle. 0 when it cannot be made (the images are freed).
OBJHANDLE makeRaster(HWND window, const Window &w, Images &images, const char *file, const char *format,
                     int frameVisible, int imageVisible, int clipping, int32_t scale,
                     const MAP_COORDRECT &rect)
{
    const OBJHANDLE root = GetRootOBJect(window, CLASS_LAYERS);
    const OBJHANDLE layer = w.kernel && root ? GetActiveLayer(w.kernel, root) : 0;
    if (!layer)
        return 0;
    const OBJHANDLE raster = CreateOBJect(w.kernel, CLASS_BITMAP);
    char *p = RasterObjectLock(w.kernel, raster);
    if (!p) {
        if (raster)
            OBJectDelete(w.kernel, raster);
        return 0;
    }
    RasterObjectData d = RasterRecordLoad(p);
    d.frameVisible = frameVisible;
    d.imageVisible = imageVisible;
    d.clippingMode = clipping;
    d.scale = scale;
    RasterRecordStore(p, d);
    RasterObjectSetNames(w.kernel, raster, file, format);
    RasterObjectSetImages(w.kernel, raster, images.header, images.pixels);
    images.header = images.pixels = 0;
    _COORDRECT r = rect;
    SendOBJectMessage(w.kernel, 0, raster, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
    if (InsertLayerRef(w.kernel, raster, layer) == OBJ_INVALID) {
        OBJectDelete(w.kernel, raster);
        return 0;
    }
    SendOBJectMessage(w.kernel, 0, raster, 0, GRM_INVALIDATE, 0, 0);
    RasterLoadedCount(window);
    return raster;
}

// A rectangle of the size centred on the page.
MAP_COORDRECT centredOnPage(const MAP_COORDRECT &page, int32_t width, int32_t height)
{
    const int32_t left = clamp32((int64_t(page.x2) - width + page.x1) / 2);
    const int32_t bottom = clamp32((int64_t(page.y2) - height + page.y1) / 2);
    return {left, bottom, clamp32(int64_t(left) + width), clamp32(int64_t(bottom) + height)};
}

[[noreturn]] void throwUnreadable()
{
    const std::string reason = RasterConverterLastError();
    ThrowDispatchException(kErrorWrongFileOrFormat,
                           reason.empty() ? DispatchErrorText(kErrorWrongFileOrFormat)
                                          : DispatchErrorText(kErrorWrongFileOrFormat) + ": " + reason);
}

void refuseLongNames(const char *file, const char *format)
{
    if (!RasterNamesFit(file, format))
        ThrowDispatchException(
            kErrorWrongFileOrFormat,
            DispatchErrorText(kErrorWrongFileOrFormat) +
                ": the file name may have at most 127 and the format name at most 39 characters");
}

} // namespace

int map_raster_Create(HWND window, OBJHANDLE *raster, const char *file, const char *format, int32_t x,
                      int32_t y, int32_t width, int32_t height, uint32_t scale, double xResolution,
                      double yResolution, int frameVisible, int imageVisible, int clipping)
{
    const Window w = windowOf(window);
    if (!w.kernel)
        ThrowDispatchException(kErrorWrongFileOrFormat);
    refuseLongNames(file, format);
    Images images;
    if (!RasterImportByConverter(file, format, &images.header, imageVisible ? &images.pixels : nullptr,
                                 nullptr))
        throwUnreadable();
    const int32_t n = scale ? truncToInt32(double(scale)) : pageScale(window, RASTER_DEFAULT_SCALE);
    const int32_t pw = images.width(), ph = images.height();
    if (xResolution > 0) {
        if (given(width))
            ThrowDispatchException(kErrorBothDimensionAndResolution);
        width = truncToInt32(ResOrDim(w.unit, pw, xResolution, 1, n));
    }
    if (yResolution > 0) {
        if (given(height))
            ThrowDispatchException(kErrorBothDimensionAndResolution);
        height = truncToInt32(ResOrDim(w.unit, ph, yResolution, 1, n));
    }
    const MAP_COORDRECT page = pageRect(window, w.kernel);
    const double pageW = double(page.x2) - page.x1, pageH = double(page.y2) - page.y1;
    const double a = double(ph) / double(pw);
    if (!given(width) && !given(height)) {
        if (pageW > 0 && a <= pageH / pageW) {
            width = truncToInt32(pageW);
            height = truncToInt32(pageW * a);
        } else {
            height = truncToInt32(pageH);
            width = truncToInt32(pageH / a);
        }
    } else if (!given(width)) {
        width = truncToInt32(height / a);
    } else if (!given(height)) {
        height = truncToInt32(width * a);
    }
    if (!given(x))
        x = page.x1;
    if (!given(y))
        y = page.y1;
    const MAP_COORDRECT rect{x, y, clamp32(int64_t(x) + width), clamp32(int64_t(y) + height)};
    const OBJHANDLE h =
        makeRaster(window, w, images, file, format, frameVisible, imageVisible, clipping, n, rect);
    if (!h)
        ThrowDispatchException(kErrorWrongFileOrFormat,
                               DispatchErrorText(kErrorWrongFileOrFormat) + ": the map has no active layer");
    if (raster)
        *raster = h;
    return 1;
}

int map_RasterCreate(HWND window, OBJHANDLE *raster, const char *file, const char *format, int32_t x,
                     int32_t y, int32_t width, int32_t height, int frameVisible, int imageVisible,
                     int clipping, uint32_t scale, int useGeoreference)
{
    const Window w = windowOf(window);
    if (!w.kernel || !RasterNamesFit(file, format))
        return 0;
    RasterBodyParams geo = RasterFreshParams();
    Images images;
    if (!RasterImportByConverter(file, format, &images.header, imageVisible ? &images.pixels : nullptr,
                                 useGeoreference ? &geo : nullptr))
        return 0;
    const int32_t pw = images.width(), ph = images.height();
    const bool resolutionKnown = geo.d[0] != 0 && geo.d[1] != 0;
    const bool cornerKnown =
        geo.d[3] != kLargest && geo.d[4] != kLargest && geo.d[6] != kLargest && geo.d[7] != kLargest;
    const bool dpiKnown = geo.d[9] > 0 && geo.d[10] > 0 && geo.d[9] != kLargest && geo.d[10] != kLargest;
    const double dpiX = dpiKnown ? geo.d[9] : 200, dpiY = dpiKnown ? geo.d[10] : 200;

    int32_t n;
    double sizeX, sizeY;
    if (resolutionKnown) {
        sizeX = pw * geo.d[0];
        sizeY = ph * geo.d[1];
        n = truncToInt32(SclFromResDim(w.unit, pw, dpiX, sizeX, 1));
    } else {
        n = scale ? truncToInt32(double(scale)) : pageScale(window, 1);
        if (n < 1)
            n = RASTER_DEFAULT_SCALE;
        sizeX = ResOrDim(w.unit, pw, dpiX, 1, n);
        sizeY = ResOrDim(w.unit, ph, dpiY, 1, n);
    }

    MAP_COORDRECT rect;
    if (cornerKnown) {
        const int32_t left = truncToInt32(geo.d[6]);
        const int32_t bottom = truncToInt32(geo.d[7] - sizeY);
        rect = {left, bottom, clamp32(int64_t(left) + truncToInt32(sizeX)),
                clamp32(int64_t(bottom) + truncToInt32(sizeY))};
    } else if (given(x) || given(y)) {
        // A side that is not given takes the page's corner or the image's
        // own size, not the marker value.
        const MAP_COORDRECT page = pageRect(window, w.kernel);
        const int32_t left = given(x) ? x : page.x1, bottom = given(y) ? y : page.y1;
        const int32_t across = given(width) ? width : truncToInt32(sizeX);
        const int32_t up = given(height) ? height : truncToInt32(sizeY);
        rect = {left, bottom, clamp32(int64_t(left) + across), clamp32(int64_t(bottom) + up)};
    } else {
        rect = centredOnPage(pageRect(window, w.kernel), truncToInt32(sizeX), truncToInt32(sizeY));
    }
    const OBJHANDLE h =
        makeRaster(window, w, images, file, format, frameVisible, imageVisible, clipping, n, rect);
    if (!h)
        return 0;
    if (raster)
        *raster = h;
    return 1;
}

int map_RasterCreate2(HWND window, OBJHANDLE *raster, const char *file, const char *format, int32_t x,
                      int32_t y, int32_t width, int32_t height, int frameVisible, int imageVisible,
                      int clipping, uint32_t scale, int)
{
    const Window w = windowOf(window);
    if (!w.kernel || !RasterNamesFit(file, format))
        return 0;
    int32_t n = scale ? truncToInt32(double(scale)) : pageScale(window, 1);
    if (n < 1)
        n = RASTER_DEFAULT_SCALE;
    const int32_t across = given(width) ? width : 0, up = given(height) ? height : 0;
    MAP_COORDRECT rect;
    if (given(x) || given(y)) {
        const MAP_COORDRECT page = pageRect(window, w.kernel);
        const int32_t left = given(x) ? x : page.x1, bottom = given(y) ? y : page.y1;
        rect = {left, bottom, clamp32(int64_t(left) + across), clamp32(int64_t(bottom) + up)};
    } else {
        rect = centredOnPage(pageRect(window, w.kernel), across, up);
    }
    Images none;
    const OBJHANDLE h =
        makeRaster(window, w, none, file, format, frameVisible, imageVisible, clipping, n, rect);
    if (!h)
        return 0;
    if (raster)
        *raster = h;
    return 1;
}

int Raster_Set(HWND window, OBJHANDLE raster, const char *file, const char *format, int32_t x, int32_t y,
               int32_t height, int32_t width, int32_t scale, double xResolution, double yResolution,
               int frameVisible, int imageVisible, int clipping)
{
    const Window w = windowOf(window);
    char *p = w.kernel ? RasterObjectLock(w.kernel, raster) : nullptr;
    if (!p)
        return 0;
    refuseLongNames(file, format);
    int32_t pw = 0, ph = 0;
    if (!RasterObjectPixelSize(w.kernel, raster, &pw, &ph))
        return 0;
    const RasterObjectData old = RasterRecordLoad(p);
    const MAP_COORDRECT oldRect = old.bound;
    const int64_t w0 = int64_t(oldRect.x2) - oldRect.x1, h0 = int64_t(oldRect.y2) - oldRect.y1;
    const double oldXRes = ResOrDim(w.unit, pw, double(w0), 1, old.scale);
    const double oldYRes = ResOrDim(w.unit, ph, double(h0), 1, old.scale);

    std::string errors;
    int64_t left = x, bottom = y, right = x + w0, top = y + h0;
    RasterObjectData d = old;
    if (scale != old.scale) {
        if (scale <= 0) {
            errors += "The raster scale must be > 0\n";
        } else {
            d.scale = scale;
            const int32_t across = truncToInt32(ResOrDim(w.unit, pw, oldXRes, 1, scale));
            const int32_t up = truncToInt32(ResOrDim(w.unit, ph, oldYRes, 1, scale));
            if (across < 1)
                errors += "ERROR";
            else
                right = left + across;
            if (up < 1)
                errors += "ERROR";
            else
                top = bottom + up;
        }
    }
    bool heightChanged = false, widthChanged = false;
    if (height != h0) {
        if (height < 0)
            errors += "The raster height must be >= 0\n";
        else
            top = bottom + height;
        heightChanged = true;
    }
    if (width != w0) {
        if (width < 0)
            errors += "The raster width must be >= 0\n";
        else
            right = left + width;
        widthChanged = true;
    }
    if (std::fabs(yResolution - oldYRes) > 0.02) {
        if (heightChanged) {
            errors += "It's not allowed to change both height and vertical resolution\n";
        } else if (yResolution > 0) {
            const int32_t up = truncToInt32(ResOrDim(w.unit, ph, yResolution, 1, d.scale));
            if (up < 1)
                errors += "ERROR";
            else
                top = bottom + up;
        } else {
            errors += "The raster Y resolution must be > 0\n";
        }
    }
    if (std::fabs(xResolution - oldXRes) > 0.02) {
        if (widthChanged) {
            errors += "It's not allowed to change both width and horizontal resolution\n";
        } else if (xResolution > 0) {
            const int32_t across = truncToInt32(ResOrDim(w.unit, pw, xResolution, 1, d.scale));
            if (across < 1)
                errors += "ERROR";
            else
                right = left + across;
        } else {
            errors += "The raster X resolution must be > 0\n";
        }
    }
    d.frameVisible = frameVisible;
    d.imageVisible = imageVisible;
    d.clippingMode = clipping;
    RasterRecordStore(RasterObjectLock(w.kernel, raster), d);

    const bool newNames = (file && std::strncmp(file, old.fileName, sizeof old.fileName) != 0) ||
                          (format && std::strncmp(format, old.formatName, sizeof old.formatName) != 0);
    if (errors.empty() && newNames && !Raster_Set_New_Filename(window, raster, file, format))
        errors += "Wrong file name or file format";
    if (!errors.empty()) {
        if (char *q = RasterObjectLock(w.kernel, raster)) {
            RasterObjectData back = RasterRecordLoad(q);
            back.scale = old.scale;
            back.frameVisible = old.frameVisible;
            back.imageVisible = old.imageVisible;
            back.clippingMode = old.clippingMode;
            RasterRecordStore(q, back);
        }
        ThrowDispatchException(kErrorRasterSettings, errors);
    }
    _COORDRECT rect{clamp32(left), clamp32(bottom), clamp32(right), clamp32(top)};
    _COORDRECT before = oldRect;
    SendOBJectMessage(w.kernel, 0, raster, 0, GRM_SETBOUNDRECT, 0, LPARAM(&rect));
    SendOBJectMessage(w.kernel, 0, raster, 0, GRM_INVALIDATE, 0, LPARAM(&before));
    return 1;
}

int Raster_Set_New_Filename(HWND window, OBJHANDLE raster, const char *file, const char *format)
{
    const Window w = windowOf(window);
    if (!w.kernel || !RasterObjectLock(w.kernel, raster) || !file || !format || !RasterNamesFit(file, format))
        return 0;
    const std::string module = RasterModuleInFolder(std::string(format) + ".cnv");
    if (module.empty())
        return 0;
    const bool hadPixels = RasterObjectPixelBlock(w.kernel, raster) != 0;
    Images images;
    if (!RasterImportByModule(module, file, &images.header, hadPixels ? &images.pixels : nullptr, nullptr))
        return 0;
    RasterObjectSetImages(w.kernel, raster, images.header, images.pixels);
    images.header = images.pixels = 0;
    RasterObjectSetNames(w.kernel, raster, file, format);
    RasterLoadedCount(window);
    return 1;
}
