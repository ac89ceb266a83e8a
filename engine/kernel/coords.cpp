#include "engine/kernel/coords.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

int32_t saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// RECT and MAP_COORDRECT share one layout; the Rect helpers work on a copy in
// the world form so that one routine serves both.
MAP_COORDRECT asWorld(const RECT &r) { return {r.left, r.top, r.right, r.bottom}; }
RECT asWindow(const MAP_COORDRECT &r) { return {r.x1, r.y1, r.x2, r.y2}; }

void enlarge(MAP_COORDRECT *rect, double f, double lower, double upper)
{
    const double w = double(int64_t(rect->x2) - rect->x1);
    const double h = double(int64_t(rect->y2) - rect->y1);
    const double dx = w * f * 0.5;
    const double dy = h * f * 0.5;
    double x1 = rect->x1 - dx, y1 = rect->y1 - dy;
    double x2 = rect->x2 + dx, y2 = rect->y2 + dy;
    // Every value is held within the bounds: a strong shrink can turn the
    // rectangle inside out and push x1 past the upper one.
    x1 = std::clamp(x1, lower, upper);
    y1 = std::clamp(y1, lower, upper);
    x2 = std::clamp(x2, lower, upper);
    y2 = std::clamp(y2, lower, upper);
    rect->x1 = truncToInt32(x1);
    rect->y1 = truncToInt32(y1);
    rect->x2 = truncToInt32(x2);
    rect->y2 = truncToInt32(y2);
}

} // namespace

int32_t truncToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= double(INT32_MAX))
        return INT32_MAX;
    if (v <= double(INT32_MIN))
        return INT32_MIN;
    return int32_t(v);
}

void WorldRectInit(MAP_COORDRECT *rect)
{
    if (rect)
        *rect = kEmptyWorldRect;
}
void RectInit(MAP_COORDRECT *rect) { WorldRectInit(rect); }
void RectInit(RECT *rect)
{
    if (rect)
        *rect = asWindow(kEmptyWorldRect);
}

int WorldRectIsEmpty(const MAP_COORDRECT *rect)
{
    return rect && rect->x1 == kEmptyWorldRect.x1 && rect->y1 == kEmptyWorldRect.y1 &&
           rect->x2 == kEmptyWorldRect.x2 && rect->y2 == kEmptyWorldRect.y2;
}

int WorldRectIsValid(const MAP_COORDRECT *rect)
{
    return rect && rect->x1 <= rect->x2 && rect->y1 <= rect->y2;
}
int RectIsValid(const MAP_COORDRECT *rect) { return WorldRectIsValid(rect); }
int RectIsValid(const RECT *rect)
{
    if (!rect)
        return 0;
    const MAP_COORDRECT r = asWorld(*rect);
    return WorldRectIsValid(&r);
}

void WorldRectSet(MAP_COORDRECT *rect, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (rect)
        *rect = {x1, y1, x2, y2};
}
void map_rect_Set(MAP_COORDRECT *rect, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    WorldRectSet(rect, x1, y1, x2, y2);
}

void RectToWorldRect(const RECT *in, MAP_COORDRECT *out)
{
    if (in && out)
        *out = asWorld(*in);
}

int PtToWorldRect(MAP_COORDRECT *rect, const MAP_COORDPT *pt)
{
    if (!rect || !pt)
        return 0;
    int moved = 0;
    if (pt->x < rect->x1) {
        rect->x1 = pt->x;
        moved = 1;
    }
    if (pt->y < rect->y1) {
        rect->y1 = pt->y;
        moved = 1;
    }
    if (pt->x > rect->x2) {
        rect->x2 = pt->x;
        moved = 1;
    }
    if (pt->y > rect->y2) {
        rect->y2 = pt->y;
        moved = 1;
    }
    return moved;
}
int PtToRect(MAP_COORDRECT *rect, const MAP_COORDPT *pt) { return PtToWorldRect(rect, pt); }
int PtToRect(RECT *rect, const POINT *pt)
{
    if (!rect || !pt)
        return 0;
    MAP_COORDRECT r = asWorld(*rect);
    const MAP_COORDPT p{pt->x, pt->y};
    const int moved = PtToWorldRect(&r, &p);
    *rect = asWindow(r);
    return moved;
}
int PtToBoundRect(MAP_COORDRECT *rect, const MAP_COORDPT *pt) { return PtToWorldRect(rect, pt); }

int LineToWorldRect(MAP_COORDRECT *rect, const MAP_COORDPT *points, int32_t n)
{
    if (!rect || !points || n < 1)
        return 0;
    int moved = 0;
    for (int32_t i = 0; i < n; ++i)
        moved |= PtToWorldRect(rect, &points[i]);
    return moved;
}

