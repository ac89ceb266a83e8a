#include "engine/view/viewrecord/view_zoom.h"

#include "engine/view/projection/unit_table.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/screen_metrics.h"
#include "platform/window.h"
#include "platform/window_scroll.h"

#include <algorithm>
#include <cmath>

namespace {

ViewWindowServices &services()
{
    static ViewWindowServices s;
    return s;
}

int64_t Width(const MAP_COORDRECT &r) { return int64_t(r.x2) - r.x1; }
int64_t Height(const MAP_COORDRECT &r) { return int64_t(r.y2) - r.y1; }
int64_t Width(const RECT &r) { return int64_t(r.right) - r.left; }
int64_t Height(const RECT &r) { return int64_t(r.bottom) - r.top; }

int32_t Saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }
int32_t Trunc(double v) { return v == v ? int32_t(std::clamp(v, -2147483648.0, 2147483647.0)) : 0; }

// Moves of the view round half away from zero, so that a move by some
// pixels and the move back by as many cancel and the picture shifted on the
// screen matches the world rectangle's move in either direction.
int32_t RoundAway(double v) { return v < 0 ? -PM_Round(-v) : PM_Round(v); }

MAP_COORDRECT AsWorldRect(const RECT &r) { return MAP_COORDRECT{r.left, r.top, r.right, r.bottom}; }

bool IsAngular(int unit)
{
    const tagUnitInfo *u = FindUnitInfo(unit);
    return u && (u->kind & UNIT_ANGLE);
}

bool BothAngular(const PresentationManager *view)
{
    return IsAngular(view->projection.baseUnit) && IsAngular(view->projection.transformedUnit);
}

void StopDrawing(HWND window)
{
    if (services().stopDrawing)
        services().stopDrawing(window);
}

// Keeps a screen size that a setting or a document gave inside sane limits.
void ValidateScreenSize(PresentationManager *view)
{
    if (view->screenWidthMm < 30 || view->screenWidthMm > 10000000)
        view->screenWidthMm = 274;
    if (view->screenHeightMm < 30 || view->screenHeightMm > 10000000)
        view->screenHeightMm = 206;
}

// The metres that the display rectangle spans on the glass; 0 without a screen.
double DisplayMetres(PresentationManager *view)
{
    const int horzRes = ScreenMetric(HORZRES);
    if (horzRes <= 0)
        return 0.0;
    ValidateScreenSize(view);
    return (double(int64_t(view->displayRect.right) - view->displayRect.left + 1) * view->screenWidthMm) /
           horzRes * 0.001;
}

// Units per metre of the lengths the view measures in.
double LengthFactor(const PresentationManager *view)
{
    for (int unit : {view->projection.baseUnit, view->projection.transformedUnit})
        if (const tagUnitInfo *u = FindUnitInfo(unit); u && !(u->kind & UNIT_ANGLE))
            return u->factor;
    return 1.0;
}

// Geodesic distance on WGS-84 (Vincenty's inverse), metres.
double EllipsoidDistance(double lat1, double lon1, double lat2, double lon2)
{
    constexpr double a = 6378137.0, f = 1 / 298.257223563, b = a * (1 - f);
    const double L = lon2 - lon1;
    const double U1 = std::atan((1 - f) * std::tan(lat1)), U2 = std::atan((1 - f) * std::tan(lat2));
    const double sinU1 = std::sin(U1), cosU1 = std::cos(U1), sinU2 = std::sin(U2), cosU2 = std::cos(U2);
    double lambda = L, sinSigma = 0, cosSigma = 1, sigma = 0, cos2Alpha = 1, cos2SigmaM = 0;
    for (int i = 0; i < 100; ++i) {
        const double sinL = std::sin(lambda), cosL = std::cos(lambda);
        sinSigma = std::hypot(cosU2 * sinL, cosU1 * sinU2 - sinU1 * cosU2 * cosL);
        if (sinSigma == 0)
            return 0.0;
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosL;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cosU1 * cosU2 * sinL / sinSigma;
        cos2Alpha = 1 - sinAlpha * sinAlpha;
        cos2SigmaM = cos2Alpha != 0 ? cosSigma - 2 * sinU1 * sinU2 / cos2Alpha : 0;
        const double C = f / 16 * cos2Alpha * (4 + f * (4 - 3 * cos2Alpha));
        const double previous = lambda;
        lambda =
            L + (1 - C) * f * sinAlpha *
                    (sigma + C * sinSigma * (cos2SigmaM + C * cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM)));
        if (std::fabs(lambda - previous) < 1e-12)
            break;
    }
    const double u2 = cos2Alpha * (a * a - b * b) / (b * b);
    const double A = 1 + u2 / 16384 * (4096 + u2 * (-768 + u2 * (320 - 175 * u2)));
    const double B = u2 / 1024 * (256 + u2 * (-128 + u2 * (74 - 47 * u2)));
    const double dSigma = B * sinSigma *
                          (cos2SigmaM + B / 4 *
                                            (cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM) -
                                             B / 6 * cos2SigmaM * (-3 + 4 * sinSigma * sinSigma) *
                                                 (-3 + 4 * cos2SigmaM * cos2SigmaM)));
    return b * A * (sigma - dSigma);
}

