#include "engine/polygon/arcs/arcs.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_points.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// The 32-bit plane of map coordinates, as floor(value + 0.5) reaches it.
bool FitsCoordinate(double value)
{
    if (!std::isfinite(value))
        return false;
    const double rounded = std::floor(value + 0.5);
    return rounded >= double(std::numeric_limits<int32_t>::min()) &&
           rounded <= double(std::numeric_limits<int32_t>::max());
}

bool FitsHeight(double z)
{
    return std::isfinite(z) && std::trunc(z) >= double(std::numeric_limits<int32_t>::min()) &&
           std::trunc(z) <= double(std::numeric_limits<int32_t>::max());
}

// Every vertex of the circle lies in the plane.
bool CircleFits(const ArcCircle &c)
{
    return std::isfinite(c.r) && FitsCoordinate(c.cx - c.r) && FitsCoordinate(c.cx + c.r) &&
           FitsCoordinate(c.cy - c.r) && FitsCoordinate(c.cy + c.r);
}

int32_t Round(double value) { return int32_t(std::floor(value + 0.5)); }

// Brings an angle into (-180, 180].
double Normalised(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a > 180.0)
        a -= 360.0;
    else if (a <= -180.0)
        a += 360.0;
    return a;
}

// One part of an arc made of several: its angles, heights and entry count.
struct ArcPart {
    double from, to, z1, z2;
    int64_t count;
};

// Writes the parts one after the other, each starting on the last vertex
// of the one before, so that they share it. The counts are first brought
// to at least 2 each and to n entries in all. The number of entries
// written; 0 when n cannot hold the parts.
uint32_t ArcPartsWrite(const ArcCircle &circle, std::vector<ArcPart> parts, void *out, uint32_t n,
                       int withHeights, int clockwise)
{
    const int64_t m = int64_t(parts.size());
    if (n < m + 1)
        return 0;
    int64_t total = 0;
    for (ArcPart &p : parts) {
        p.count = std::max<int64_t>(p.count, 2);
        total += p.count - 1;
    }
    total += 1;
    while (total > n) {
        auto largest = std::max_element(parts.begin(), parts.end(),
                                        [](const ArcPart &a, const ArcPart &b) { return a.count < b.count; });
        --largest->count;
        --total;
    }
    parts.back().count += int64_t(n) - total;
    const size_t stride = withHeights ? sizeof(ArcPoint3) : sizeof(MAP_COORDPT);
    uint32_t start = 0, written = 0;
    for (const ArcPart &p : parts) {
        const uint32_t w = ArcPoints(circle, p.from, p.to, static_cast<char *>(out) + start * stride,
                                     uint32_t(p.count), withHeights, p.z1, p.z2, clockwise);
        if (w == 0)
            return 0;
        written = start + w;
        start = written - 1;
    }
    return written;
}

} // namespace

bool CircleFrom3Points(double x1, double y1, double x2, double y2, double x3, double y3, ArcCircle *circle)
{
    const double d = 4 * ((y2 - y3) * (x1 - x2) - (x2 - x3) * (y1 - y2));
    if (d == 0 || !std::isfinite(d) || !circle)
        return false;
    const double a = x1 * x1 - x2 * x2 + y1 * y1 - y2 * y2;
    const double b = x2 * x2 - x3 * x3 + y2 * y2 - y3 * y3;
    const double cx = (2 * a * (y2 - y3) - 2 * b * (y1 - y2)) / d;
    const double cy = (2 * b * (x1 - x2) - 2 * a * (x2 - x3)) / d;
    const double r = std::hypot(x1 - cx, y1 - cy);
    if (r == 0 || !std::isfinite(r))
        return false;
    *circle = {cx, cy, r};
    return true;
}

bool CircleCentresFrom2PointsAndRadius(double x1, double y1, double x2, double y2, double r, double *c1x,
                                       double *c1y, double *c2x, double *c2y)
{
    if (y1 != y2) {
        const double k = (x1 - x2) / (y2 - y1);
        const double m = (y2 * y2 - y1 * y1 + x2 * x2 - x1 * x1) / (2 * (y2 - y1));
        const double a = k * k + 1, b = 2 * m * k - 2 * x1 - 2 * k * y1,
                     c = x1 * x1 + y1 * y1 - r * r + m * m - 2 * m * y1;
        const double disc = b * b - 4 * a * c;
        if (disc < 0 || !std::isfinite(disc))
            return false;
        *c1x = (-b - std::sqrt(disc)) / (2 * a);
        *c2x = (-b + std::sqrt(disc)) / (2 * a);
        *c1y = k * *c1x + m;
        *c2y = k * *c2x + m;
        return true;
    }
    const double half = (x2 - x1) / 2;
    if (std::fabs(r) < std::fabs(half))
        return false;
    const double h = std::sqrt(r * r - half * half);
    *c1x = *c2x = (x1 + x2) / 2;
    *c1y = y1 - h;
    *c2y = y1 + h;
    return true;
}

