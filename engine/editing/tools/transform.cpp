#include "engine/editing/tools/transform.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr double kDegreesToRadians = 0.017453292222222222;
constexpr double kRadiansToDegrees = 57.295780490442965;

// Half away from zero; false when the value does not fit 32 bits.
bool roundToInt32(double v, int32_t *out)
{
    const double r = v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5);
    if (!(r >= double(std::numeric_limits<int32_t>::min()) &&
          r <= double(std::numeric_limits<int32_t>::max())))
        return false;
    *out = int32_t(r);
    return true;
}

int32_t floorHalfUp(double v) { return int32_t(std::floor(v + 0.5)); }

int32_t fractionalRound(double v)
{
    return std::fmod(v, 1.0) >= 0.5 ? int32_t(std::ceil(v)) : int32_t(std::trunc(v));
}

struct Transformation {
    MAP_COORDPT centre;
    long shiftX, shiftY;
    double scaleX, scaleY;
    double angle; // as passed in, for texts
    double sine, cosine;
};

Transformation prepare(MAP_COORDPT centre, long shiftX, long shiftY, double scaleX, double scaleY,
                       double angle)
{
    const double radians = AngleToRadians(FoldAngle(angle));
    return {centre,
            shiftX,
            shiftY,
            scaleX == 0.0 ? 1.0 : scaleX,
            scaleY == 0.0 ? 1.0 : scaleY,
            angle,
            std::sin(radians),
            std::cos(radians)};
}

MAP_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    MAP_COORDRECT r = kEmptyBoundRect;
    SendOBJectMessage(kernel, h, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

void unite(MAP_COORDRECT *sum, const MAP_COORDRECT &r)
{
    if (r.x1 > r.x2 || r.y1 > r.y2)
        return;
    sum->x1 = std::min(sum->x1, r.x1);
    sum->y1 = std::min(sum->y1, r.y1);
    sum->x2 = std::max(sum->x2, r.x2);
    sum->y2 = std::max(sum->y2, r.y2);
}

bool transformPointSet(OBJectKernel *kernel, OBJHANDLE h, const Transformation &t, bool undo)
{
    PointSetAccess a;
    if (!LockPointSet(kernel, h, a))
        return true; // skipped, as an object that cannot be locked
    std::vector<MAP_COORDPT> points(a.count);
    for (uint32_t i = 0; i < a.count; ++i)
        points[i] = a.at(i);
    if (!GeomOperRotScal(&t.centre, points.data(), long(points.size()), t.sine, t.cosine, t.scaleX, t.scaleY,
                         t.shiftX, t.shiftY))
        return false;
    if (undo)
        Undo_ChangeObject(kernel, h);
    if (!LockPointSet(kernel, h, a))
        return true;
    const MAP_COORDRECT before = a.bound();
    for (uint32_t i = 0; i < a.count; ++i)
        a.put(i, points[i]);
    MAP_COORDRECT now = PointSetBounds(a);
    SendOBJectMessage(kernel, h, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&now));
    SendOBJectMessage(kernel, h, h, 0, GRM_INVALIDATE, 0, LPARAM(&before));
    return true;
}

int16_t scaledTextSize(int16_t size, double scaleY)
{
    const double v = std::trunc(double(size) * scaleY);
    return int16_t(std::clamp(v, 1.0, 32767.0));
}

int32_t turnedRotation(int32_t rotation, double angle)
{
    const double tenths = std::trunc(angle * 10.0);
    int64_t r = int64_t(rotation) + int64_t(std::fmod(tenths, 3600.0));
    r %= 3600;
    if (r > 1800)
        r -= 3600;
    if (r < -1800)
        r += 3600;
    return int32_t(r);
}

