#include "editor/shell/geometry/poly.h"

#include "editor/shell/geometry/geometry_numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

using geometry::RoundCoord;
using geometry::Wide;

namespace {

void RequireFiniteTransform(double scaleX, double scaleY, double angle)
{
    geometry::RequireFinite(scaleX, "scale x");
    geometry::RequireFinite(scaleY, "scale y");
    geometry::RequireFinite(angle, "angle");
}

} // namespace

int TPoly::AddXY(int32_t x, int32_t y)
{
    Points.AddXY(x, y);
    Changed = true;
    return Count();
}

void TPoly::Append(const TPoly &other)
{
    const std::vector<TPoint> &from = other.Points.Items();
    size_t start = 0;
    if (!from.empty() && Points.Last() && *Points.Last() == from.front())
        start = 1;
    for (size_t i = start; i < from.size(); i++)
        AddPoint(from[i]);
}

int64_t TPoly::Length() const
{
    const std::vector<TPoint> &p = Points.Items();
    int64_t length = 0;
    for (size_t i = 1; i < p.size(); i++)
        length += p[i - 1].DistanceTo(&p[i]);
    if (Closed && p.size() > 1)
        length += p.back().DistanceTo(&p.front());
    return length;
}

double TPoly::Area()
{
    const std::vector<TPoint> &p = Points.Items();
    LastArea = 0;
    if (Closed && p.size() >= 3) {
        Wide sum = 0;
        const TPoint *prev = &p.back();
        for (const TPoint &cur : p) {
            sum += Wide(int64_t(prev->y) + cur.y) * (int64_t(cur.x) - prev->x);
            prev = &cur;
        }
        LastArea = std::fabs(double(sum)) / 20000;
    }
    Changed = false;
    return LastArea;
}

void TPoly::SetClockwise(bool clockwise)
{
    if (Closed && IsClockwise() != clockwise)
        Reverse();
}

void TPoly::MoveBy(int32_t dx, int32_t dy)
{
    std::vector<TPoint> moved = Points.Items();
    for (TPoint &p : moved)
        p.MoveBy(dx, dy);
    Points.Items() = std::move(moved);
}

void TPoly::RotateAbout(const TPoint &centre, double angle)
{
    std::vector<TPoint> turned = Points.Items();
    for (TPoint &p : turned)
        p.RotateAbout(centre, angle);
    Points.Items() = std::move(turned);
}

void TPoly::Transform(int32_t originX, int32_t originY, int32_t dx, int32_t dy, double scaleX, double scaleY,
                      double angle)
{
    RequireFiniteTransform(scaleX, scaleY, angle);
    const TPoint origin(originX, originY);
    std::vector<TPoint> result = Points.Items();
    for (TPoint &p : result) {
        if (std::fabs(angle) > 0.035)
            p.RotateAbout(origin, angle);
        if (std::fabs(scaleX - 1) > 0.01 || std::fabs(scaleY - 1) > 0.01)
            p = {RoundCoord(originX + scaleX * (double(p.x) - originX)),
                 RoundCoord(originY + scaleY * (double(p.y) - originY))};
        if (dx != 0 || dy != 0)
            p.MoveBy(dx, dy);
    }
    Points.Items() = std::move(result);
}

bool TPoly::ContainsXY(int32_t x, int32_t y) const
{
    const std::vector<TPoint> &p = Points.Items();
    if (!Closed || p.empty())
        return false;
    bool inside = false;
    const TPoint *prev = &p.back();
    for (const TPoint &cur : p) {
        if ((y >= prev->y && y < cur.y) || (y < prev->y && y >= cur.y)) {
            const double xCross = double(int64_t(cur.x) - prev->x) *
                                      (double(int64_t(y) - prev->y) / double(int64_t(cur.y) - prev->y)) +
                                  prev->x;
            if (x < xCross)
                inside = !inside;
        }
        prev = &cur;
    }
    return inside;
}

bool TPoly::ContainsPoly(const TPoly &other) const
{
    for (const TPoint &p : other.Points.Items())
        if (!ContainsPoint(p))
            return false;
    return true;
}

void TPoly::AddHole(const TPoly &hole)
{
    const std::vector<TPoint> &outer = Points.Items();
    const std::vector<TPoint> &inner = hole.Points.Items();
    if (outer.empty() || inner.empty())
        return;
    size_t bestI = 0, bestJ = 0;
    int64_t best = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < outer.size(); i++)
        for (size_t j = 0; j < inner.size(); j++) {
            const int64_t d = outer[i].DistanceTo(&inner[j]);
            if (d < best) {
                best = d;
                bestI = i;
                bestJ = j;
            }
        }
    std::vector<TPoint> bridge;
    bridge.reserve(inner.size() + 2);
    for (size_t k = 0; k < inner.size(); k++)
        bridge.push_back(inner[(bestJ + k) % inner.size()]);
    bridge.push_back(inner[bestJ]);
    bridge.push_back(outer[bestI]);
    Points.Items().insert(Points.Items().begin() + long(bestI) + 1, bridge.begin(), bridge.end());
    Changed = true;
}