bool AngleOfPointOnCircle(const ArcCircle &circle, double px, double py, double *degrees)
{
    if (!(circle.r > 0))
        return false;
    const double s = (py - circle.cy) / circle.r;
    double theta = std::asin(std::clamp(s, -1.0, 1.0));
    if (s < -1)
        theta = -1.5707968;
    else if (s > 1)
        theta = 1.5707968;
    double a = (px >= circle.cx ? theta : kArcPi - theta) * kArcRadianToDegree;
    if (a > 180)
        a -= 360;
    else if (a < -180)
        a += 360;
    *degrees = a;
    return true;
}

double AngleSweep(double a1, double a2)
{
    const auto positive = [](double a) {
        a = Normalised(a);
        return a < 0 ? a + 360.0 : a;
    };
    double d = positive(a2) - positive(a1);
    if (d < 0)
        d += 360.0;
    return d;
}

int AngleIsBetween(double a1, double a2, double a3)
{
    return AngleSweep(a1, a2) <= AngleSweep(a1, a3) ? 1 : 0;
}

int AngleSweepIsMinor(double a, double b) { return AngleSweep(a, b) <= 180.0 ? 1 : 0; }

uint32_t ArcPoints(const ArcCircle &circle, double from, double to, void *out, uint32_t n, int withHeights,
                   double z1, double z2, int clockwise)
{
    if (!out || n < 2 || !CircleFits(circle) || !std::isfinite(from) || !std::isfinite(to) ||
        (withHeights && (!FitsHeight(z1) || !FitsHeight(z2))))
        return 0;
    double sweep = AngleSweep(from, to);
    if (clockwise)
        sweep -= 360.0;
    const double step = sweep * kArcPi / ((n - 1) * 180.0);
    const double dz = (z2 - z1) / n;
    char *bytes = static_cast<char *>(out);
    const size_t stride = withHeights ? sizeof(ArcPoint3) : sizeof(MAP_COORDPT);
    uint32_t written = 0;
    ArcPoint3 last{};
    for (uint32_t k = 0; k < n; ++k) {
        const double a = from * kArcDegreeToRadian + k * step;
        const ArcPoint3 p{Round(circle.cx + circle.r * std::cos(a)),
                          Round(circle.cy + circle.r * std::sin(a)), int32_t(std::trunc(z1 + k * dz))};
        if (written && p.x == last.x && p.y == last.y)
            continue;
        std::memcpy(bytes + written * stride, &p, stride);
        last = p;
        ++written;
    }
    if (withHeights) {
        const int32_t z = int32_t(std::trunc(z2));
        std::memcpy(bytes + (written - 1) * stride + 8, &z, sizeof z);
    }
    return written;
}

std::vector<MAP_COORDPT> CirclePolygonVertices(int32_t cx, int32_t cy, int32_t radius, uint32_t n)
{
    const ArcCircle circle{double(cx), double(cy), double(radius)};
    if (n < 3 || radius <= 0 || !CircleFits(circle) ||
        uint64_t(n) * sizeof(MAP_COORDPT) > uint64_t(INT32_MAX))
        return {};
    const double step = kArcFullTurn / n;
    std::vector<MAP_COORDPT> points{{Round(circle.cx + circle.r), Round(circle.cy)}};
    double a = 0;
    for (uint32_t k = 1; k < n; ++k) {
        a += step;
        const MAP_COORDPT p{Round(circle.cx + circle.r * std::cos(a)),
                            Round(circle.cy + circle.r * std::sin(a))};
        if (p.x != points.back().x || p.y != points.back().y)
            points.push_back(p);
    }
    // The ring closes by itself: a last vertex on the first is one too many.
    if (points.size() > 1 && points.back().x == points.front().x && points.back().y == points.front().y)
        points.pop_back();
    if (points.size() < 3)
        points.clear();
    return points;
}

OBJHANDLE CirclePolygonCreate(HWND window, int32_t cx, int32_t cy, int32_t radius, uint32_t n)
{
    if (!GetWndRes(window))
        return 0;
    const std::vector<MAP_COORDPT> points = CirclePolygonVertices(cx, cy, radius, n);
    OBJHANDLE h = 0;
    if (points.empty() || !map_polygon_Create(window, &h, points.data(), int32_t(points.size()), 0))
        return 0;
    return h;
}

OBJHANDLE m_ArcCreate(HWND window, int32_t cx, int32_t cy, int32_t radius, double startAngle, double endAngle,
                      uint32_t n)
{
    const ArcCircle circle{double(cx), double(cy), double(radius)};
    if (!GetWndRes(window) || n < 3 || radius <= 0 || !CircleFits(circle) || !std::isfinite(startAngle) ||
        !std::isfinite(endAngle) || uint64_t(n) * sizeof(MAP_COORDPT) > uint64_t(INT32_MAX))
        return 0;
    const double a0 = startAngle * kArcDegreeToRadian, a1 = endAngle * kArcDegreeToRadian;
    const double sweep = a0 < a1 ? a1 - a0 : a1 + (kArcFullTurn - a0);
    const double step = sweep / n;
    std::vector<MAP_COORDPT> points;
    for (uint32_t k = 0; k < n; ++k) {
        const double a = a0 + k * step;
        const MAP_COORDPT p{Round(circle.cx + circle.r * std::cos(a)),
                            Round(circle.cy + circle.r * std::sin(a))};
        if (points.empty() || p.x != points.back().x || p.y != points.back().y)
            points.push_back(p);
    }
    OBJHANDLE h = 0;
    if (points.size() < 2 || !map_polyline_Create(window, &h, points.data(), int32_t(points.size()), 0))
        return 0;
    return h;
}

