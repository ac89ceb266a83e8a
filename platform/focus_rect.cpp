#include "platform/focus_rect.h"

#include "platform/dc.h"

namespace {

void invert(HDC dc, int x, int y)
{
    const COLORREF c = GetPixel(dc, x, y);
    if (c != CLR_INVALID)
        SetPixel(dc, x, y, c ^ 0x00FFFFFF);
}

} // namespace

BOOL DrawFocusRect(HDC dc, const RECT *rect)
{
    if (!rect || GetPixel(dc, 0, 0) == CLR_INVALID)
        return FALSE;
    const int left = rect->left, top = rect->top, right = rect->right - 1, bottom = rect->bottom - 1;
    if (right < left || bottom < top)
        return TRUE;
    // Walk the border once, clockwise, inverting every other pixel.
    int n = 0;
    auto dot = [&](int x, int y) {
        if (n++ % 2 == 0)
            invert(dc, x, y);
    };
    for (int x = left; x <= right; ++x)
        dot(x, top);
    for (int y = top + 1; y <= bottom; ++y)
        dot(right, y);
    if (bottom > top)
        for (int x = right - 1; x >= left; --x)
            dot(x, bottom);
    if (right > left)
        for (int y = bottom - 1; y > top; --y)
            dot(left, y);
    return TRUE;
}
