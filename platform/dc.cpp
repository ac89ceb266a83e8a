#include "platform/dc.h"

#include "platform/device_limit.h"
#include "platform/font_object.h"
#include "platform/line_dda.h"
#include "platform/polygon_scan.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <vector>

namespace gdi {

DeviceContext *FindDC(HDC dc) { return FindAs<DeviceContext>(dc, Kind::DC); }

bool DeviceContext::Begin()
{
    if (device)
        device->Drawing();
    if (!target || target->isNull()) {
        bits = nullptr;
        width = height = 0;
        return false;
    }
    bits = target->bits(); // detaches an image shared with a copy
    bytesPerLine = target->bytesPerLine();
    width = target->width();
    height = target->height();
    return bits != nullptr;
}

uint32_t DeviceContext::ApplyRop(int rop2, uint32_t pen, uint32_t dest)
{
    // R2 code - 1 is the truth table of the operation: bit (2 * P + D) is the
    // result for pen bit P and destination bit D.
    const unsigned fn = unsigned(rop2 - 1) & 0xF;
    const uint32_t p = pen & 0xFFFFFF, d = dest & 0xFFFFFF;
    uint32_t out = 0;
    if (fn & 1)
        out |= ~p & ~d;
    if (fn & 2)
        out |= ~p & d;
    if (fn & 4)
        out |= p & ~d;
    if (fn & 8)
        out |= p & d;
    return 0xFF000000u | (out & 0xFFFFFF);
}

namespace {

// Dash patterns of the one-pixel styled pens: on and off runs in pixels.
struct DashPattern {
    int runs[6];
    int count;
};
const DashPattern *dashPattern(int style)
{
    static const DashPattern dash{{18, 6}, 2};
    static const DashPattern dot{{3, 3}, 2};
    static const DashPattern dashDot{{9, 6, 3, 6}, 4};
    static const DashPattern dashDotDot{{9, 3, 3, 3, 3, 3}, 6};
    switch (style) {
    case PS_DASH:
        return &dash;
    case PS_DOT:
        return &dot;
    case PS_DASHDOT:
        return &dashDot;
    case PS_DASHDOTDOT:
        return &dashDotDot;
    default:
        return nullptr;
    }
}

// True when the pattern is "on" at the phase.
bool dashOn(const DashPattern &p, int64_t phase)
{
    int total = 0;
    for (int i = 0; i < p.count; ++i)
        total += p.runs[i];
    int64_t k = phase % total;
    for (int i = 0; i < p.count; ++i) {
        if (k < p.runs[i])
            return i % 2 == 0;
        k -= p.runs[i];
    }
    return false;
}

// The pixels within radius of the segment a-b, one row interval at a time
// (the covered area is convex). Centres are pixel centres at integer points.
// Rows whose covered part lies wholly left or right of 0..width are skipped:
// their pixels would be clipped anyway.
template <typename F>
void forEachCapsuleRow(double ax, double ay, double bx, double by, double radius, int width, int height,
                       F &&f)
{
    const double r2 = radius * radius;
    const double vx = bx - ax, vy = by - ay;
    const double len2 = vx * vx + vy * vy;
    const double len = std::sqrt(len2);
    double top = std::min(ay, by) - radius, bottom = std::max(ay, by) + radius;
    if (std::max(ax, bx) + radius < -1 || std::min(ax, bx) - radius > width)
        return;
    if (vx != 0) {
        // The part of the segment whose x lies within the radius (and a
        // pixel) of the columns; a covered point is within the radius of it.
        double t0 = (-radius - 1 - ax) / vx, t1 = (width + radius - ax) / vx;
        if (t0 > t1)
            std::swap(t0, t1);
        t0 = std::max(t0, 0.0);
        t1 = std::min(t1, 1.0);
        if (t0 > t1)
            return;
        const double ya = ay + t0 * vy, yb = ay + t1 * vy;
        top = std::max(top, std::min(ya, yb) - radius - 1);
        bottom = std::min(bottom, std::max(ya, yb) + radius + 1);
    }
    if (top > height - 1 || bottom < 0)
        return;
    const int y0 = int(std::max(0.0, std::floor(top)));
    const int y1 = int(std::min(double(height - 1), std::ceil(bottom)));
    // projection t = ((x - ax) vx + (y - ay) vy) / len2 within [0, 1]: x from
    // ax - (y - ay) vy / vx over len2 / vx; signed distance
    // ((x - ax) vy - (y - ay) vx) / len within [-r, r]: x about
    // ax + (y - ay) vx / vy by r len / vy. Flat: the condition leaves x free.
    struct Band {
        bool flat;
        double slope, extent;
    };
    const Band projection =
        len2 > 0 && std::fabs(vx / len2) >= 1e-12 ? Band{false, vy / vx, len2 / vx} : Band{true, 0, 0};
    const Band distance =
        len2 > 0 && std::fabs(vy / len) >= 1e-12 ? Band{false, vx / vy, radius * len / vy} : Band{true, 0, 0};
    for (int y = y0; y <= y1; ++y) {
        double lo = INFINITY, hi = -INFINITY;
        auto disc = [&](double cx, double cy) {
            double dy = y - cy;
            if (dy * dy <= r2) {
                double h = std::sqrt(r2 - dy * dy);
                lo = std::min(lo, cx - h);
                hi = std::max(hi, cx + h);
            }
        };
        disc(ax, ay);
        disc(bx, by);
        if (len2 > 0) {
            // The band of points whose projection falls on the segment and
            // whose distance to the line is at most the radius: each
            // condition bounds x by two lines in y, worked out per segment.
            double tLo = -INFINITY, tHi = INFINITY;
            const auto clamp = [&](double xa, double xb) {
                if (xa > xb)
                    std::swap(xa, xb);
                tLo = std::max(tLo, xa);
                tHi = std::min(tHi, xb);
            };
            const double dy = y - ay;
            if (projection.flat) {
                const double t = ((-ax) * vx + dy * vy) / len2;
                if (t < 0 || t > 1)
                    tLo = INFINITY;
            } else {
                const double x0 = ax - dy * projection.slope;
                clamp(x0, x0 + projection.extent);
            }
            if (distance.flat) {
                const double d = ((-ax) * vy - dy * vx) / len;
                if (d < -radius || d > radius)
                    tLo = INFINITY;
            } else {
                const double x0 = ax + dy * distance.slope;
                clamp(x0 - distance.extent, x0 + distance.extent);
            }
            if (tLo <= tHi) {
                lo = std::min(lo, tLo);
                hi = std::max(hi, tHi);
            }
        }
        if (lo <= hi)
            f(y, int(std::ceil(lo)), int(std::floor(hi)));
    }
}

} // namespace

void DeviceContext::FillSpan(int y, int xa, int xb)
{
    if (y < 0 || y >= height)
        return;
    xa = std::max(xa, 0);
    xb = std::min(xb, width);
    uint32_t *row = Row(y);
    if (brushHatch < 0) {
        if (rop2 == R2_COPYPEN) {
            std::fill(row + xa, row + std::max(xa, xb), brushRgb);
            return;
        }
        for (int x = xa; x < xb; ++x)
            row[x] = ApplyRop(rop2, brushRgb, row[x]);
        return;
    }
    // The pattern repeats every 8 pixels: one row of it is worked out once.
    const uint32_t bk = ToPixel(bkColor);
    const int oy = int((int64_t(y) - brushOrg.y) & 7);
    bool on[8];
    for (int k = 0; k < 8; ++k)
        on[k] = HatchCovers(brushHatch, k, oy);
    const bool opaque = bkMode == OPAQUE;
    for (int x = xa; x < xb; ++x) {
        const int ox = int((int64_t(x) - brushOrg.x) & 7);
        if (on[ox])
            row[x] = rop2 == R2_COPYPEN ? brushRgb : ApplyRop(rop2, brushRgb, row[x]);
        else if (opaque)
            row[x] = rop2 == R2_COPYPEN ? bk : ApplyRop(rop2, bk, row[x]);
    }
}

void DeviceContext::DrawLineTo(int x, int y)
{
    const POINT from = position;
    position = {x, y};
    if (penStyle == PS_NULL)
        return;
    if (penWidth <= 1) {
        const DashPattern *dash = dashPattern(penStyle);
        const int64_t phase0 = penPhase;
        const uint32_t bk = ToPixel(bkColor);
        WalkLineDDAClipped(from.x, from.y, x, y, width, height, [&](int px, int py, int64_t i) {
            if (!dash || dashOn(*dash, phase0 + i))
                PutRop(px, py, penRgb);
            else if (bkMode == OPAQUE)
                PutRop(px, py, bk);
        });
        const int64_t adx = std::abs(int64_t(x) - from.x), ady = std::abs(int64_t(y) - from.y);
        penPhase += std::max(adx, ady);
        return;
    }
    // A wide pen: the even widths sit between pixel centres, so that a line
    // of width w covers w rows or columns.
    const double shift = penWidth % 2 == 0 ? 0.5 : 0.0;
    const double radius = penWidth / 2.0 - 0.01;
    forEachCapsuleRow(from.x + shift, from.y + shift, x + shift, y + shift, radius, width, height,
                      [&](int row, int xa, int xb) {
                          xa = std::max(xa, 0);
                          xb = std::min(xb, width - 1);
                          if (xa > xb || row < 0 || row >= height)
                              return;
                          uint32_t *line = Row(row);
                          if (rop2 == R2_COPYPEN) {
                              std::fill(line + xa, line + xb + 1, penRgb);
                              return;
                          }
                          for (int px = xa; px <= xb; ++px)
                              line[px] = ApplyRop(rop2, penRgb, line[px]);
                      });
}

} // namespace gdi

