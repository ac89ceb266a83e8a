#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_internal.h"
#include "platform/dc.h"
#include "platform/window_dc.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Extents are measured with a font of at least this many pixels and scaled
// to the text's height, so that small texts get stable rectangles.
constexpr LONG kMeasuringHeight = 64;
// Radians per tenth of a degree, as the stored rectangles have always been
// computed (3.14 / 1800).
constexpr double kRadiansPerTenth = 0.0017444444444444445;

struct Extent {
    int64_t maxWidth = 0;
    int64_t maxHeight = 1;
    int64_t lines = 0;
};

// Measures every line in the measuring font on the context (0: the window's
// own, or a memory context when the window has none). False when the font
// cannot be made.
bool measure(HWND window, HDC given, const char *record, Extent *e)
{
    const int16_t size = TextRecordLoad(record).size;
    const LOGFONTA lf = TextObjectFontDescription(record, std::max<LONG>(size, kMeasuringHeight));
    const HFONT font = CreateFontIndirectA(&lf);
    if (!font)
        return false;
    HDC dc = given;
    bool windowDC = false;
    if (!dc) {
        dc = GetDC(window);
        windowDC = dc != 0;
        if (!dc)
            dc = CreateCompatibleDC(0);
    }
    const HGDIOBJ old = SelectObject(dc, font);
    e->lines = TextObjectLineCount(record);
    const std::string_view text = textobj::RecordText(record);
    size_t start = 0;
    for (int64_t i = 0; i < e->lines; ++i) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        SIZE s{};
        if (GetTextExtentPoint32A(dc, line.data(), int(line.size()), &s)) {
            e->maxWidth = std::max<int64_t>(e->maxWidth, s.cx);
            e->maxHeight = std::max<int64_t>(e->maxHeight, s.cy);
        }
        start = std::min(end + 1, text.size());
    }
    SelectObject(dc, old);
    DeleteObject(font);
    if (windowDC)
        ReleaseDC(window, dc);
    else if (!given)
        DeleteDC(dc);
    return true;
}

// Offset and bound rectangle from the measured extent (the text's height H
// in map units, its box W x T turned about the anchor).
void placeBox(TextObjectData &d, int64_t h, const Extent &e)
{
    const int64_t w = h * e.maxWidth / e.maxHeight;
    const int64_t t = h * e.lines;
    int64_t dx = 0, dy = 0;
    if (d.flags & TEXT_ALIGN_HCENTER)
        dx = -(w / 2);
    if (d.flags & TEXT_ALIGN_RIGHT)
        dx -= w;
    if (d.flags & TEXT_ALIGN_VCENTER)
        dy = t / 2;
    if (d.flags & TEXT_ALIGN_BOTTOM)
        dy += t;
    double c = 1, s = 0;
    if (d.rotation != 0) {
        const double a = d.rotation * kRadiansPerTenth;
        c = std::cos(a);
        s = std::sin(a);
    }
    using textobj::Trunc32;
    d.offsetX = Trunc32(double(dx) * c - double(dy) * s);
    d.offsetY = Trunc32(double(dx) * s + double(dy) * c);
    const int64_t x0 = int64_t(d.anchorX) + d.offsetX, y0 = int64_t(d.anchorY) + d.offsetY;
    const int64_t wc = Trunc32(double(w) * c), ws = Trunc32(double(w) * s);
    const int64_t ts = Trunc32(double(t) * s), tc = Trunc32(double(t) * c);
    const int64_t xs[4] = {x0, x0 + wc, x0 + ts + wc, x0 + ts};
    const int64_t ys[4] = {y0, y0 + ws, y0 + ws - tc, y0 - tc};
    using textobj::Clamp32;
    d.bound = {Clamp32(*std::min_element(xs, xs + 4)), Clamp32(*std::min_element(ys, ys + 4)),
               Clamp32(*std::max_element(xs, xs + 4)), Clamp32(*std::max_element(ys, ys + 4))};
}

void recalc(HWND window, HDC dc, OBJHANDLE text, bool invalidate)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec)
        return;
    OBJectKernel *kernel = rec->kernel;
    char *p = TextObjectLock(kernel, text);
    if (!p)
        return;
    TextObjectData d = TextRecordLoad(p);
    Extent e;
    if (!measure(window, dc, p, &e)) {
        d.bound = {d.anchorX, d.anchorY, d.anchorX, d.anchorY};
        TextRecordStore(p, d);
        return;
    }
    const int32_t h = textobj::TextHeightInMap(window, d);
    placeBox(d, h, e);
    if (!(p = TextObjectLock(kernel, text)))
        return;
    TextRecordStore(p, d);
    if (invalidate) {
        _COORDRECT bound = d.bound;
        SendOBJectMessage(kernel, text, text, 0, GRM_INVALIDATE, 0, LPARAM(&bound));
    }
}

// Every text of every layer, layers and their objects from last to first.
void forEachText(HWND window, bool screenLockedOnly)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return;
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE root = GetRootOBJect(window, CLASS_LAYERS);
    if (!root)
        return;
    // Gathered first, so that the walk does not depend on what the messages
    // of recomputing do to the lists.
    std::vector<OBJHANDLE> texts;
    int32_t lpos = 0;
    for (OBJHANDLE layer = LastReference(kernel, root, REF_LAYER_MEMBER, &lpos); layer;
         layer = PrevReference(kernel, root, REF_LAYER_MEMBER, &lpos)) {
        int32_t opos = 0;
        for (OBJHANDLE o = LastReference(kernel, layer, REF_LAYER_MEMBER, &opos); o;
             o = PrevReference(kernel, layer, REF_LAYER_MEMBER, &opos)) {
            const char *p = TextObjectLock(kernel, o);
            if (p && (!screenLockedOnly || (TextRecordLoad(p).flags & TEXT_LOCK_SCREEN)))
                texts.push_back(o);
        }
    }
    for (OBJHANDLE t : texts)
        recalc(window, 0, t, true);
}

} // namespace

void TextObjectRecalcRect(HWND window, OBJHANDLE text) { recalc(window, 0, text, true); }

void TextObjectRecalcRectOnDC(HWND window, HDC dc, OBJHANDLE text)
{
    if (dc)
        recalc(window, dc, text, false);
}

void TextObjectsRecalcAll(HWND window) { forEachText(window, false); }

void TextObjectsRecalcScreenLocked(HWND window) { forEachText(window, true); }