bool transformText(HWND window, OBJectKernel *kernel, OBJHANDLE h, const Transformation &t, bool undo)
{
    int32_t x = 0, y = 0;
    if (!TextObjectPositionGet(kernel, h, &x, &y))
        return true;
    MAP_COORDPT anchor{x, y};
    if (!GeomOperRotScal(&t.centre, &anchor, 1, t.sine, t.cosine, t.scaleX, t.scaleY, t.shiftX, t.shiftY))
        return false;
    if (undo)
        Undo_ChangeObject(kernel, h);
    TextObjectPositionSet(kernel, h, anchor.x, anchor.y);
    int32_t rotation = 0;
    TextObjectRotationGet(kernel, h, &rotation);
    TextObjectRotationSet(kernel, h, turnedRotation(rotation, t.angle));
    if (char *p = OBJectLock(kernel, h)) {
        const int16_t size = LoadField<int16_t>(p, offsetof(TextObjectData, size));
        StoreField<int16_t>(p, offsetof(TextObjectData, size), scaledTextSize(size, t.scaleY));
    }
    TextObjectRecalcRect(window, h);
    return true;
}

// Legends and rasters: the first corner turns about the centre, the extent
// is scaled; a mirrored extent is put back in order.
bool transformRectangle(OBJectKernel *kernel, OBJHANDLE h, const Transformation &t, bool undo)
{
    const MAP_COORDRECT before = boundOf(kernel, h);
    MAP_COORDPT corner{before.x1, before.y1};
    if (!GeomOperRotScal(&t.centre, &corner, 1, t.sine, t.cosine, t.scaleX, t.scaleY, t.shiftX, t.shiftY))
        return false;
    const double w = std::trunc(double(int64_t(before.x2) - before.x1) * t.scaleX);
    const double hgt = std::trunc(double(int64_t(before.y2) - before.y1) * t.scaleY);
    int32_t farX = 0, farY = 0;
    if (!roundToInt32(double(corner.x) + w, &farX) || !roundToInt32(double(corner.y) + hgt, &farY))
        return false;
    if (undo)
        Undo_ChangeObject(kernel, h);
    MAP_COORDRECT now{std::min(corner.x, farX), std::min(corner.y, farY), std::max(corner.x, farX),
                      std::max(corner.y, farY)};
    SendOBJectMessage(kernel, h, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&now));
    SendOBJectMessage(kernel, h, h, 0, GRM_INVALIDATE, 0, LPARAM(&before));
    return true;
}

// One object by its class; false when it was left as it was.
bool transformObject(HWND window, OBJectKernel *kernel, OBJHANDLE h, const Transformation &t, bool undo)
{
    switch (GetOBJectClassID(kernel, h)) {
    case CLASS_POLYGON:
    case CLASS_POLYLINE:
        return transformPointSet(kernel, h, t, undo);
    case CLASS_TEXT:
        return transformText(window, kernel, h, t, undo);
    case CLASS_LEGEND:
    case CLASS_BITMAP:
        return transformRectangle(kernel, h, t, undo);
    default:
        return true;
    }
}

void collectLeaves(OBJectKernel *kernel, OBJHANDLE h, std::vector<OBJHANDLE> &out, int depth)
{
    if (depth > 64)
        return;
    if (GetOBJectClassID(kernel, h) == CLASS_GROUP) {
        int32_t pos = -1;
        for (OBJHANDLE m = FirstReference(kernel, h, REF_GROUP_MEMBER, &pos); m;
             m = GetReference(kernel, h, REF_GROUP_MEMBER, &pos))
            collectLeaves(kernel, m, out, depth + 1);
    } else {
        out.push_back(h);
    }
}

} // namespace

double FoldAngle(double degrees)
{
    if (!std::isfinite(degrees))
        return 0.0;
    // Whole turns first, so that the loops stay short for huge angles.
    degrees = std::fmod(degrees, 360.0 * 1024);
    while (degrees > 360.0)
        degrees -= 360.0;
    while (degrees < -360.0)
        degrees += 360.0;
    return degrees;
}

double AngleToRadians(double degrees) { return degrees * kDegreesToRadians; }
double AngleToDegrees(double radians) { return radians * kRadiansToDegrees; }

int GeomOperRotScal(const MAP_COORDPT *centre, MAP_COORDPT *points, long count, double sine, double cosine,
                    double scaleX, double scaleY, long shiftX, long shiftY)
{
    if (!centre || !points || count < 1)
        return 1;
    std::vector<MAP_COORDPT> out(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        const double dx = double(int64_t(points[i].x) - centre->x);
        const double dy = double(int64_t(points[i].y) - centre->y);
        const double x = (dx * cosine - dy * sine) * scaleX + centre->x + double(shiftX);
        const double y = (dy * cosine + dx * sine) * scaleY + centre->y + double(shiftY);
        if (!roundToInt32(x, &out[size_t(i)].x) || !roundToInt32(y, &out[size_t(i)].y))
            return 0;
    }
    std::copy(out.begin(), out.end(), points);
    return 1;
}

