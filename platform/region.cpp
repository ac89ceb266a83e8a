#include "platform/region.h"

#include "platform/dc.h"
#include "platform/gdi_objects.h"

#include <algorithm>
#include <vector>

namespace {

struct Region : gdi::Object {
    Region() : Object(gdi::Kind::Region) {}
    std::vector<POINT> points;
    int fillMode = ALTERNATE;
    bool rectangle = false; // made by CreateRectRgn
};

} // namespace

HRGN CreatePolygonRgn(const POINT *points, int count, int fillMode)
{
    if (!points || count < 3 || (fillMode != ALTERNATE && fillMode != WINDING))
        return 0;
    auto *r = new Region;
    r->points.assign(points, points + count);
    r->fillMode = fillMode;
    return gdi::Add(r);
}

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    auto *r = new Region;
    r->points = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    r->rectangle = true;
    return gdi::Add(r);
}

int GetRgnBox(HRGN region, RECT *box)
{
    const auto *r = gdi::FindAs<Region>(region, gdi::Kind::Region);
    if (!r || !box)
        return RGN_ERROR;
    RECT b{r->points[0].x, r->points[0].y, r->points[0].x, r->points[0].y};
    for (const POINT &p : r->points) {
        b.left = std::min(b.left, p.x);
        b.top = std::min(b.top, p.y);
        b.right = std::max(b.right, p.x);
        b.bottom = std::max(b.bottom, p.y);
    }
    *box = b;
    if (b.left >= b.right || b.top >= b.bottom)
        return NULLREGION;
    return r->rectangle ? SIMPLEREGION : COMPLEXREGION;
}

BOOL PaintRgn(HDC hdc, HRGN region)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    const auto *r = gdi::FindAs<Region>(region, gdi::Kind::Region);
    if (!dc || !r)
        return FALSE;
    if (!dc->Begin() || dc->brushNull)
        return TRUE;
    gdi::ScanPolygon(r->points.data(), int(r->points.size()), r->fillMode, dc->width, dc->height,
                     [dc](int y, int xa, int xb) { dc->FillSpan(y, xa, xb); });
    return TRUE;
}