MAP_COORDPT WorldRectSize(const MAP_COORDRECT *rect)
{
    if (!rect)
        return {0, 0};
    // Modulo 2^32 on purpose (see the header); unsigned arithmetic keeps it
    // defined.
    return {int32_t(uint32_t(rect->x2) - uint32_t(rect->x1)),
            int32_t(uint32_t(rect->y2) - uint32_t(rect->y1))};
}
MAP_COORDPT RectSize(const MAP_COORDRECT *rect) { return WorldRectSize(rect); }
SIZE RectSize(const RECT *rect)
{
    if (!rect)
        return {0, 0};
    const MAP_COORDRECT r = asWorld(*rect);
    const MAP_COORDPT s = WorldRectSize(&r);
    return {s.x, s.y};
}

void WorldRectInflate(MAP_COORDRECT *rect, int32_t dx, int32_t dy)
{
    if (!rect)
        return;
    rect->x1 = saturate(int64_t(rect->x1) - dx);
    rect->y1 = saturate(int64_t(rect->y1) - dy);
    rect->x2 = saturate(int64_t(rect->x2) + dx);
    rect->y2 = saturate(int64_t(rect->y2) + dy);
}

void WorldRectMove(MAP_COORDRECT *rect, int32_t dx, int32_t dy)
{
    if (!rect)
        return;
    rect->x1 = saturate(int64_t(rect->x1) + dx);
    rect->x2 = saturate(int64_t(rect->x2) + dx);
    rect->y1 = saturate(int64_t(rect->y1) + dy);
    rect->y2 = saturate(int64_t(rect->y2) + dy);
}

void WorldRectMul(MAP_COORDRECT *rect, double factor)
{
    if (!rect)
        return;
    rect->x1 = truncToInt32(rect->x1 * factor);
    rect->y1 = truncToInt32(rect->y1 * factor);
    rect->x2 = truncToInt32(rect->x2 * factor);
    rect->y2 = truncToInt32(rect->y2 * factor);
}

void WorldRectEnlarge(MAP_COORDRECT *rect, double f)
{
    if (rect)
        enlarge(rect, f, -2147483647.0, 2147483646.0);
}

void RectEnlarge(MAP_COORDRECT *rect, double f)
{
    if (rect)
        enlarge(rect, f, double(INT32_MIN), double(INT32_MAX));
}
void RectEnlarge(RECT *rect, double f)
{
    if (!rect)
        return;
    MAP_COORDRECT r = asWorld(*rect);
    RectEnlarge(&r, f);
    *rect = asWindow(r);
}

int WorldRectBestFit(const MAP_COORDRECT *aspect, const MAP_COORDRECT *target, MAP_COORDRECT *out)
{
    if (!aspect || !target || !out)
        return 0;
    const int64_t wA = int64_t(aspect->x2) - aspect->x1;
    const int64_t hA = int64_t(aspect->y2) - aspect->y1;
    const int64_t wT = int64_t(target->x2) - target->x1;
    const int64_t hT = int64_t(target->y2) - target->y1;
    if (wA < 1 || hA < 1 || wT < 1 || hT < 1)
        return 0;
    const double k = std::max(double(wT) / double(wA), double(hT) / double(hA));
    const double dxd = (double(wA) * k + 0.5 - double(wT)) * 0.5;
    const double dyd = (double(hA) * k + 0.5 - double(hT)) * 0.5;
    const int64_t dx = int64_t(dxd); // both lie within the 64-bit range
    const int64_t dy = int64_t(dyd);
    *out = {saturate(target->x1 - dx), saturate(target->y1 - dy), saturate(target->x2 + dx),
            saturate(target->y2 + dy)};
    return 1;
}

int WorldRectMakePositive(MAP_COORDRECT *rect)
{
    if (!rect || !(rect->y1 < rect->y2))
        return 0;
    std::swap(rect->y1, rect->y2);
    return 1;
}

int WorldRectMakeNegative(MAP_COORDRECT *rect)
{
    if (!rect)
        return 0;
    int swapped = 0;
    if (rect->y2 < rect->y1) {
        std::swap(rect->y1, rect->y2);
        swapped = 1;
    }
    if (rect->x2 < rect->x1) {
        std::swap(rect->x1, rect->x2);
        swapped = 1;
    }
    return swapped;
}
int RectMakeNegative(MAP_COORDRECT *rect) { return WorldRectMakeNegative(rect); }
int RectMakeNegative(RECT *rect)
{
    if (!rect)
        return 0;
    MAP_COORDRECT r = asWorld(*rect);
    const int swapped = WorldRectMakeNegative(&r);
    *rect = asWindow(r);
    return swapped;
}

int RectIntersect(MAP_COORDRECT *out, const MAP_COORDRECT *a, const MAP_COORDRECT *b)
{
    if (!out)
        return 0;
    if (!a || !b) {
        *out = {0, 0, 0, 0};
        return 0;
    }
    const MAP_COORDRECT r{std::max(a->x1, b->x1), std::max(a->y1, b->y1), std::min(a->x2, b->x2),
                          std::min(a->y2, b->y2)};
    if (r.x1 >= r.x2 || r.y1 >= r.y2) {
        *out = {0, 0, 0, 0};
        return 0;
    }
    *out = r;
    return 1;
}
