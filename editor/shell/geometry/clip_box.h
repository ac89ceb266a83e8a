// Clipping of polygons and polylines to a rectangle.
#pragma once

#include "editor/shell/geometry/points.h"
#include "editor/shell/geometry/poly.h"

class TClipBox : public TBounds {
public:
    TClipBox() : TBounds({0, 0}, {1, 1}) {}
    TClipBox(const TPoint &min, const TPoint &max) : TBounds(min, max) {}

    // Side 0: x < min.x; 1: y < min.y; 2: x > max.x; 3: y > max.y.
    bool Outside(const TPoint &point, int side) const;
    // Where the segment from p to q meets the side's line, rounded.
    TPoint Intersect(const TPoint &p, const TPoint &q, int side) const;
    // The parts of the poly inside the box. A polygon gives one ring
    // (Sutherland-Hodgman, side by side; empty when nothing is inside); a
    // polyline gives each run of it inside the box, of 2 or more points.
    TPolys Clip(const TPoly &poly) const;

private:
    TPoly ClipRing(const TPoly &ring) const;
    TPolys ClipRuns(const TPoly &line) const;
};