// The page as a map rectangle when the given one holds no area; written
// back into the caller's rectangle. False when neither can be had.
bool PageFallback(HWND window, MAP_COORDRECT *rect)
{
    if (rect->x1 < rect->x2 && rect->y1 < rect->y2)
        return true;
    MAP_COORDPT origin, extent;
    if (!services().pageOrgExt || !services().pageOrgExt(window, &origin, &extent))
        return false;
    *rect = MAP_COORDRECT{origin.x, Saturate(int64_t(origin.y) - extent.y),
                          Saturate(int64_t(origin.x) + extent.x), origin.y};
    RectMakeNegative(rect);
    return true;
}

void MoveErasedRect(PresentationManager *view, int px, int py)
{
    RECT &e = view->erasedRect;
    if (e.right > e.left && e.bottom > e.top)
        e = RECT{e.left + px, e.top + py, e.right + px, e.bottom + py};
    view->brushOrigin.x = (view->brushOrigin.x + px) % 8;
    view->brushOrigin.y = (view->brushOrigin.y + py) % 8;
}

// The strips of the client area that a move by (px, py) uncovered, in the
// order they are handed to the painter.
int UncoveredStrips(HWND window, int px, int py, RECT out[2])
{
    RECT c{0, 0, 0, 0};
    GetClientRect(window, &c);
    int n = 0;
    if (py < 0)
        out[n++] = RECT{c.left, c.bottom + py, c.right, c.bottom};
    else if (py > 0)
        out[n++] = RECT{c.left, c.top, c.right, c.top + py + 1};
    if (px < 0)
        out[n++] = RECT{c.right + px, c.top, c.right, c.bottom};
    else if (px > 0)
        out[n++] = RECT{c.left, c.top, c.left + px + 1, c.bottom};
    return n;
}

// The picture moved by (px, py) after the visible world rectangle did.
void FollowMove(PresentationManager *view, HWND window, int px, int py, bool fillEvery, bool paintLast)
{
    SendMessageA(window, MAPN_REPAINT, 0, 0);
    ScrollWindow(window, px, py, nullptr, nullptr);
    MoveErasedRect(view, px, py);
    PM_CalculateScrolls(view, window, 1);
    RECT strips[2];
    const int n = UncoveredStrips(window, px, py, strips);
    for (int i = 0; i < n; ++i) {
        PM_UnionErasedRect(view, &strips[i]);
        InvalidateRect(window, &strips[i], FALSE);
        if ((fillEvery || i == n - 1) && services().fillStrip)
            services().fillStrip(window, strips[i], paintLast && i == n - 1);
    }
}

int ScrollPosition(int32_t range, int64_t extentA, int64_t extentV, int64_t offset)
{
    if (range == 0)
        return 0;
    const double p = std::max(double(extentA) / range, double(extentV) / range);
    if (p == 0)
        return 0;
    return int(std::clamp<int64_t>((int64_t(Trunc(double(offset) / p)) + range) / 2, INT32_MIN, INT32_MAX));
}

int OnScroll(PresentationManager *view, HWND window, int code, int thumb, bool vertical)
{
    const int32_t range = vertical ? view->vScrollRange : view->hScrollRange;
    const int32_t pos = vertical ? view->vScrollPos : view->hScrollPos;
    const int line = Trunc(range * view->lineStep), page = Trunc(range * view->pageStep);
    int next = pos;
    switch (code) {
    case 0:
        next = pos - line;
        break;
    case 1:
        next = pos + line;
        break;
    case 2:
        next = pos - page;
        break;
    case 3:
        next = pos + page;
        break;
    case 5:
        next = thumb;
        break;
    case 6:
        next = 0;
        break;
    case 7:
        next = range;
        break;
    case 4:
    case 8:
        return 1;
    default:
        break;
    }
    if (vertical)
        PM_ScrollWindowToPosition(view, window, view->hScrollPos, next);
    else
        PM_ScrollWindowToPosition(view, window, next, view->vScrollPos);
    return 1;
}

} // namespace

