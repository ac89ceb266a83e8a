#include "engine/kernel/graph_rect.h"

#include "engine/kernel/graph_window.h"
#include "platform/message_box.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

void InitBoundRect(_COORDRECT *rect)
{
    if (rect)
        *rect = kEmptyBoundRect;
}

void InitEmptyPoint(_COORDPT *point)
{
    if (point)
        *point = kEmptyPoint;
}

int SumBoundRect(_COORDRECT *a, const _COORDRECT *b)
{
    if (!a || !b || b->x1 > b->x2 || b->y1 > b->y2)
        return 0;
    const _COORDRECT old = *a;
    a->x1 = std::min(a->x1, b->x1);
    a->y1 = std::min(a->y1, b->y1);
    a->x2 = std::max(a->x2, b->x2);
    a->y2 = std::max(a->y2, b->y2);
    return old.x1 != a->x1 || old.y1 != a->y1 || old.x2 != a->x2 || old.y2 != a->y2;
}

int GraphRectsIntersect(const _COORDRECT *a, const _COORDRECT *b)
{
    if (!a || !b)
        return 0;
    return a->x1 <= b->x2 && b->x1 <= a->x2 && a->y1 <= b->y2 && b->y1 <= a->y2;
}

int GraphRectEnclosesGaphRect(const _COORDRECT *outer, const _COORDRECT *inner)
{
    if (!outer || !inner)
        return 0;
    auto within = [](int32_t v, int32_t lo, int32_t hi) { return lo <= v && v <= hi; };
    return within(inner->x1, outer->x1, outer->x2) && within(inner->x2, outer->x1, outer->x2) &&
           within(inner->y1, outer->y1, outer->y2) && within(inner->y2, outer->y1, outer->y2);
}

int GraphRectContainsPoint(const _COORDRECT *rect, int32_t x, int32_t y)
{
    if (!rect)
        return 0;
    const auto [xlo, xhi] = std::minmax(rect->x1, rect->x2);
    const auto [ylo, yhi] = std::minmax(rect->y1, rect->y2);
    return xlo <= x && x <= xhi && ylo <= y && y <= yhi;
}

int GraphRectSubtract(const _COORDRECT *a, const _COORDRECT *b, _COORDRECT out[4])
{
    if (!a || !b || !out)
        return -1;
    if (!GraphRectsIntersect(a, b)) {
        out[0] = *a;
        return 1;
    }
    // b overlaps a, so every edge of b used below lies within a's range and
    // the +-1 steps stay inside the 32-bit range.
    int n = 0;
    int32_t left = a->x1, right = a->x2;
    if (b->x1 > a->x1) {
        out[n++] = {a->x1, a->y1, b->x1 - 1, a->y2};
        left = b->x1;
    }
    if (b->x2 < a->x2) {
        out[n++] = {b->x2 + 1, a->y1, a->x2, a->y2};
        right = b->x2;
    }
    if (b->y1 > a->y1)
        out[n++] = {left, a->y1, right, b->y1 - 1};
    if (b->y2 < a->y2)
        out[n++] = {left, b->y2 + 1, right, a->y2};
    return n;
}

namespace {

int32_t truncClamp(double v)
{
    if (std::isnan(v))
        return 0;
    return int32_t(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

} // namespace

void InterpolateCoordPt(const _COORDPT *p0, const GraphFraction *fraction, _COORDPT *out, const _COORDPT *p1)
{
    if (!p0 || !fraction || !out || !p1)
        return;
    if (fraction->denominator == 0) {
        *out = *p1;
        return;
    }
    const double f = double(fraction->numerator) / double(fraction->denominator);
    out->x = truncClamp(p0->x + (double(p1->x) - p0->x) * f);
    out->y = truncClamp(p0->y + (double(p1->y) - p0->y) * f);
}

void InvalidateGraphRect(HWND window, const _COORDRECT *rect, int margin)
{
    (void)margin;
    if (rect && (rect->x1 > rect->x2 || rect->y1 > rect->y2))
        return;
    // Turning a map rectangle into pixels takes the window's view record;
    // while the window has none, the whole client area is repainted, which
    // covers any rectangle with its margin.
    if (!GetWndRes(window))
        return;
    InvalidateRect(window, nullptr, TRUE);
}

namespace {

std::mutex g_stringMutex;

bool builtInString(int id, std::string &text)
{
    switch (id) {
    case 760:
        text = "Identifier exists";
        return true;
    default:
        return false;
    }
}

GraphStringSource &stringSource()
{
    static GraphStringSource source = builtInString;
    return source;
}

} // namespace

GraphStringSource SetGraphStringSource(GraphStringSource source)
{
    std::lock_guard lock(g_stringMutex);
    GraphStringSource old = std::move(stringSource());
    stringSource() = source ? std::move(source) : GraphStringSource(builtInString);
    return old;
}

int GraphErrorMessage(HWND window, int stringId, ...)
{
    (void)window; // the box belongs to the active window
    std::string format;
    {
        std::lock_guard lock(g_stringMutex);
        if (!stringSource()(stringId, format))
            return 0;
    }
    format.resize(std::min<size_t>(format.size(), 131));
    char text[132];
    va_list args;
    va_start(args, stringId);
    // Longer results are cut to the room of the buffer.
    std::vsnprintf(text, sizeof text, format.c_str(), args);
    va_end(args);
    std::string shown;
    for (const char *p = text; *p; ++p)
        if (static_cast<unsigned char>(*p) >= 0x20)
            shown += *p;
    MessageBoxA(GetActiveWindow(), shown.c_str(), "", MB_OK | MB_ICONSTOP);
    return 0;
}

void *OBJMemAlloc(size_t size) { return std::calloc(1, size ? size : 1); }

int OBJMemFree(void *block)
{
    std::free(block);
    return 0;
}
