#include "platform/region.h"

#include "platform/dc.h"
#include "platform/gdi_objects.h"

#include <vector>

namespace {

struct Region : gdi::Object {
    Region() : Object(gdi::Kind::Region) {}
    std::vector<POINT> points;
    int fillMode = ALTERNATE;
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