void PM_SetWindowServices(ViewWindowServices s) { services() = std::move(s); }

double PM_WorldLineLength(const PresentationManager *view, MAP_COORDPT a, MAP_COORDPT b)
{
    if (BothAngular(view)) {
        const double perDegree = FindUnitInfo(view->projection.transformedUnit)->factor;
        const double k = M_PI / 180.0 / perDegree;
        return EllipsoidDistance(a.y * k, a.x * k, b.y * k, b.x * k);
    }
    return std::hypot(double(int64_t(b.x) - a.x), double(int64_t(b.y) - a.y));
}

int PM_OnWndSize(PresentationManager *view, HWND window, int, const RECT *target)
{
    RECT r{0, 0, 0, 0};
    if (target)
        r = *target;
    else if (!GetClientRect(window, &r))
        return 0;
    const int64_t w = Width(r), h = Height(r);
    const int64_t size = (h + 1) * ((w + 7) / 8);
    if (w <= 0 || h < 0 || size <= 0)
        return 0;
    if (services().resizeVertexBitmap)
        services().resizeVertexBitmap(window, r);
    if (w < 3 || h < 3)
        return 0;
    view->displayRect = RECT{r.left + view->hMargin, r.top + view->vMargin, r.right - view->hMargin,
                             r.bottom - view->vMargin};
    if (view->resizeMode == 0) {
        PM_WorldRectFromDisplay(view);
        PM_UpdateClipRect(view);
        return 1;
    }
    const MAP_COORDRECT aspect = AsWorldRect(view->displayRect);
    MAP_COORDRECT fitted;
    if (WorldRectBestFit(&aspect, &view->worldRect, &fitted))
        view->worldRect = fitted;
    PM_UpdateClipRect(view);
    PM_UpdateScale(view, window);
    if (view->resizeMode == 2)
        view->resizeMode = 0;
    else
        TextObjectsRecalcScreenLocked(window);
    return 1;
}

int PM_Zoom(PresentationManager *view, HWND window, const RECT *windowRect, int zoomIn)
{
    const POINT corners[2] = {{windowRect->left, windowRect->top}, {windowRect->right, windowRect->bottom}};
    MAP_COORDPT world[2];
    PM_WindowToWorld(view, corners, world, 2);
    const MAP_COORDRECT t{world[0].x, world[0].y, world[1].x, world[1].y};
    return PM_ZoomWorld(view, window, &t, zoomIn);
}

int PM_ZoomWorld(PresentationManager *view, HWND window, const MAP_COORDRECT *target, int zoomIn)
{
    MAP_COORDRECT t = *target;
    if (Width(t) == 0 || Height(t) == 0 || WorldRectIsEmpty(&t)) {
        t = view->worldRect;
        WorldRectEnlarge(&t, -0.5);
    }
    RectMakeNegative(&t);
    MAP_COORDRECT f;
    if (!WorldRectBestFit(&view->worldRect, &t, &f))
        return 0;
    if (zoomIn) {
        view->worldRect = f;
    } else {
        const double a = double(Width(view->worldRect)), b = double(Width(f));
        if (b == 0) {
            ProjMan_Warning("Invalid Scale");
            return 0;
        }
        MAP_COORDRECT grown = view->worldRect;
        WorldRectEnlarge(&grown, a / b * 0.5);
        if (Width(grown) < 0 || Height(grown) < 0)
            return 0;
        view->worldRect = grown;
    }
    PM_UpdateClipRect(view);
    PM_UpdateScale(view, window);
    TextObjectsRecalcScreenLocked(window);
    return 1;
}

int PM_DisplaySet(PresentationManager *view, HWND window, const MAP_COORDRECT *mapRect)
{
    PM_MapToWorldRect(view, mapRect, &view->allObjectsRect);
    view->clipFlag = 0;
    view->worldRect = view->allObjectsRect;
    PM_OnWndSize(view, window, 0, nullptr);
    PM_CalculateScrolls(view, window, 1);
    return 1;
}

int PM_SetAllObjectsRect(PresentationManager *view, HWND window, MAP_COORDRECT *mapRect)
{
    if (!PageFallback(window, mapRect))
        return 0;
    PM_MapToWorldRect(view, mapRect, &view->allObjectsRect);
    PM_CalculateScrolls(view, window, 1);
    return 1;
}