using gdi::DeviceContext;

namespace {

DeviceContext *newContext(bool memory, QImage *target)
{
    gdi::EnsureStockObjects();
    auto *dc = new DeviceContext;
    dc->memory = memory;
    dc->target = target;
    dc->pen = GetStockObject(BLACK_PEN);
    dc->brush = GetStockObject(WHITE_BRUSH);
    dc->font = GetStockObject(SYSTEM_FONT);
    gdi::Find(dc->pen)->selectedCount++;
    gdi::Find(dc->brush)->selectedCount++;
    gdi::Find(dc->font)->selectedCount++;
    if (memory) {
        auto *b = gdi::FindAs<gdi::Bitmap>(gdi::DefaultBitmapId, gdi::Kind::Bitmap);
        b->selectedCount++;
        dc->bitmap = gdi::DefaultBitmapId;
        dc->target = &b->image;
    }
    return dc;
}

void cachePen(DeviceContext *dc, const gdi::Pen *p)
{
    dc->penStyle = p->style;
    dc->penWidth = p->width;
    dc->penRgb = gdi::ToPixel(p->color);
}

void cacheBrush(DeviceContext *dc, const gdi::Brush *b)
{
    dc->brushNull = b->style == BS_NULL;
    dc->brushHatch = b->style == BS_HATCHED ? b->hatch : -1;
    dc->brushRgb = gdi::ToPixel(b->color);
}

// One setting of a context: its value, or `none` for a handle that names no
// context.
template <class T>
T setting(HDC hdc, T DeviceContext::*field, T none)
{
    const DeviceContext *dc = gdi::FindDC(hdc);
    return dc ? dc->*field : none;
}

// Replaces one setting, answering the value it had.
template <class T>
T replaceSetting(HDC hdc, T DeviceContext::*field, T value, T none)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return none;
    const T old = dc->*field;
    dc->*field = value;
    return old;
}

