#include "platform/map_mode.h"

#include "platform/dc.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

gdi::DeviceContext *find(HDC dc) { return gdi::FindDC(dc); }

// The scales in effect, viewport units per window unit.
void scales(const gdi::DeviceContext *dc, double *sx, double *sy)
{
    if (dc->mapMode == MM_TEXT) {
        *sx = *sy = 1.0;
        return;
    }
    *sx = double(dc->viewportExt.cx) / dc->windowExt.cx;
    *sy = double(dc->viewportExt.cy) / dc->windowExt.cy;
    if (dc->mapMode == MM_ISOTROPIC) {
        const double s = std::min(std::abs(*sx), std::abs(*sy));
        *sx = std::copysign(s, *sx);
        *sy = std::copysign(s, *sy);
    }
}

LONG saturate(double v)
{
    const double r = std::round(v);
    return LONG(std::clamp(r, -2147483648.0, 2147483647.0));
}

// Sets one of dc's origins or extents, handing back the one it replaces.
template <class T>
BOOL replace(HDC hdc, T gdi::DeviceContext::*field, T value, T *previous)
{
    gdi::DeviceContext *dc = find(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->*field;
    dc->*field = value;
    return TRUE;
}

BOOL readOrigin(HDC hdc, POINT gdi::DeviceContext::*field, POINT *out)
{
    const gdi::DeviceContext *dc = find(hdc);
    if (!dc || !out)
        return FALSE;
    *out = dc->*field;
    return TRUE;
}

// In MM_TEXT an extent reads 1 x 1, whatever was set.
BOOL readExtent(HDC hdc, SIZE gdi::DeviceContext::*field, SIZE *out)
{
    const gdi::DeviceContext *dc = find(hdc);
    if (!dc || !out)
        return FALSE;
    *out = dc->mapMode == MM_TEXT ? SIZE{1, 1} : dc->*field;
    return TRUE;
}

} // namespace

int SetMapMode(HDC hdc, int mode)
{
    gdi::DeviceContext *dc = find(hdc);
    if (!dc || (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC))
        return 0;
    const int previous = dc->mapMode;
    dc->mapMode = mode;
    return previous;
}

int GetMapMode(HDC hdc)
{
    const gdi::DeviceContext *dc = find(hdc);
    return dc ? dc->mapMode : 0;
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT *previous)
{
    return replace(hdc, &gdi::DeviceContext::windowOrg, POINT{x, y}, previous);
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT *previous)
{
    return replace(hdc, &gdi::DeviceContext::viewportOrg, POINT{x, y}, previous);
}

// A zero extent would make the scales infinite.
BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE *previous)
{
    return x != 0 && y != 0 && replace(hdc, &gdi::DeviceContext::windowExt, SIZE{x, y}, previous);
}

BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE *previous)
{
    return x != 0 && y != 0 && replace(hdc, &gdi::DeviceContext::viewportExt, SIZE{x, y}, previous);
}

BOOL GetWindowOrgEx(HDC hdc, POINT *origin)
{
    return readOrigin(hdc, &gdi::DeviceContext::windowOrg, origin);
}

BOOL GetViewportOrgEx(HDC hdc, POINT *origin)
{
    return readOrigin(hdc, &gdi::DeviceContext::viewportOrg, origin);
}

BOOL GetWindowExtEx(HDC hdc, SIZE *extent) { return readExtent(hdc, &gdi::DeviceContext::windowExt, extent); }

BOOL GetViewportExtEx(HDC hdc, SIZE *extent)
{
    return readExtent(hdc, &gdi::DeviceContext::viewportExt, extent);
}

BOOL LPtoDP(HDC hdc, POINT *points, int count)
{
    const gdi::DeviceContext *dc = find(hdc);
    if (!dc || count < 0 || (count > 0 && !points))
        return FALSE;
    double sx = 1, sy = 1;
    scales(dc, &sx, &sy);
    for (int i = 0; i < count; ++i) {
        points[i].x = saturate((double(points[i].x) - dc->windowOrg.x) * sx + dc->viewportOrg.x);
        points[i].y = saturate((double(points[i].y) - dc->windowOrg.y) * sy + dc->viewportOrg.y);
    }
    return TRUE;
}

BOOL DPtoLP(HDC hdc, POINT *points, int count)
{
    const gdi::DeviceContext *dc = find(hdc);
    if (!dc || count < 0 || (count > 0 && !points))
        return FALSE;
    double sx = 1, sy = 1;
    scales(dc, &sx, &sy);
    for (int i = 0; i < count; ++i) {
        points[i].x = saturate((double(points[i].x) - dc->viewportOrg.x) / sx + dc->windowOrg.x);
        points[i].y = saturate((double(points[i].y) - dc->viewportOrg.y) / sy + dc->windowOrg.y);
    }
    return TRUE;
}