int PM_SetWorldRect(PresentationManager *view, HWND window, MAP_COORDRECT *mapRect, int redraw)
{
    if (!PageFallback(window, mapRect))
        return 0;
    PM_MapToWorldRect(view, mapRect, &view->worldRect);
    const int32_t mode = view->resizeMode;
    view->resizeMode = 1;
    PM_OnWndSize(view, window, 0, nullptr);
    view->resizeMode = mode;
    PM_CalculateScrolls(view, window, redraw);
    return 1;
}

int PM_SetWorldRectWithin(PresentationManager *view, HWND window, const MAP_COORDRECT *mapRect,
                          int marginPixels, int32_t marginUnits)
{
    MAP_COORDRECT target = *mapRect;
    if (!PageFallback(window, &target))
        return 0;
    MAP_COORDRECT world;
    PM_MapToWorldRect(view, &target, &world);
    RectMakeNegative(&world);
    const int64_t grow = std::max<int64_t>(marginUnits, 0);
    world = MAP_COORDRECT{Saturate(world.x1 - grow), Saturate(world.y1 - grow), Saturate(world.x2 + grow),
                          Saturate(world.y2 + grow)};
    // The window's picture spans the display rectangle's width and height
    // from the window's corner: the rectangle keeps the margin free on
    // every side of that span, at the scale it will be shown at. A margin
    // that would leave less than half of a small window is narrowed.
    const int64_t dw = Width(view->displayRect), dh = Height(view->displayRect);
    const int64_t w = std::max<int64_t>(Width(world), 1), h = std::max<int64_t>(Height(world), 1);
    const int64_t m = std::clamp<int64_t>(marginPixels, 0, std::min(dw, dh) / 4);
    if (m > 0) {
        const double s = std::min(double(dw - 2 * m) / double(w), double(dh - 2 * m) / double(h));
        if (s > 0) {
            // One pixel more than asked: the window points are rounded.
            const int64_t g = int64_t(std::min(std::ceil(double(m + 1) / s), 1e9));
            world = MAP_COORDRECT{Saturate(world.x1 - g), Saturate(world.y1 - g), Saturate(world.x2 + g),
                                  Saturate(world.y2 + g)};
        }
    }
    view->worldRect = world;
    const int32_t mode = view->resizeMode;
    view->resizeMode = 1;
    PM_OnWndSize(view, window, 0, nullptr);
    view->resizeMode = mode;
    PM_CalculateScrolls(view, window, 1);
    return 1;
}

int PM_ScaleWordToDisplayUpdate(PresentationManager *view, HWND)
{
    const double d = DisplayMetres(view);
    if (d <= 0)
        return 0;
    const MAP_COORDRECT &v = view->worldRect;
    double L = double(Width(v));
    if (BothAngular(view)) {
        const int32_t m = Saturate(v.y1 + Height(v) / 2);
        L = PM_WorldLineLength(view, MAP_COORDPT{v.x1, m}, MAP_COORDPT{v.x2, m});
    }
    if (!(L > 0)) // nothing visible yet: the ratio would be infinite
        return 0;
    const double f = LengthFactor(view);
    view->scaleRatio = d / L * f;
    view->scaleDenominator = L / d / f;
    return 1;
}

int PM_FindPointInDistance(const PresentationManager *view, MAP_COORDPT s, MAP_COORDPT *e, double D)
{
    double l = PM_WorldLineLength(view, s, *e);
    if (l == D)
        return 1;
    // The doubling is bounded: a distance that cannot be reached (half the
    // earth) ends at the farthest point instead of overflowing.
    for (int step = 0; step < 64 && l < D; ++step) {
        const int64_t next = 2 * int64_t(e->x) - s.x;
        if (next > INT32_MAX || next < INT32_MIN || next == e->x)
            break;
        e->x = int32_t(next);
        l = PM_WorldLineLength(view, s, *e);
    }
    int64_t lo = s.x, hi = e->x;
    while (hi - lo >= 2) {
        const int64_t mid = lo + (hi - lo) / 2;
        l = PM_WorldLineLength(view, s, MAP_COORDPT{int32_t(mid), e->y});
        if (PM_Round(l) == PM_Round(D)) {
            e->x = int32_t(mid);
            return 1;
        }
        if (l < D)
            lo = mid;
        else
            hi = mid;
    }
    e->x = int32_t(lo);
    return 1;
}

