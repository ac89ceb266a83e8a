// Drawing the page: its frame, the dotted frame of the printable area and
// the marks on its corner handles.

#include "engine/window/page.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/module_startup.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/wndres.h"
#include "platform/bitblt.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/system_colors.h"
#include "platform/window.h"
#include "platform/window_dc.h"

#include <algorithm>

namespace {

// Display mode bits the page looks at.
constexpr uint32_t MODE_DRAW = 0x0004;
constexpr uint32_t MODE_INVERTED = 0x0060; // drawn with NOT-XOR
constexpr uint32_t MODE_NO_VERTICES = 0x0040;
constexpr uint32_t MODE_NO_UPDATE = 0x0860;
constexpr uint32_t MODE_HANDLES = 0x0218;
constexpr uint32_t MODE_ERASE = 0x0800;
constexpr uint32_t MODE_NULL_PEN_AFTER = 0x1000;
// How far outside the client area frames are still drawn.
constexpr int CLIP_MARGIN = 100;

RECT clampTo(const RECT &r, const RECT &bounds)
{
    auto cx = [&](LONG v) { return std::clamp(v, bounds.left, bounds.right); };
    auto cy = [&](LONG v) { return std::clamp(v, bounds.top, bounds.bottom); };
    return RECT{cx(r.left), cy(r.top), cx(r.right), cy(r.bottom)};
}

// The four edges of a frame, each one skipped when its flag says so. Each
// edge leaves out its end point, which the next edge starts with, so that
// an inverting pen touches every corner once.
void frame(HDC dc, const RECT &r, const bool skip[4])
{
    const POINT corners[5] = {
        {r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}, {r.left, r.top}};
    for (int i = 0; i < 4; ++i) {
        if (skip[i])
            continue;
        MoveToEx(dc, corners[i].x, corners[i].y, nullptr);
        LineTo(dc, corners[i + 1].x, corners[i + 1].y);
    }
}

void drawFrames(HDC dc, const RECT &page, const RECT &printable, COLORREF color, uint32_t mode)
{
    const HPEN solid = CreatePen(PS_SOLID, 1, color);
    const HPEN dotted = CreatePen(PS_DOT, 1, color);
    const HGDIOBJ oldPen = SelectObject(dc, solid);
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    const bool none[4] = {false, false, false, false};
    frame(dc, page, none);
    // Margins of zero put printable edges on the page frame; drawing them
    // again would dot the solid line.
    const bool onPage[4] = {printable.top == page.top, printable.right == page.right,
                            printable.bottom == page.bottom, printable.left == page.left};
    SelectObject(dc, dotted);
    frame(dc, printable, onPage);
    SelectObject(dc, (mode & MODE_NULL_PEN_AFTER) ? GetStockObject(NULL_PEN) : oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(solid);
    DeleteObject(dotted);
}

// The corner handles: the "full_sq" mark, drawn inverting, so that drawing
// it again restores the pixels under it.
void drawHandleMarks(HDC dc, const POINT (&corners)[4])
{
    const HBITMAP image = MarkerBitmap(MARKER_FULL_SQUARE);
    if (!image)
        return;
    for (const POINT &p : corners)
        BitmapDraw(dc, image, SELECTION_MARK_SIZE, SELECTION_MARK_SIZE, p.x - SELECTION_MARK_SIZE / 2,
                   p.y - SELECTION_MARK_SIZE / 2, SRCINVERT);
}

} // namespace

int PageDisplay(HWND window, HDC dc, OBJHANDLE page, uint32_t mode, const GraphDispl *attributes)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView)
        return 0;
    if (!(mode & MODE_NO_UPDATE))
        PageUpdateInWindow(window);
    PageRecord record;
    if (!PageRead(rec->kernel, page, &record))
        return 0;
    const PresentationManager *view = rec->displayView;

    RECT client{0, 0, 0, 0};
    GetClientRect(window, &client);
    const RECT bounds{client.left - CLIP_MARGIN, client.top - CLIP_MARGIN, client.right + CLIP_MARGIN,
                      client.bottom + CLIP_MARGIN};
    RECT pageRect, printRect;
    PM_WorldToWindowRect(view, &record.page, &pageRect);
    PM_WorldToWindowRect(view, &record.printable, &printRect);
    pageRect = clampTo(pageRect, bounds);
    printRect = clampTo(printRect, bounds);

    const bool own = dc == 0;
    if (own)
        dc = GetDC(window);
    if (!dc)
        return 0;
    const COLORREF windowColor = GetSysColor(COLOR_WINDOW);
    const COLORREF oldBk = SetBkColor(dc, windowColor);
    const int oldMode = SetBkMode(dc, TRANSPARENT);

    if (mode & MODE_DRAW) {
        SetROP2(dc, (mode & MODE_INVERTED) ? R2_NOTXORPEN : R2_COPYPEN);
        const uint32_t needed = GD_LINECOLOR | GD_LINESTYLE | GD_LINEWIDTH;
        if (attributes && attributes->lineColor != CLR_INVALID && (attributes->mask & needed) == needed)
            drawFrames(dc, pageRect, printRect, (mode & MODE_ERASE) ? windowColor : attributes->lineColor,
                       mode);
    }
    SetROP2(dc, R2_COPYPEN);

    POINT corners[4];
    for (int i = 0; i < 4; ++i) {
        MAP_COORDPT world{};
        PageHandlePosition(rec->kernel, page, 2 * i, &world);
        PM_WorldToWindow(view, &world, &corners[i], 1);
    }
    if ((mode & MODE_HANDLES) && !(mode & MODE_INVERTED))
        drawHandleMarks(dc, corners);
    if (!(mode & MODE_NO_VERTICES) && GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY)
        for (const POINT &p : corners)
            VertexBitmapMark(rec, p.x, p.y);

    SetBkMode(dc, oldMode);
    SetBkColor(dc, oldBk);
    if (own)
        ReleaseDC(window, dc);
    return 1;
}
