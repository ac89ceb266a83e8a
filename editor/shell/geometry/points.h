// Points, point lists, bounding boxes and lines on map units (centimetres
// of the document's grid). Angles are radians counter-clockwise from east;
// bearings are whole degrees clockwise from north.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TPoly;

class TPoint {
public:
    TPoint() = default;
    TPoint(int32_t x, int32_t y) : x(x), y(y) {}

    TPoint Clone() const { return *this; }
    bool Equals(const TPoint &other) const { return x == other.x && y == other.y; }
    bool operator==(const TPoint &other) const { return Equals(other); }

    // round(sqrt(dx² + dy²)); DistanceTo gives 0 for a null point.
    int64_t DistanceToXY(int32_t px, int32_t py) const;
    int64_t DistanceTo(const TPoint *other) const { return other ? DistanceToXY(other->x, other->y) : 0; }
    // atan2(dy, dx) towards the other point; straight up or down when dx is 0.
    double AngleTo(const TPoint &other) const;
    // Whole degrees clockwise from north, 0 .. 359.
    int BearingTo(const TPoint &other) const;
    // Raises EGeometryOverflow, the point unchanged, when a sum leaves 32 bits.
    void MoveBy(int32_t dx, int32_t dy);
    // Rotation counter-clockwise by angle (radians), results rounded; raises
    // EGeometryOverflow (the point unchanged) outside 32 bits and
    // std::invalid_argument for an angle that is not finite.
    void RotateAbout(const TPoint &centre, double angle);
    TPoint RotatedAbout(const TPoint &centre, double angle) const;

    int32_t x = 0;
    int32_t y = 0;
};

// An owning list of points with a cursor for First / Next.
class TPoints {
public:
    int Count() const { return int(items_.size()); }
    // Throws std::out_of_range outside the list.
    TPoint &Get(int i) { return items_.at(size_t(i)); }
    const TPoint &Get(int i) const { return items_.at(size_t(i)); }
    TPoint &AddXY(int32_t x, int32_t y);
    TPoint &AddCopy(const TPoint &point);
    void Insert(int i, const TPoint &point);
    void Delete(int i);
    void Clear() { items_.clear(); }

    // Resets the cursor and returns the first point, null when empty; Next
    // returns the point at the cursor (null past the end) and advances.
    TPoint *First();
    TPoint *Next();
    TPoint *Last() { return items_.empty() ? nullptr : &items_.back(); }

    void Reverse();
    // The point with the smallest rounded distance, the first on ties; null
    // when empty.
    const TPoint *Nearest(const TPoint &point) const;
    // Orientation at the vertex of greatest x; trailing copies of the first
    // point are ignored. A list with no turning vertex counts as
    // anticlockwise.
    bool IsClockwise() const;
    // Douglas-Peucker: keeps the first and the last point and every point
    // whose rounded distance from the line of its range is greater than the
    // tolerance, sampling at most about 64 points per range. Kept points
    // keep their coordinates.
    void Simplify(double tolerance);

    std::vector<TPoint> &Items() { return items_; }
    const std::vector<TPoint> &Items() const { return items_; }

private:
    std::vector<TPoint> items_;
    size_t cursor_ = 0;
};

class TBounds {
public:
    TBounds() = default;
    TBounds(const TPoint &min, const TPoint &max) : Min(min), Max(max) {}
    // Minimum and maximum of the points; (0, 0)-(0, 0) for an empty poly.
    static TBounds FromPoly(const TPoly &poly);
    // Each half truncated towards zero before adding, so it never overflows.
    TPoint Centre() const;

    TPoint Min;
    TPoint Max;
};

// The line through two points.
class TLine {
public:
    TLine(const TPoint &a, const TPoint &b) : A(a), B(b) {}
    // Distance of the point from the infinite line; from A when the two
    // points coincide.
    double DistanceTo(const TPoint &point) const;

    TPoint A;
    TPoint B;
};
