// Polygons and polylines, lists of them, text labels and the factory of
// common outlines.
#pragma once

#include "editor/shell/geometry/points.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TPoly {
public:
    explicit TPoly(bool closed = false) : Closed(closed) {}

    int Count() const { return Points.Count(); }
    TPoint &Get(int i) { return Points.Get(i); }
    const TPoint &Get(int i) const { return Points.Get(i); }
    // Append a point, set the changed flag and return the count.
    int AddXY(int32_t x, int32_t y);
    int AddPoint(const TPoint &point) { return AddXY(point.x, point.y); }
    // Appends copies of the other poly's points, dropping its first point
    // when it equals the current last point.
    void Append(const TPoly &other);
    TPoly Clone() const { return *this; }

    // Sum of the rounded segment lengths, the closing one for a polygon.
    int64_t Length() const;
    // Square metres (map units are centimetres); 0 for a polyline or fewer
    // than 3 points. Stores the result and clears the changed flag.
    double Area();
    bool IsClockwise() const { return Points.IsClockwise(); }
    // Reverses a polygon whose orientation differs; polylines stay.
    void SetClockwise(bool clockwise);
    void Reverse() { Points.Reverse(); }

    // The moves raise EGeometryOverflow and std::invalid_argument (angles and
    // scales that are not finite) before changing any point.
    void MoveBy(int32_t dx, int32_t dy);
    void RotateAbout(const TPoint &centre, double angle);
    // Rotation about the origin when |angle| > 0.035, scaling about it when a
    // scale differs from 1 by more than 0.01, then the move.
    void Transform(int32_t originX, int32_t originY, int32_t dx, int32_t dy, double scaleX, double scaleY,
                   double angle);

    // Even-odd rule; always false for a polyline.
    bool ContainsXY(int32_t x, int32_t y) const;
    bool ContainsPoint(const TPoint &point) const { return ContainsXY(point.x, point.y); }
    bool ContainsPoly(const TPoly &other) const;

    void Simplify(double tolerance) { Points.Simplify(tolerance); }

    // Joins the hole into this ring along a doubled bridge between their
    // closest vertices; SplitHole takes the first such bridge out again and
    // returns the hole's ring, nothing when there is no bridge.
    void AddHole(const TPoly &hole);
    std::optional<TPoly> SplitHole();
    // No x value twice, a run of consecutive equal x values counting once.
    bool UniqueXs() const;

    TPoints Points;
    bool Closed = false;
    bool Changed = false;
    double LastArea = 0;
};

class TPolys {
public:
    int Count() const { return int(items_.size()); }
    // Null outside the list.
    TPoly *Get(int i) { return i >= 0 && i < Count() ? &items_[size_t(i)] : nullptr; }
    TPoly &Add(TPoly poly);
    void Delete(int i);
    // Ascending area (stable).
    void SortByArea();
    static int CompareArea(TPoly &a, TPoly &b);
    void Reverse();
    // Joins every ring lying inside a larger one into it as a hole.
    void MergeHoles();
    // Splits every keyhole ring into its rings, largest first.
    void SplitHoles();

    std::vector<TPoly> &Items() { return items_; }

private:
    std::vector<TPoly> items_;
};

// A text's font: face, size in points and colour.
struct TTextFont {
    std::string Name = "Arial";
    int32_t Size = 8;
    int32_t Color = 0;
    bool Bold = false;
    bool Italic = false;
};

// A text label anchored at its point.
class TText : public TPoint {
public:
    // Moves, scales and rotates the anchor; the font size scales by scaleX
    // (at least 1) and the angle is added when |angle| > 0.035.
    void Transform(int32_t originX, int32_t originY, int32_t dx, int32_t dy, double scaleX, double scaleY,
                   double angle);

    std::string Text;
    // Low 4 bits horizontal, high 4 bits vertical alignment code.
    uint8_t Alignment = 17;
    double Angle = 0; // radians, counter-clockwise
    TTextFont Font;
    bool IsIdentifier = false;
};

// Common outlines, each a new poly.
class TGeometryFactory {
public:
    TPoly Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
    TPoly Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
    // n points round the centre starting east of it; empty for n <= 0.
    TPoly Circle(int32_t cx, int32_t cy, int32_t radius, int n) const;
    // The start and round(n * angle / 2 pi) further points, each the previous
    // one rotated by the step; empty for a negative step count.
    TPoly Arc(const TPoint &centre, const TPoint &start, int n, double angle) const;
};

// The one factory of the program.
TGeometryFactory &GeometryFactory();