bool isImageFormatUsable(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

} // namespace

HDC CreateCompatibleDC(HDC) { return gdi::Add(newContext(true, nullptr)); }

uint32_t gdi::CreateDeviceContext(std::unique_ptr<Device> device)
{
    if (!device)
        return 0;
    DeviceContext *dc = newContext(false, nullptr);
    dc->device = std::move(device);
    return gdi::Add(dc);
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    // Above the device's limit the answer comes without allocating, so a
    // size probe stays cheap.
    if (int64_t(width) * height > DeviceBitmapLimit())
        return 0;
    return CreateBitmapOfSize(width, height);
}

HDC CreateImageDC(QImage *image)
{
    if (!image || image->isNull() || !isImageFormatUsable(*image))
        return 0;
    return gdi::Add(newContext(false, image));
}

BOOL DeleteDC(HDC hdc)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return FALSE;
    for (uint32_t id : {dc->pen, dc->brush, dc->font, dc->bitmap})
        if (gdi::Object *o = id ? gdi::Find(id) : nullptr)
            o->selectedCount--;
    return gdi::Remove(hdc);
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    gdi::Object *o = gdi::Find(object);
    if (!dc || !o)
        return 0;
    uint32_t *slot = nullptr;
    switch (o->kind) {
    case gdi::Kind::Pen:
        slot = &dc->pen;
        cachePen(dc, static_cast<gdi::Pen *>(o));
        break;
    case gdi::Kind::Brush:
        slot = &dc->brush;
        cacheBrush(dc, static_cast<gdi::Brush *>(o));
        break;
    case gdi::Kind::Font:
        slot = &dc->font;
        break;
    case gdi::Kind::Bitmap:
        if (!dc->memory || (!o->stock && o->selectedCount > 0 && dc->bitmap != object))
            return 0;
        slot = &dc->bitmap;
        dc->target = &static_cast<gdi::Bitmap *>(o)->image;
        break;
    case gdi::Kind::DC:
    case gdi::Kind::Palette: // SelectPalette (palette.h)
    case gdi::Kind::Region:
        return 0;
    }
    const uint32_t previous = *slot;
    if (previous == object)
        return previous;
    if (gdi::Object *old = gdi::Find(previous))
        old->selectedCount--;
    o->selectedCount++;
    *slot = object;
    return previous;
}