std::optional<TPoly> TPoly::SplitHole()
{
    std::vector<TPoint> &p = Points.Items();
    const long count = long(p.size());
    for (long i = 0; i < count - 4; i++)
        for (long b = count - 1; i + 4 < b; b--) {
            if (p[size_t(i)] == p[size_t(b)] && p[size_t(i + 1)] == p[size_t(b - 1)]) {
                TPoly hole(true);
                hole.Points.Items().assign(p.begin() + i + 1, p.begin() + b - 1);
                p.erase(p.begin() + i + 1, p.begin() + b + 1);
                Changed = true;
                return hole;
            }
        }
    return std::nullopt;
}

bool TPoly::UniqueXs() const
{
    std::vector<int32_t> xs;
    const std::vector<TPoint> &p = Points.Items();
    for (size_t i = 0; i < p.size(); i++)
        if (i == 0 || p[i].x != p[i - 1].x)
            xs.push_back(p[i].x);
    std::sort(xs.begin(), xs.end());
    return std::adjacent_find(xs.begin(), xs.end()) == xs.end();
}

TPoly &TPolys::Add(TPoly poly)
{
    items_.push_back(std::move(poly));
    return items_.back();
}

void TPolys::Delete(int i)
{
    if (i < 0 || i >= Count())
        throw std::out_of_range("Poly list index out of bounds");
    items_.erase(items_.begin() + i);
}

int TPolys::CompareArea(TPoly &a, TPoly &b)
{
    const double x = a.Area(), y = b.Area();
    return x < y ? -1 : x > y ? 1 : 0;
}

void TPolys::SortByArea()
{
    for (TPoly &p : items_)
        p.Area();
    std::stable_sort(items_.begin(), items_.end(),
                     [](const TPoly &a, const TPoly &b) { return a.LastArea < b.LastArea; });
}

void TPolys::Reverse() { std::reverse(items_.begin(), items_.end()); }

void TPolys::MergeHoles()
{
    SortByArea();
    Reverse();
    for (int i = Count() - 1; i > 0; i--)
        for (int k = i - 1; k >= 0; k--)
            if (items_[size_t(k)].ContainsPoly(items_[size_t(i)])) {
                items_[size_t(k)].AddHole(items_[size_t(i)]);
                items_.erase(items_.begin() + i);
                break;
            }
}

void TPolys::SplitHoles()
{
    for (size_t i = 0; i < items_.size(); i++)
        while (std::optional<TPoly> ring = items_[i].SplitHole())
            items_.push_back(std::move(*ring));
    if (items_.size() > 1) {
        SortByArea();
        Reverse();
    }
}

void TText::Transform(int32_t originX, int32_t originY, int32_t dx, int32_t dy, double scaleX, double scaleY,
                      double angle)
{
    RequireFiniteTransform(scaleX, scaleY, angle);
    const TPoint origin(originX, originY);
    TPoint anchor(RoundCoord(originX + scaleX * (double(x) - originX)),
                  RoundCoord(originY + scaleY * (double(y) - originY)));
    if (std::fabs(angle) > 0.035)
        anchor.RotateAbout(origin, angle);
    anchor.MoveBy(dx, dy);
    const int32_t size = std::max(1, RoundCoord(Font.Size * scaleX));
    x = anchor.x;
    y = anchor.y;
    Font.Size = size;
    if (std::fabs(angle) > 0.035)
        Angle += angle;
}

TPoly TGeometryFactory::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const
{
    TPoly poly(false);
    poly.AddXY(x1, y1);
    poly.AddXY(x2, y2);
    return poly;
}

TPoly TGeometryFactory::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const
{
    TPoly poly(true);
    poly.AddXY(x1, y1);
    poly.AddXY(x2, y1);
    poly.AddXY(x2, y2);
    poly.AddXY(x1, y2);
    return poly;
}

TPoly TGeometryFactory::Circle(int32_t cx, int32_t cy, int32_t radius, int n) const
{
    TPoly poly(true);
    if (n <= 0)
        return poly;
    const TPoint centre(cx, cy);
    const TPoint first(geometry::CheckedCoord(int64_t(cx) + radius), cy);
    poly.AddPoint(first);
    for (int k = 1; k < n; k++)
        poly.AddPoint(first.RotatedAbout(centre, k * 2 * M_PI / n));
    return poly;
}

TPoly TGeometryFactory::Arc(const TPoint &centre, const TPoint &start, int n, double angle) const
{
    geometry::RequireFinite(angle, "arc angle");
    TPoly poly(false);
    const double steps = std::nearbyint(n * angle / (2 * M_PI));
    if (steps < 0)
        return poly;
    if (steps > std::numeric_limits<int32_t>::max())
        throw EGeometryOverflow("Too many arc steps");
    const int count = int(steps);
    poly.AddPoint(start);
    TPoint p = start;
    for (int k = 0; k < count; k++) {
        p.RotateAbout(centre, angle / count);
        poly.AddPoint(p);
    }
    return poly;
}

TGeometryFactory &GeometryFactory()
{
    static TGeometryFactory factory;
    return factory;
}
