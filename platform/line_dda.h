// LineDDA: the walk of a line's pixels that the styled-line renderer and the
// one-pixel pens of a device context share, so that both put a line on the
// same pixels.
//
// Rule: with n = max(|dx|, |dy|) the walk has exactly n points; point i
// (0 <= i < n) is one step i along the major axis (x when |dx| >= |dy|) and
// round(i * |dminor| / n) along the minor axis, where a half rounds away from
// the start point: minor offset = floor((2 * i * |dminor| + n) / (2 * n)).
// The first point is the start point, the end point is never visited, and
// consecutive points are 8-connected. A line from a point to itself has no
// points. Arithmetic is in 64 bits, so any 32-bit end points are walked
// without overflow (a walk of 2^32 points is the caller's choice).
#pragma once

#include "platform/types.h"

#include <algorithm>

// The one signature of every LineDDA callback: the pixel and the caller's
// data word. Callbacks that the design declares with 16-bit coordinates take
// the low 16 bits of x and y themselves.
using LINEDDAPROC = void (*)(int x, int y, LPARAM data);

BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data);

// The same walk for C++ callers that want the pixels inline (the device
// context's pens, the renderer's fast paths). f(x, y) is called per point.
template <typename F>
inline void WalkLineDDA(int x1, int y1, int x2, int y2, F &&f)
{
    const int64_t dx = int64_t(x2) - x1;
    const int64_t dy = int64_t(y2) - y1;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int64_t n = xMajor ? adx : ady;
    if (n == 0)
        return;
    const int64_t minorDelta = xMajor ? ady : adx;
    const int sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int sMinor = (xMajor ? dy : dx) < 0 ? -1 : 1;
    // r holds 2 * i * minorDelta + n reduced modulo 2n; the minor coordinate
    // moves each time it reaches 2n.
    int64_t r = n;
    int64_t major = xMajor ? x1 : y1;
    int64_t minor = xMajor ? y1 : x1;
    for (int64_t i = 0; i < n; ++i) {
        if (xMajor)
            f(int(major), int(minor));
        else
            f(int(minor), int(major));
        major += sMajor;
        r += 2 * minorDelta;
        if (r >= 2 * n) {
            r -= 2 * n;
            minor += sMinor;
        }
    }
}

// The same walk, restricted to the points inside [0, width) x [0, height):
// f(x, y, i) gets each such point with its index i in the whole walk, and
// the points outside are skipped without being stepped through one by one
// along the major axis.
template <typename F>
inline void WalkLineDDAClipped(int x1, int y1, int x2, int y2, int width, int height, F &&f)
{
    const int64_t dx = int64_t(x2) - x1;
    const int64_t dy = int64_t(y2) - y1;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int64_t n = xMajor ? adx : ady;
    if (n == 0 || width <= 0 || height <= 0)
        return;
    const int64_t m = xMajor ? ady : adx;
    const int sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int sMinor = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t major0 = xMajor ? x1 : y1;
    const int64_t minor0 = xMajor ? y1 : x1;
    const int64_t majorExtent = xMajor ? width : height;
    const int64_t minorExtent = xMajor ? height : width;
    int64_t i0, i1;
    if (sMajor > 0) {
        i0 = std::max<int64_t>(0, -major0);
        i1 = std::min<int64_t>(n, majorExtent - major0);
    } else {
        i0 = std::max<int64_t>(0, major0 - majorExtent + 1);
        i1 = std::min<int64_t>(n, major0 + 1);
    }
    if (i0 >= i1)
        return;
    // Likewise along the minor axis: its offset q(i) = floor((2 i m + n) / 2n)
    // never falls, so the points with q in [qLo, qHi] are one run of i.
    if (m > 0) {
        const auto ceilDiv = [](__int128 a, __int128 b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); };
        const __int128 qLo = sMinor > 0 ? -minor0 : minor0 - minorExtent + 1;
        const __int128 qHi = sMinor > 0 ? minorExtent - 1 - minor0 : minor0;
        // q(i) >= k  <=>  i >= ceil((2nk - n) / 2m)
        const __int128 first = ceilDiv(2 * __int128(n) * qLo - n, 2 * __int128(m));
        const __int128 past = ceilDiv(2 * __int128(n) * (qHi + 1) - n, 2 * __int128(m));
        i0 = int64_t(std::max<__int128>(i0, first));
        i1 = int64_t(std::min<__int128>(i1, past));
    } else if (minor0 < 0 || minor0 >= minorExtent) {
        return;
    }
    if (i0 >= i1)
        return;
    // State at i0 in closed form; the products need more than 64 bits.
    const __int128 num = __int128(2) * i0 * m + n;
    int64_t minor = minor0 + sMinor * int64_t(num / (2 * n));
    int64_t r = int64_t(num % (2 * n));
    int64_t major = major0 + sMajor * i0;
    for (int64_t i = i0; i < i1; ++i) {
        if (minor >= 0 && minor < minorExtent) {
            if (xMajor)
                f(int(major), int(minor), i);
            else
                f(int(minor), int(major), i);
        }
        major += sMajor;
        r += 2 * m;
        if (r >= 2 * n) {
            r -= 2 * n;
            minor += sMinor;
        }
    }
}