int PM_ScaleWordToDisplaySet(PresentationManager *view, HWND window, double N)
{
    if (!(N > 0))
        return 0;
    const double d = DisplayMetres(view);
    if (d <= 0)
        return 0;
    const double f = LengthFactor(view);
    int64_t W = PM_Round(f * d * N);
    if (W < 4)
        return 0;
    const MAP_COORDRECT &v = view->worldRect;
    const int64_t w = Width(v), h = Height(v);
    if (w <= 0 || h < 0)
        return 0;
    const int64_t cx = v.x1 + w / 2, cy = v.y1 + h / 2;
    if (BothAngular(view)) {
        MAP_COORDPT end{Saturate(cx + 100), Saturate(cy)};
        PM_FindPointInDistance(view, MAP_COORDPT{Saturate(cx), Saturate(cy)}, &end, double(W / 2));
        W = (int64_t(end.x) - cx) * 2;
    }
    const int64_t H = W * h / w;
    const MAP_COORDRECT t{Saturate(cx - W / 2), Saturate(cy - H / 2), Saturate(cx + W / 2),
                          Saturate(cy + H / 2)};
    PM_ZoomWorld(view, window, &t, 1);
    PM_ScaleWordToDisplayUpdate(view, window);
    return 1;
}

int PM_UpdateScale(PresentationManager *view, HWND window)
{
    const RECT &d = view->displayRect;
    if (d.right <= d.left || d.bottom <= d.top)
        return 0;
    const double sx = double(Width(d)) / double(std::max<int64_t>(Width(view->worldRect), 1));
    const double sy = double(Height(d)) / double(std::max<int64_t>(Height(view->worldRect), 1));
    view->scale = std::min(sx, sy);
    view->inverseScale = 1.0 / view->scale;
    PM_ScaleWordToDisplayUpdate(view, window);
    return 1;
}

void PM_WorldRectFromDisplay(PresentationManager *view)
{
    MAP_COORDRECT &v = view->worldRect;
    v.x2 = Saturate(int64_t(v.x1) + PM_Round(double(Width(view->displayRect)) * view->inverseScale));
    v.y1 = Saturate(int64_t(v.y2) - PM_Round(double(Height(view->displayRect)) * view->inverseScale));
}

void PM_UpdateClipRect(PresentationManager *view)
{
    view->clipMargin = PM_Round(view->inverseScale * 10);
    view->clipRect = view->worldRect;
    WorldRectInflate(&view->clipRect, view->clipMargin, view->clipMargin);
}

int PM_PrepareToClipboard(PresentationManager *view, HWND window, const RECT *target,
                          const MAP_COORDRECT *world)
{
    view->displayRect = *target;
    view->worldRect = *world;
    PM_UpdateScale(view, window);
    view->clipFlag = 1;
    return 1;
}

int PM_SetForPrintPage(PresentationManager *view, HWND window, const RECT *target, const POINT *offset,
                       const MAP_COORDRECT *page, const MAP_COORDRECT *printable)
{
    view->displayRect = *target;
    view->worldRect = *page;
    PM_UpdateScale(view, window);
    view->clipRect = *printable;
    view->clipFlag = 1;
    if (offset)
        WorldRectMove(&view->worldRect, PM_Round(offset->x * view->inverseScale),
                      -PM_Round(offset->y * view->inverseScale));
    return 1;
}

int PM_SetForMultiPagePrintPage(PresentationManager *view, HWND window, const RECT *whole, const RECT *sheet,
                                const POINT *offset, int n, int *sheetCount, const MAP_COORDRECT *page,
                                const MAP_COORDRECT *printable)
{
    const int64_t sw = Width(*sheet), sh = Height(*sheet);
    if (sw <= 0 || sh <= 0)
        return 0; // a sheet without area cannot tile the page
    view->worldRect = *page;
    view->displayRect = *whole;
    PM_UpdateScale(view, window);
    const int64_t nx = std::max<int64_t>((Width(*whole) + sw - 1) / sw, 1);
    const int64_t ny = std::max<int64_t>((Height(*whole) + sh - 1) / sh, 1);
    const int64_t count = nx * ny;
    if (sheetCount)
        *sheetCount = int(std::min<int64_t>(count, INT32_MAX));
    if (n < 1 || n > count)
        return 0;
    const int32_t tw = PM_Round(double(sw) * view->inverseScale),
                  th = PM_Round(double(sh) * view->inverseScale);
    MAP_COORDRECT &v = view->worldRect;
    v.x2 = Saturate(int64_t(v.x1) + tw);
    v.y1 = Saturate(int64_t(v.y2) - th);
    WorldRectMove(&v, Saturate(((n - 1) % nx) * tw), Saturate(-((n - 1) / nx) * th));
    view->displayRect = *sheet;
    view->clipRect = *printable;
    view->clipFlag = 1;
    if (offset)
        WorldRectMove(&v, PM_Round(offset->x * view->inverseScale),
                      -PM_Round(offset->y * view->inverseScale));
    return 1;
}