double AngleAboutCentre(MAP_COORDPT centre, MAP_COORDPT reference, MAP_COORDPT point)
{
    const double rx = double(int64_t(reference.x) - centre.x), ry = double(int64_t(reference.y) - centre.y);
    const double px = double(int64_t(point.x) - centre.x), py = double(int64_t(point.y) - centre.y);
    const double d = std::hypot(px, py) * std::hypot(rx, ry);
    if (!(d > 0))
        return 0.0;
    const double c = std::clamp((px * rx + py * ry) / d, -1.0, 1.0);
    const double s = (py * rx - px * ry) / d;
    const double a = AngleToDegrees(std::acos(c));
    return s > 0 ? a : -a;
}

double ScaleAboutCentre(MAP_COORDPT centre, MAP_COORDPT reference, MAP_COORDPT point)
{
    const double d0 = std::sqrt(std::pow(double(int64_t(reference.x) - centre.x), 2.0) +
                                std::pow(double(int64_t(reference.y) - centre.y), 2.0));
    const double d1 = std::sqrt(std::pow(double(int64_t(point.x) - centre.x), 2.0) +
                                std::pow(double(int64_t(point.y) - centre.y), 2.0));
    if (!(d0 > 0))
        return 1.0;
    const double s = d1 / d0;
    return s == 0.0 ? 1.0 : s;
}

double PointOnCircle(MAP_COORDPT centre, MAP_COORDPT reference, MAP_COORDPT point, MAP_COORDPT *result)
{
    const double rx = double(int64_t(reference.x) - centre.x), ry = double(int64_t(reference.y) - centre.y);
    const double px = double(int64_t(point.x) - centre.x), py = double(int64_t(point.y) - centre.y);
    const double d = std::hypot(px, py) * std::hypot(rx, ry);
    if (!(d > 0))
        return 0.0;
    const double c = (px * rx + py * ry) / d;
    const double s = (rx * py - px * ry) / d;
    MAP_COORDPT turned = reference;
    if (GeomOperRotScal(&centre, &turned, 1, s, c, 1.0, 1.0, 0, 0) && result)
        *result = turned;
    return AngleAboutCentre(centre, reference, point);
}

void GetLineCrossPoint(MAP_COORDPT a, MAP_COORDPT b, MAP_COORDPT p, MAP_COORDPT q, int32_t *x, int32_t *y)
{
    const double ax = a.x, ay = a.y, bx = b.x, by = b.y, px = p.x, py = p.y, qx = q.x, qy = q.y;
    if (q.y == p.y) {
        if (b.y != a.y) {
            *x = fractionalRound(ax - (ay - py) * (bx - ax) / (by - ay));
            *y = q.y;
        } else {
            *x = p.x;
            *y = p.y;
        }
        return;
    }
    if (b.x != a.x) {
        const double k = (qx - px) / (qy - py), m = (by - ay) / (bx - ax);
        if (k * m == 1.0) {
            *x = p.x;
            *y = p.y;
            return;
        }
        const double rx = (px - ax * k * m + k * (ay - py)) / (1 - k * m);
        *x = floorHalfUp(rx);
        *y = floorHalfUp((rx - ax) * m + ay);
        return;
    }
    if (q.x != p.x) {
        *x = b.x;
        *y = fractionalRound(py + (ax - px) * (qy - py) / (qx - px));
        return;
    }
    *x = p.x;
    *y = p.y;
}

MAP_COORDPT ProjectionOnAxis(MAP_COORDPT centre, MAP_COORDPT reference, MAP_COORDPT point)
{
    if (centre.x == reference.x && centre.y == reference.y)
        return point;
    const MAP_COORDPT q{int32_t(int64_t(point.x) - (int64_t(reference.y) - centre.y)),
                        int32_t(int64_t(point.y) + (int64_t(reference.x) - centre.x))};
    MAP_COORDPT out{};
    GetLineCrossPoint(centre, reference, point, q, &out.x, &out.y);
    return out;
}

