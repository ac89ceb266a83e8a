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
    gdi::DeviceContext *dc = find(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->windowOrg;
    dc->windowOrg = POINT{x, y};
    return TRUE;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT *previous)
{
    gdi::DeviceContext *dc = find(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->viewportOrg;
    dc->viewportOrg = POINT{x, y};
    return TRUE;
}

BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE *previous)
{
    gdi::DeviceContext *dc = find(hdc);
    if (!dc || x == 0 || y == 0)
        return FALSE;
    if (previous)
        *previous = dc->windowExt;
    dc->windowExt = SIZE{x, y};
    return TRUE;
}

BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE *previous)
{
    gdi::DeviceContext *dc = find(hdc);
    if (!dc || x == 0 || y == 0)
        return FALSE;
    if (previous)
        *previous = dc->viewportExt;
    dc->viewportExt = SIZE{x, y};
    return TRUE;
}

BOOL GetWindowOrgEx(HDC hdc, POINT *origin)
{
    const gdi::DeviceContext *dc = find(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->windowOrg;
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, POINT *origin)
{
    const gdi::DeviceContext *dc = find(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->viewportOrg;
    return TRUE;
}

BOOL GetWindowExtEx(HDC hdc, SIZE *extent)
{
    const gdi::DeviceContext *dc = find(hdc);
    if (!dc || !extent)
        return FALSE;
    *extent = dc->mapMode == MM_TEXT ? SIZE{1, 1} : dc->windowExt;
    return TRUE;
}

BOOL GetViewportExtEx(HDC hdc, SIZE *extent)
{
    const gdi::DeviceContext *dc = find(hdc);
    if (!dc || !extent)
        return FALSE;
    *extent = dc->mapMode == MM_TEXT ? SIZE{1, 1} : dc->viewportExt;
    return TRUE;
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
