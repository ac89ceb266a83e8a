#include "editor/shell/geometry/points.h"

#include "editor/shell/geometry/geometry_numbers.h"
#include "editor/shell/geometry/poly.h"

#include <algorithm>
#include <cmath>
#include <utility>

using geometry::RoundCoord;

int64_t TPoint::DistanceToXY(int32_t px, int32_t py) const
{
    const double dx = double(int64_t(px) - x), dy = double(int64_t(py) - y);
    return geometry::RoundWide(std::sqrt(dx * dx + dy * dy));
}

double TPoint::AngleTo(const TPoint &other) const
{
    const int64_t dx = int64_t(other.x) - x, dy = int64_t(other.y) - y;
    if (dx == 0)
        return other.y > y ? M_PI / 2 : -M_PI / 2;
    return std::atan2(double(dy), double(dx));
}

int TPoint::BearingTo(const TPoint &other) const
{
    const int64_t degrees = geometry::RoundWide(AngleTo(other) * 180 / M_PI);
    return int(((450 - degrees) % 360 + 360) % 360);
}

void TPoint::MoveBy(int32_t dx, int32_t dy)
{
    const int32_t nx = geometry::CheckedCoord(int64_t(x) + dx);
    y = geometry::CheckedCoord(int64_t(y) + dy);
    x = nx;
}

TPoint TPoint::RotatedAbout(const TPoint &centre, double angle) const
{
    geometry::RequireFinite(angle, "rotation angle");
    const double c = std::cos(angle), s = std::sin(angle);
    const double dx = double(int64_t(x) - centre.x), dy = double(int64_t(y) - centre.y);
    return {RoundCoord(c * dx - s * dy + centre.x), RoundCoord(s * dx + c * dy + centre.y)};
}

void TPoint::RotateAbout(const TPoint &centre, double angle) { *this = RotatedAbout(centre, angle); }

TPoint &TPoints::AddXY(int32_t x, int32_t y)
{
    items_.emplace_back(x, y);
    return items_.back();
}

TPoint &TPoints::AddCopy(const TPoint &point)
{
    items_.push_back(point);
    return items_.back();
}

void TPoints::Insert(int i, const TPoint &point)
{
    if (i < 0 || i > Count())
        throw std::out_of_range("Point list index out of bounds");
    items_.insert(items_.begin() + i, point);
}

void TPoints::Delete(int i)
{
    if (i < 0 || i >= Count())
        throw std::out_of_range("Point list index out of bounds");
    items_.erase(items_.begin() + i);
}

TPoint *TPoints::First()
{
    cursor_ = 0;
    return Next();
}

TPoint *TPoints::Next()
{
    if (cursor_ >= items_.size())
        return nullptr;
    return &items_[cursor_++];
}

void TPoints::Reverse() { std::reverse(items_.begin(), items_.end()); }

const TPoint *TPoints::Nearest(const TPoint &point) const
{
    const TPoint *best = nullptr;
    int64_t bestDistance = 0;
    for (const TPoint &p : items_) {
        const int64_t d = point.DistanceTo(&p);
        if (!best || d < bestDistance) {
            best = &p;
            bestDistance = d;
        }
    }
    return best;
}

bool TPoints::IsClockwise() const
{
    size_t n = items_.size();
    while (n > 1 && items_[n - 1] == items_[0])
        n--;
    if (n < 3)
        return false;
    size_t top = 0;
    for (size_t i = 1; i < n; i++)
        if (items_[i].x > items_[top].x)
            top = i;
    const TPoint &p = items_[top];
    const TPoint &q = items_[top == 0 ? n - 1 : top - 1];
    const TPoint &r = items_[top == n - 1 ? 0 : top + 1];
    // (p - q) x (r - p) < 0: the turn at p is to the right.
    const geometry::Wide turn = geometry::Wide(int64_t(p.x) - q.x) * (int64_t(r.y) - p.y) -
                                geometry::Wide(int64_t(p.y) - q.y) * (int64_t(r.x) - p.x);
    return turn < 0;
}

void TPoints::Simplify(double tolerance)
{
    if (items_.empty())
        return;
    std::vector<bool> keep(items_.size(), false);
    keep.front() = keep.back() = true;
    // The ranges still to examine; an explicit stack keeps long lists off
    // the call stack.
    std::vector<std::pair<size_t, size_t>> ranges{{0, items_.size() - 1}};
    while (!ranges.empty()) {
        const auto [a, b] = ranges.back();
        ranges.pop_back();
        if (b - a < 2)
            continue;
        const size_t step = (b - a) / 64 + 1;
        const TLine line(items_[a], items_[b]);
        size_t best = 0;
        int64_t bestDistance = 0;
        for (size_t d = a + 1; d < b; d += step) {
            const int64_t distance = geometry::RoundWide(line.DistanceTo(items_[d]));
            if (double(distance) > tolerance && (best == 0 || distance > bestDistance)) {
                best = d;
                bestDistance = distance;
            }
        }
        if (best == 0)
            continue;
        keep[best] = true;
        ranges.emplace_back(best, b);
        ranges.emplace_back(a, best);
    }
    size_t out = 0;
    for (size_t i = 0; i < items_.size(); i++)
        if (keep[i])
            items_[out++] = items_[i];
    items_.resize(out);
}

TBounds TBounds::FromPoly(const TPoly &poly)
{
    TBounds bounds;
    const std::vector<TPoint> &points = poly.Points.Items();
    if (points.empty())
        return bounds;
    bounds.Min = bounds.Max = points.front();
    for (const TPoint &p : points) {
        bounds.Min.x = std::min(bounds.Min.x, p.x);
        bounds.Min.y = std::min(bounds.Min.y, p.y);
        bounds.Max.x = std::max(bounds.Max.x, p.x);
        bounds.Max.y = std::max(bounds.Max.y, p.y);
    }
    return bounds;
}

TPoint TBounds::Centre() const { return {Min.x / 2 + Max.x / 2, Min.y / 2 + Max.y / 2}; }

double TLine::DistanceTo(const TPoint &point) const
{
    const double dx = double(int64_t(B.x) - A.x), dy = double(int64_t(B.y) - A.y);
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0) {
        const double px = double(int64_t(point.x) - A.x), py = double(int64_t(point.y) - A.y);
        return std::sqrt(px * px + py * py);
    }
    const geometry::Wide cross = geometry::Wide(int64_t(point.x) - A.x) * (int64_t(B.y) - A.y) -
                                 geometry::Wide(int64_t(point.y) - A.y) * (int64_t(B.x) - A.x);
    return std::fabs(double(cross)) / length;
}
