// Drawing a line segment and its marks, inverted for rubber bands: drawn
// twice with the same arguments, it leaves the screen as it was.
#include "engine/editing/line_segment.h"

#include "engine/kernel/module_startup.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/wndres.h"
#include "platform/bitblt.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/system_colors.h"
#include "platform/window_dc.h"

namespace {

// Marker bitmaps by their index in the library's table.
constexpr int kSquare = 0, kCircle = 1, kTriangle = 2;

void mark(HDC dc, int which, POINT at)
{
    if (const HBITMAP bitmap = MarkerBitmap(which))
        BitmapDraw(dc, bitmap, 7, 7, at.x - 3, at.y - 3, SRCINVERT);
}

} // namespace

int LinesegmentDisplay(HWND window, HDC dc, const Linesegment *segment, uint16_t flags, int style)
{
    if (!segment)
        return 0;
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->displayView)
        return 0;
    const bool own = !dc;
    HDC use = own ? GetDC(window) : dc;
    if (!use)
        return 0;
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    SetBkMode(use, TRANSPARENT);
    SetBkColor(use, text);
    const HPEN pen = (flags & SEGMENT_DOTTED) || style == 1 ? CreatePen(PS_DOT, 1, text)
                     : style == 3                           ? CreatePen(PS_SOLID, 2, text)
                                                            : CreatePen(PS_SOLID, 1, text);
    const MAP_COORDPT ends[2] = {{segment->x1, segment->y1}, {segment->x2, segment->y2}};
    POINT at[2] = {};
    PM_MapToWindow(rec->displayView, ends, at, 2);
    const int oldRop = SetROP2(use, (flags & (SEGMENT_INVERT | SEGMENT_DOTTED)) ? R2_NOTXORPEN : R2_COPYPEN);
    const HGDIOBJ oldPen = SelectObject(use, pen);
    if (flags & SEGMENT_LINE) {
        MoveToEx(use, at[0].x, at[0].y, nullptr);
        LineTo(use, at[1].x, at[1].y);
    }
    SelectObject(use, oldPen);
    SetROP2(use, oldRop);
    DeleteObject(pen);
    SetBkColor(use, RGB(255, 255, 255));
    if (flags & SEGMENT_FIRST_TRIANGLE)
        mark(use, kTriangle, at[0]);
    if (flags & SEGMENT_SECOND_TRIANGLE)
        mark(use, kTriangle, at[1]);
    if (flags & SEGMENT_SECOND_CIRCLE)
        mark(use, kCircle, at[1]);
    if (flags & SEGMENT_FIRST_CIRCLE)
        mark(use, kCircle, at[0]);
    if (flags & SEGMENT_MIDPOINT_SQUARE) {
        MAP_COORDPT mid;
        LinesegmentMedian(segment, &mid);
        POINT m{};
        PM_MapToWindow(rec->displayView, &mid, &m, 1);
        mark(use, kSquare, m);
    }
    if (own)
        ReleaseDC(window, use);
    return 1;
}
