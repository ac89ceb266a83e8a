#include "engine/kernel/graph_object.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/view/text/pres_ranges_style.h"
#include "engine/view/text/text_internal.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/wndres.h"
#include "platform/bitblt.h"
#include "platform/dc.h"
#include "platform/system_colors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

// Drawing coordinates of the marks stay well inside 16 bits.
constexpr int64_t kBitmapCoordinateLimit = 32701;

bool isDisplay(HDC dc) { return GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY; }

// The context's text colour and background, changed only where they differ
// and put back the same way.
class TextColours {
public:
    TextColours(HDC dc, COLORREF text, int mode, std::optional<COLORREF> background) : dc_(dc)
    {
        oldText_ = GetTextColor(dc);
        if (oldText_ != (text & 0xFFFFFF)) {
            SetTextColor(dc, text);
            textSet_ = true;
        }
        oldMode_ = GetBkMode(dc);
        if (oldMode_ != mode) {
            SetBkMode(dc, mode);
            modeSet_ = true;
        }
        oldBackground_ = GetBkColor(dc);
        if (background && oldBackground_ != (*background & 0xFFFFFF)) {
            SetBkColor(dc, *background);
            backgroundSet_ = true;
        }
    }
    ~TextColours()
    {
        if (textSet_)
            SetTextColor(dc_, oldText_);
        if (modeSet_)
            SetBkMode(dc_, oldMode_);
        if (backgroundSet_)
            SetBkColor(dc_, oldBackground_);
    }
    TextColours(const TextColours &) = delete;
    TextColours &operator=(const TextColours &) = delete;

private:
    HDC dc_;
    COLORREF oldText_ = 0, oldBackground_ = 0;
    int oldMode_ = 0;
    bool textSet_ = false, modeSet_ = false, backgroundSet_ = false;
};

} // namespace

int TextOpacityFromTransparency(int transparency)
{
    const float v = 255.0f - float(transparency) * 0.01f * 255.0f;
    return int(textobj::Trunc32(double(v))) & 0xFF;
}

void BitmapDraw(HDC dc, HBITMAP bitmap, int width, int height, int x, int y, DWORD rop)
{
    if (!dc || !bitmap)
        return;
    if (std::llabs(int64_t(x)) + width >= kBitmapCoordinateLimit ||
        std::llabs(int64_t(y)) + height >= kBitmapCoordinateLimit)
        return;
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    if (old)
        BitBlt(dc, x, y, width, height, memory, 0, 0, rop);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void RectCornersToVertexBitmap(HWND window, HDC dc, const RECT *rect, int clear)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rect || !isDisplay(dc))
        return;
    const POINT corners[4] = {{rect->left, rect->top},
                              {rect->right, rect->top},
                              {rect->right, rect->bottom},
                              {rect->left, rect->bottom}};
    for (const POINT &c : corners) {
        if (clear)
            VertexBitmapClear(rec, c.x, c.y);
        else
            VertexBitmapMark(rec, c.x, c.y);
    }
}

void TextObjectDrawMarks(HWND window, HDC dc, OBJHANDLE text)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !dc || !rec->displayView)
        return;
    const char *p = TextObjectLock(rec->kernel, text);
    if (!p)
        return;
    const TextObjectData d = TextRecordLoad(p);
    RECT r{};
    PM_MapToWindowRect(rec->displayView, &d.bound, &r);
    RectCornersToVertexBitmap(window, dc, &r, 0);
    const int left = std::min(r.left, r.right), right = std::max(r.left, r.right);
    const int top = std::min(r.top, r.bottom), bottom = std::max(r.top, r.bottom);
    const COLORREF oldBackground = SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    const HBITMAP square = MarkerBitmap(MARKER_FULL_SQUARE);
    const bool unrotated = d.rotation == 0;
    // An unrotated text has its anchor (and the cross) on a corner for some
    // alignments: that corner keeps only the cross.
    if (!(unrotated && !(d.flags & TEXT_ALIGN_MASK)))
        BitmapDraw(dc, square, SELECTION_MARK_SIZE, SELECTION_MARK_SIZE, left, top, SRCINVERT);
    BitmapDraw(dc, square, SELECTION_MARK_SIZE, SELECTION_MARK_SIZE, right - SELECTION_MARK_SIZE, top,
               SRCINVERT);
    if (!(unrotated && (d.flags & TEXT_ALIGN_RIGHT) && (d.flags & TEXT_ALIGN_BOTTOM)))
        BitmapDraw(dc, square, SELECTION_MARK_SIZE, SELECTION_MARK_SIZE, right - SELECTION_MARK_SIZE,
                   bottom - SELECTION_MARK_SIZE, SRCINVERT);
    BitmapDraw(dc, square, SELECTION_MARK_SIZE, SELECTION_MARK_SIZE, left, bottom - SELECTION_MARK_SIZE,
               SRCINVERT);
    const MAP_COORDPT anchor{d.anchorX, d.anchorY};
    POINT a{};
    PM_MapToWindow(rec->displayView, &anchor, &a, 1);
    BitmapDraw(dc, MarkerBitmap(MARKER_CROSS), SELECTION_MARK_SIZE, SELECTION_MARK_SIZE, a.x - 3, a.y - 3,
               SRCINVERT);
    SetBkColor(dc, oldBackground);
}