int m_GetArcFrom3Points(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                        double y3, double z3, uint32_t n, int withHeights, void *out, int wholeCircle,
                        uint32_t *written)
{
    if (written)
        *written = 0;
    ArcCircle circle{};
    double a1 = 0, a2 = 0, a3 = 0;
    if (!out || n < 2 || !CircleFrom3Points(x1, y1, x2, y2, x3, y3, &circle) || !CircleFits(circle) ||
        !AngleOfPointOnCircle(circle, x1, y1, &a1) || !AngleOfPointOnCircle(circle, x2, y2, &a2) ||
        !AngleOfPointOnCircle(circle, x3, y3, &a3))
        return 0;
    if (withHeights && (!FitsHeight(z1) || !FitsHeight(z2) || !FitsHeight(z3)))
        return 0;
    // The arc runs from point 1 through point 2 to point 3.
    const int clockwise = AngleIsBetween(a1, a2, a3) ? 0 : 1;
    std::vector<ArcPart> parts;
    int direction = clockwise;
    if (!withHeights) {
        if (!wholeCircle) {
            parts = {{a1, a3, 0, 0, n}};
        } else {
            double s = AngleSweep(a1, a3);
            if (s >= 360)
                s = 180;
            const int64_t k = int64_t(std::trunc(n * s / 360));
            parts = {{a1, a3, 0, 0, k}, {a3, a1, 0, 0, int64_t(n) - k + 1}};
            direction = 0;
        }
    } else {
        double total = clockwise ? AngleSweep(a3, a1) : AngleSweep(a1, a3);
        double part = clockwise ? AngleSweep(a2, a1) : AngleSweep(a1, a2);
        if (part > total) {
            total = 120;
            part = 60;
        }
        if (!wholeCircle && n < 3) {
            parts = {{a1, a3, z1, z3, n}}; // room for the ends only
        } else if (!wholeCircle) {
            const int64_t k = total > 0 ? int64_t(std::trunc(n * part / total)) : 2;
            parts = {{a1, a2, z1, z2, k}, {a2, a3, z2, z3, int64_t(n) - k + 1}};
        } else {
            const int64_t k1 = int64_t(std::trunc(n * part / 360));
            const int64_t k2 = int64_t(std::trunc(n * (total - part) / 360 + 1));
            parts = {{a1, a2, z1, z2, k1}, {a2, a3, z2, z3, k2}, {a3, a1, z3, z1, int64_t(n) + 2 - k1 - k2}};
        }
    }
    const uint32_t count = ArcPartsWrite(circle, parts, out, n, withHeights, direction);
    if (written)
        *written = count;
    return count ? 1 : 0;
}

int m_GetArcFrom2PointsAndRad(double x1, double y1, double z1, double x2, double y2, double z2, double radius,
                              uint32_t n, int withHeights, void *out, uint32_t *written)
{
    if (written)
        *written = 0;
    double c1x = 0, c1y = 0, c2x = 0, c2y = 0;
    const double r = std::fabs(radius);
    if (!out || n < 2 || !std::isfinite(radius) || r == 0 || (x1 == x2 && y1 == y2) ||
        !CircleCentresFrom2PointsAndRadius(x1, y1, x2, y2, radius, &c1x, &c1y, &c2x, &c2y))
        return 0;
    const ArcCircle first{c1x, c1y, r}, second{c2x, c2y, r};
    double p1 = 0, p2 = 0;
    if (!AngleOfPointOnCircle(first, x1, y1, &p1) || !AngleOfPointOnCircle(first, x2, y2, &p2))
        return 0;
    const bool minor = AngleSweepIsMinor(p1, p2);
    // The shorter arc: counter-clockwise for a radius of 0 or below,
    // clockwise above; on the first centre when its sweep that way is the
    // shorter one, else on the second.
    const int clockwise = radius > 0 ? 1 : 0;
    const bool onFirst = clockwise ? !minor : minor;
    const ArcCircle &circle = onFirst ? first : second;
    if (!onFirst &&
        (!AngleOfPointOnCircle(second, x1, y1, &p1) || !AngleOfPointOnCircle(second, x2, y2, &p2)))
        return 0;
    if (withHeights && (!FitsHeight(z1) || !FitsHeight(z2)))
        return 0;
    const uint32_t count = ArcPartsWrite(circle, {{p1, p2, z1, z2, n}}, out, n, withHeights, clockwise);
    if (written)
        *written = count;
    return count ? 1 : 0;
}