DWORD GetObjectType(HGDIOBJ object)
{
    gdi::Object *o = gdi::Find(object);
    if (!o)
        return 0;
    switch (o->kind) {
    case gdi::Kind::Pen:
        return OBJ_PEN;
    case gdi::Kind::Brush:
        return OBJ_BRUSH;
    case gdi::Kind::Bitmap:
        return OBJ_BITMAP;
    case gdi::Kind::DC:
        return static_cast<DeviceContext *>(o)->memory ? OBJ_MEMDC : OBJ_DC;
    case gdi::Kind::Font:
        return OBJ_FONT;
    case gdi::Kind::Palette:
        return OBJ_PAL;
    case gdi::Kind::Region:
        return OBJ_REGION;
    }
    return 0;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT *previous)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->position;
    dc->position = {x, y};
    dc->penPhase = 0;
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return FALSE;
    if (dc->Begin())
        dc->DrawLineTo(x, y);
    else
        dc->position = {x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT *position)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !position)
        return FALSE;
    *position = dc->position;
    return TRUE;
}

int SetROP2(HDC hdc, int rop2)
{
    if (rop2 < R2_BLACK || rop2 > R2_WHITE)
        return 0;
    return replaceSetting(hdc, &DeviceContext::rop2, rop2, 0);
}

int GetROP2(HDC hdc) { return setting(hdc, &DeviceContext::rop2, 0); }

int SetBkMode(HDC hdc, int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return replaceSetting(hdc, &DeviceContext::bkMode, mode, 0);
}

int GetBkMode(HDC hdc) { return setting(hdc, &DeviceContext::bkMode, 0); }

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    return replaceSetting(hdc, &DeviceContext::bkColor, COLORREF(color & 0xFFFFFF), CLR_INVALID);
}

COLORREF GetBkColor(HDC hdc) { return setting(hdc, &DeviceContext::bkColor, CLR_INVALID); }

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    return replaceSetting(hdc, &DeviceContext::textColor, COLORREF(color & 0xFFFFFF), CLR_INVALID);
}

COLORREF GetTextColor(HDC hdc) { return setting(hdc, &DeviceContext::textColor, CLR_INVALID); }

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !dc->Begin() || !dc->Inside(x, y))
        return CLR_INVALID;
    dc->Put(x, y, gdi::ToPixel(color));
    return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !dc->target || dc->target->isNull() || x < 0 || y < 0 || x >= dc->target->width() ||
        y >= dc->target->height())
        return CLR_INVALID;
    const auto *row = reinterpret_cast<const uint32_t *>(dc->target->constScanLine(y));
    return gdi::FromPixel(row[x]);
}

namespace {

// Fills the row interval [xa, xb) of row y with the brush through the ROP.
void fillRow(DeviceContext *dc, int y, int64_t xa, int64_t xb)
{
    if (y < 0 || y >= dc->height)
        return;
    xa = std::max<int64_t>(xa, 0);
    xb = std::min<int64_t>(xb, dc->width);
    for (int64_t x = xa; x < xb; ++x)
        dc->PutRop(int(x), y, dc->brushRgb);
}

void outline(DeviceContext *dc, const POINT *points, int count)
{
    if (dc->penStyle == PS_NULL)
        return;
    const POINT saved = dc->position;
    const int64_t savedPhase = dc->penPhase;
    dc->position = points[0];
    dc->penPhase = 0;
    for (int i = 1; i <= count; ++i)
        dc->DrawLineTo(points[i % count].x, points[i % count].y);
    dc->position = saved;
    dc->penPhase = savedPhase;
}

// The pixels a rectangle or ellipse covers, corners in either order: without
// a pen the right and bottom edges are left out.
struct ShapeBox {
    int64_t l, t, r, b;
    bool pen;
};

ShapeBox shapeBox(const DeviceContext *dc, int left, int top, int right, int bottom)
{
    ShapeBox box{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom),
                 dc->penStyle != PS_NULL};
    if (!box.pen) {
        --box.r;
        --box.b;
    }
    return box;
}

} // namespace

