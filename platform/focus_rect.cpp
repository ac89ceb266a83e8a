#include "platform/focus_rect.h"

#include "platform/dc.h"

#include <algorithm>
#include <cstdint>

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
    // 64-bit edges: a rectangle may reach the ends of the coordinate range.
    const int64_t left = rect->left, top = rect->top, right = int64_t(rect->right) - 1,
                  bottom = int64_t(rect->bottom) - 1;
    if (right < left || bottom < top)
        return TRUE;
    // The border is walked once, clockwise, inverting every other pixel;
    // only the part of each edge that can lie on a surface is visited, its
    // pixels keeping their place in the walk.
    static constexpr int64_t kLow = 0, kHigh = 1 << 16;
    auto clampLow = [](int64_t v) { return std::max(v, kLow); };
    auto clampHigh = [](int64_t v) { return std::min(v, kHigh); };
    int64_t n = 0; // index of the edge's first pixel in the walk
    auto dot = [&](int64_t index, int64_t x, int64_t y) {
        if (index % 2 == 0)
            invert(dc, int(x), int(y));
    };
    // Top, left to right.
    if (top >= kLow && top <= kHigh)
        for (int64_t x = clampLow(left); x <= clampHigh(right); ++x)
            dot(n + (x - left), x, top);
    n += right - left + 1;
    // Right, downwards.
    if (right >= kLow && right <= kHigh)
        for (int64_t y = clampLow(top + 1); y <= clampHigh(bottom); ++y)
            dot(n + (y - top - 1), right, y);
    n += bottom - top;
    // Bottom, right to left.
    if (bottom > top) {
        if (bottom >= kLow && bottom <= kHigh)
            for (int64_t x = clampHigh(right - 1); x >= clampLow(left); --x)
                dot(n + (right - 1 - x), x, bottom);
        n += right - left;
    }
    // Left, upwards.
    if (right > left && left >= kLow && left <= kHigh)
        for (int64_t y = clampHigh(bottom - 1); y >= clampLow(top + 1); --y)
            dot(n + (bottom - 1 - y), left, y);
    return TRUE;
}