int TextObjectDisplay(HWND window, HDC dc, OBJHANDLE text, uint16_t mode, GraphDispl *attributes,
                      int transparency)
{
    _WNDRES *rec = GetWndRes(window);
    if (!dc || !rec || !rec->displayView)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const char *p = TextObjectLock(kernel, text);
    if (!p)
        return 0;
    if (TextRecordLoad(p).flags & TEXT_LOCK_SCREEN) {
        TextObjectRecalcRectOnDC(window, dc, text);
        if (!(p = TextObjectLock(kernel, text)))
            return 0;
    }
    const TextObjectData d = TextRecordLoad(p);
    const HFONT font = TextObjectFontGet(window, p);
    if (!font)
        return 0;
    const HGDIOBJ oldFont = SelectObject(dc, font);

    const MAP_COORDPT origin{textobj::Clamp32(int64_t(d.anchorX) + d.offsetX),
                             textobj::Clamp32(int64_t(d.anchorY) + d.offsetY)};
    POINT p0{};
    PM_MapToWindow(rec->displayView, &origin, &p0, 1);

    GraphDispl a{};
    a.fillColor = 0xFFFFFFFFu;
    if (attributes)
        a = *attributes;
    COLORREF textColor;
    int bkMode;
    std::optional<COLORREF> background;
    if (d.colorMode != 0) {
        textColor = d.ownColor;
        if (SendOBJectMessage(kernel, text, text, 0, GRM_GETSELECTABLE, 0, 0) != 0)
            textColor = a.lineColor;
        bkMode = d.colorMode == 1 ? TRANSPARENT : OPAQUE;
        if (d.colorMode != 1)
            background = GetSysColor(COLOR_INFOBK);
    } else {
        textColor = a.lineColor;
        background = a.fillColor;
        bkMode = a.fillColor != 0xFFFFFFFFu ? OPAQUE : TRANSPARENT;
    }
    if (PresRangesObjectStyle(kernel, text, &a)) {
        textColor = a.lineColor;
        bkMode = TRANSPARENT;
    }
    if (attributes)
        *attributes = a;

    {
        const TextColours colours(dc, textColor, bkMode, background);
        LOGFONTA lf{};
        GetObjectA(font, sizeof lf, &lf);
        const std::string_view all = textobj::RecordText(p);
        const int64_t n = TextObjectLineCount(p);
        const double total = double(int64_t(lf.lfHeight) * n);
        const double degrees = d.rotation * 0.1;
        double sx = 0, sy = total;
        if (degrees != 0) {
            sx = std::sin(degrees * 3.14 / 180) * total;
            sy = std::cos(degrees * 3.14 / 180) * total;
        }
        const int alpha = TextOpacityFromTransparency(transparency);
        size_t start = 0;
        for (int64_t i = 0; i < n; ++i) {
            size_t end = std::min(all.find('\n', start), all.size());
            std::string_view line = all.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            start = std::min(end + 1, all.size());
            const int x = textobj::Clamp32(p0.x + int64_t(textobj::Trunc32(double(i) * sx / double(n))));
            const int y = textobj::Clamp32(p0.y + int64_t(textobj::Trunc32(double(i) * sy / double(n))));
            if (transparency <= 0)
                TextOutA(dc, x, y, line.data(), int(line.size()));
            else
                DrawTranslucentRotatedText(dc, x, y, line, textColor, alpha, degrees);
        }
    }
    SelectObject(dc, oldFont);

    if ((mode & TEXT_DISPLAY_MARKS) && GetDeviceCaps(dc, TECHNOLOGY) != DT_RASPRINTER) {
        TextObjectDrawMarks(window, dc, text);
        const MAP_COORDPT anchor{d.anchorX, d.anchorY};
        POINT w{};
        PM_MapToWindow(rec->displayView, &anchor, &w, 1);
        VertexBitmapMark(rec, w.x, w.y);
    }
    return 1;
}