int PM_ScrollsShow(PresentationManager *view, HWND window, int show, int redraw)
{
    view->hScrollRange = view->vScrollRange = show ? 1024 : 0;
    view->hScrollPos = view->vScrollPos = -1;
    return PM_CalculateScrolls(view, window, redraw);
}

int PM_CalculateScrolls(PresentationManager *view, HWND window, int redraw)
{
    const MAP_COORDRECT &A = view->allObjectsRect, &V = view->worldRect;
    const int v =
        ScrollPosition(view->vScrollRange, Height(A), Height(V), int64_t(A.y2) + A.y1 - V.y2 - V.y1);
    const int h = ScrollPosition(view->hScrollRange, Width(A), Width(V), int64_t(V.x2) + V.x1 - A.x2 - A.x1);
    if (v != view->vScrollPos) {
        SetScrollRange(window, SB_VERT, 0, view->vScrollRange, redraw);
        SetScrollPos(window, SB_VERT, v, redraw);
        view->vScrollPos = v;
    }
    if (h != view->hScrollPos) {
        SetScrollRange(window, SB_HORZ, 0, view->hScrollRange, redraw);
        SetScrollPos(window, SB_HORZ, h, redraw);
        view->hScrollPos = h;
    }
    return 1;
}

int PM_ScrollWindowToPosition(PresentationManager *view, HWND window, int hPos, int vPos)
{
    const int64_t dv = int64_t(view->vScrollPos) - vPos, dh = int64_t(view->hScrollPos) - hPos;
    if (dv == 0 && dh == 0)
        return 0;
    const int py =
        view->vScrollRange ? Trunc(double(dv) / view->vScrollRange * double(Height(view->displayRect))) : 0;
    int px =
        view->hScrollRange ? Trunc(double(dh) / view->hScrollRange * double(Width(view->displayRect))) : 0;
    px = px / 8 * 8; // whole bytes of the vertex bitmap
    if (px == 0 && py == 0)
        return 0;
    StopDrawing(window);
    WorldRectMove(&view->worldRect, -RoundAway(px * view->inverseScale), RoundAway(py * view->inverseScale));
    PM_UpdateClipRect(view);
    if (services().shiftVertexBitmap)
        services().shiftVertexBitmap(window, px, py);
    FollowMove(view, window, px, py, false, false);
    return 1;
}

int PM_PanMap(PresentationManager *view, HWND window, int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return 0;
    const int32_t wx = RoundAway(dx * view->inverseScale), wy = RoundAway(dy * view->inverseScale);
    if (wx == 0 && wy == 0)
        return 0;
    StopDrawing(window);
    WorldRectMove(&view->worldRect, -wx, wy);
    PM_UpdateClipRect(view);
    FollowMove(view, window, dx, dy, true, false);
    return 1;
}

int PM_ScrollWindowToPoint(PresentationManager *view, HWND window, MAP_COORDPT p)
{
    const MAP_COORDRECT &v = view->worldRect;
    const int64_t cx = (int64_t(v.x1) + v.x2) / 2, cy = (int64_t(v.y1) + v.y2) / 2;
    const int64_t ddx = p.x - cx, ddy = p.y - cy;
    const int px = -RoundAway(double(ddx) * view->scale), py = RoundAway(double(ddy) * view->scale);
    if (px == 0 && py == 0)
        return 0;
    StopDrawing(window);
    WorldRectMove(&view->worldRect, Saturate(ddx), Saturate(ddy));
    PM_UpdateClipRect(view);
    FollowMove(view, window, px, py, false, true);
    return 1;
}

int PM_OnVScroll(PresentationManager *view, HWND window, int code, int thumb)
{
    return OnScroll(view, window, code, thumb, true);
}

int PM_OnHScroll(PresentationManager *view, HWND window, int code, int thumb)
{
    return OnScroll(view, window, code, thumb, false);
}