namespace {

// The nail's centre (offset 44) and reference point (offset 96).
bool nailPoints(HWND window, OBJHANDLE nail, MAP_COORDPT *centre, MAP_COORDPT *reference)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || GetOBJectClassID(rec->kernel, nail) != CLASS_NAIL)
        return false;
    const char *p = OBJectLock(rec->kernel, nail);
    if (!p)
        return false;
    *centre = LoadField<MAP_COORDPT>(p, 44);
    *reference = LoadField<MAP_COORDPT>(p, 96);
    return true;
}

} // namespace

double GetAngle2(HWND window, OBJHANDLE nail, const MAP_COORDPT *point)
{
    MAP_COORDPT c{}, r{};
    return point && nailPoints(window, nail, &c, &r) ? AngleAboutCentre(c, r, *point) : 0.0;
}

double GetScale(HWND window, OBJHANDLE nail, const MAP_COORDPT *point)
{
    MAP_COORDPT c{}, r{};
    return point && nailPoints(window, nail, &c, &r) ? ScaleAboutCentre(c, r, *point) : 1.0;
}

double GetPrjPointCircle(HWND window, OBJHANDLE nail, const MAP_COORDPT *point, MAP_COORDPT *result)
{
    MAP_COORDPT c{}, r{};
    return point && nailPoints(window, nail, &c, &r) ? PointOnCircle(c, r, *point, result) : 0.0;
}

int GetPrjPoint(HWND window, OBJHANDLE nail, const MAP_COORDPT *point, MAP_COORDPT *result)
{
    MAP_COORDPT c{}, r{};
    if (!point || !result || !nailPoints(window, nail, &c, &r))
        return 0;
    *result = ProjectionOnAxis(c, r, *point);
    return 1;
}

int DoOperations2(HWND window, const OBJHANDLE *objects, unsigned long count, MAP_COORDPT centre, long shiftX,
                  long shiftY, long, double scaleX, double scaleY, double, double angle, int recordUndo)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    if (count == 0 || !objects)
        return 1;
    const Transformation t = prepare(centre, shiftX, shiftY, scaleX, scaleY, angle);
    MAP_COORDRECT area = kEmptyBoundRect;
    bool all = true;
    for (unsigned long i = 0; i < count; ++i) {
        unite(&area, boundOf(rec->kernel, objects[i]));
        all = transformObject(window, rec->kernel, objects[i], t, recordUndo != 0) && all;
        unite(&area, boundOf(rec->kernel, objects[i]));
    }
    InvalidateGraphRect(window, &area, 1);
    return all ? 1 : 0;
}

int TransformSelection(HWND window, long centreX, long centreY, long shiftX, long shiftY, double scaleX,
                       double scaleY, double angle, int recordUndo)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const Transformation t =
        prepare({int32_t(centreX), int32_t(centreY)}, shiftX, shiftY, scaleX, scaleY, angle);
    const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
    if (!list)
        return 0;
    const MAP_COORDRECT before = boundOf(kernel, list);
    std::vector<OBJHANDLE> leaves;
    int32_t pos = -1;
    for (OBJHANDLE h = FirstReference(kernel, list, REF_SELECTED, &pos); h;
         h = GetReference(kernel, list, REF_SELECTED, &pos))
        collectLeaves(kernel, h, leaves, 0);
    std::sort(leaves.begin(), leaves.end());
    leaves.erase(std::unique(leaves.begin(), leaves.end()), leaves.end());
    if (leaves.empty())
        return 1;
    bool all = true;
    for (const OBJHANDLE h : leaves)
        all = transformObject(window, kernel, h, t, recordUndo != 0) && all;
    const MAP_COORDRECT after = boundOf(kernel, list);
    if (before.x1 <= before.x2) {
        MAP_COORDRECT both = before;
        unite(&both, after);
        InvalidateGraphRect(window, &both, 1);
    } else {
        InvalidateGraphRect(window, &before, 1);
        InvalidateGraphRect(window, &after, 1);
    }
    return all ? 1 : 0;
}