BOOL Polygon(HDC hdc, const POINT *points, int count)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !points || count < 2)
        return FALSE;
    if (!dc->Begin())
        return TRUE;
    if (!dc->brushNull)
        gdi::ScanPolygon(points, count, ALTERNATE, dc->width, dc->height,
                         [dc](int y, int xa, int xb) { dc->FillSpan(y, xa, xb); });
    outline(dc, points, count);
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT *points, int count)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !points || count < 2)
        return FALSE;
    if (!dc->Begin() || dc->penStyle == PS_NULL)
        return TRUE;
    const POINT saved = dc->position;
    const int64_t savedPhase = dc->penPhase;
    dc->position = points[0];
    dc->penPhase = 0;
    for (int i = 1; i < count; ++i)
        dc->DrawLineTo(points[i].x, points[i].y);
    dc->position = saved;
    dc->penPhase = savedPhase;
    return TRUE;
}

BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT *previous)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->brushOrg;
    dc->brushOrg = {x, y};
    return TRUE;
}

BOOL GetBrushOrgEx(HDC hdc, POINT *origin)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->brushOrg;
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return FALSE;
    if (!dc->Begin())
        return TRUE;
    const auto [l, t, r, b, pen] = shapeBox(dc, left, top, right, bottom);
    if (!dc->brushNull)
        for (int64_t y = std::max<int64_t>(t, 0); y < std::min<int64_t>(b, dc->height); ++y)
            dc->FillSpan(int(y), int(std::clamp<int64_t>(l, 0, dc->width)),
                         int(std::clamp<int64_t>(r, 0, dc->width)));
    if (pen && r - l >= 1 && b - t >= 1) {
        // The frame lies inside the box, one pen width thick.
        const int64_t w = std::min<int64_t>(dc->penWidth, std::min(r - l, b - t));
        const uint32_t saved = dc->brushRgb;
        dc->brushRgb = dc->penRgb;
        for (int64_t y = std::max<int64_t>(t, 0); y < std::min<int64_t>(b, dc->height); ++y) {
            if (y < t + w || y >= b - w) {
                fillRow(dc, int(y), l, r);
            } else {
                fillRow(dc, int(y), l, l + w);
                fillRow(dc, int(y), r - w, r);
            }
        }
        dc->brushRgb = saved;
    }
    return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return FALSE;
    if (!dc->Begin())
        return TRUE;
    // Plain variables rather than structured bindings: the lambda below
    // captures them, which not every compiler we build with allows.
    const ShapeBox box = shapeBox(dc, left, top, right, bottom);
    const int64_t l = box.l, t = box.t, r = box.r, b = box.b;
    const bool pen = box.pen;
    if (r <= l || b <= t)
        return TRUE;
    const double cx = (double(l) + double(r)) / 2, cy = (double(t) + double(b)) / 2;
    const double rx = (double(r) - double(l)) / 2, ry = (double(b) - double(t)) / 2;
    auto inside = [&](int64_t x, int64_t y) {
        if (x < l || x >= r || y < t || y >= b)
            return false;
        const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
        return u * u + v * v <= 1.0;
    };
    const int64_t y0 = std::max<int64_t>(t, 0), y1 = std::min<int64_t>(b, dc->height);
    const int64_t x0 = std::max<int64_t>(l, 0), x1 = std::min<int64_t>(r, dc->width);
    for (int64_t y = y0; y < y1; ++y)
        for (int64_t x = x0; x < x1; ++x) {
            if (!inside(x, y))
                continue;
            const bool border =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            if (pen && border)
                dc->PutRop(int(x), int(y), dc->penRgb);
            else if (!dc->brushNull)
                dc->PutRop(int(x), int(y), dc->brushRgb);
        }
    return TRUE;
}

int GetDeviceCaps(HDC hdc, int index)
{
    const DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return 0;
    if (dc->device)
        return dc->device->Caps(index);
    // Every other raster context here is compatible with the screen.
    switch (index) {
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    default:
        return ScreenMetric(index);
    }
}
