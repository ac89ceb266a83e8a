#include "engine/editing/line_segment.h"

#include "engine/editing/integer_math.h"

#include <algorithm>
#include <cmath>

int LinesegmentPointsGet(const Linesegment *segment, MAP_COORDPT *first, MAP_COORDPT *second)
{
    if (!segment)
        return 0;
    if (first)
        *first = {segment->x1, segment->y1};
    if (second)
        *second = {segment->x2, segment->y2};
    return 1;
}

int LinesegmentPointsSet(Linesegment *segment, const MAP_COORDPT *first, const MAP_COORDPT *second)
{
    if (!segment || !first || !second)
        return 0;
    *segment = {first->x, first->y, second->x, second->y};
    return 1;
}

int LinesegmentEndPointSet(Linesegment *segment, const MAP_COORDPT *point)
{
    if (!segment || !point)
        return 0;
    segment->x2 = point->x;
    segment->y2 = point->y;
    return 1;
}

int LinesegmentMedian(const Linesegment *segment, MAP_COORDPT *point)
{
    if (!segment || !point)
        return 0;
    // The halves of 64-bit sums always fit 32 bits again.
    point->x = int32_t((int64_t(segment->x1) + segment->x2) / 2);
    point->y = int32_t((int64_t(segment->y1) + segment->y2) / 2);
    return 1;
}

int LinesegmentCopy(const Linesegment *source, Linesegment *destination)
{
    if (!source || !destination)
        return 0;
    *destination = *source;
    return 1;
}

namespace {

// Half away from zero. (Leaning by the direction of the segment instead would
// move an exact meeting point of a segment running backwards by one unit.)
int32_t roundAway(double v) { return int32_t(v >= 0 ? v + 0.5 : v - 0.5); }

bool within(double x, double y, int32_t px, int32_t py)
{
    return std::fabs(x - px) <= 0.5 && std::fabs(y - py) <= 0.5;
}

} // namespace

int LinesegmentIntersection(const Linesegment *a, const Linesegment *b, MAP_COORDPT *point)
{
    if (!a || !b)
        return 0;
    const int64_t ax0 = std::min(a->x1, a->x2), ax1 = std::max(a->x1, a->x2);
    const int64_t ay0 = std::min(a->y1, a->y2), ay1 = std::max(a->y1, a->y2);
    const int64_t bx0 = std::min(b->x1, b->x2), bx1 = std::max(b->x1, b->x2);
    const int64_t by0 = std::min(b->y1, b->y2), by1 = std::max(b->y1, b->y2);
    if (ax0 - 2 > bx1 || ay0 - 2 > by1 || ax1 + 2 < bx0 || ay1 + 2 < by0)
        return 0;
    const double dx1 = double(a->x2) - a->x1, dy1 = double(a->y2) - a->y1;
    const double dx2 = double(b->x2) - b->x1, dy2 = double(b->y2) - b->y1;
    const double d = dy2 * dx1 - dx2 * dy1;
    if (d == 0.0)
        return 0;
    const double ex = double(b->x1) - a->x1, ey = double(a->y1) - b->y1;
    const double t = (ex * dy2 + ey * dx2) / d;
    const double u = (ex * dy1 + ey * dx1) / d;
    const double x = a->x1 + dx1 * t, y = a->y1 + dy1 * t;
    if (t < 0 && !within(x, y, a->x1, a->y1))
        return 0;
    if (t > 1 && !within(x, y, a->x2, a->y2))
        return 0;
    if (u < 0 && !within(x, y, b->x1, b->y1))
        return 0;
    if (u > 1 && !within(x, y, b->x2, b->y2))
        return 0;
    if (point)
        *point = {roundAway(x), roundAway(y)};
    return 1;
}

namespace {

// The sign of the cross product of a and b, whose parts are differences of
// 32-bit coordinates (33 bits): exact in 128 bits.
int crossSign(int64_t ax, int64_t ay, int64_t bx, int64_t by) { return DetSgn64(ax, ay, bx, by); }

} // namespace

int LineSegmentsIntersect(const MAP_COORDPT *p1, const MAP_COORDPT *p2, const MAP_COORDPT *p3,
                          const MAP_COORDPT *p4)
{
    if (!p1 || !p2 || !p3 || !p4)
        return 0;
    const bool aPoint = p1->x == p2->x && p1->y == p2->y;
    const bool bPoint = p3->x == p4->x && p3->y == p4->y;
    if (aPoint && bPoint)
        return 0;
    bool collinear = true;
    if (!aPoint) {
        const int64_t dx = int64_t(p2->x) - p1->x, dy = int64_t(p2->y) - p1->y;
        const int s3 = crossSign(dx, dy, int64_t(p3->x) - p1->x, int64_t(p3->y) - p1->y);
        const int s4 = crossSign(dx, dy, int64_t(p4->x) - p1->x, int64_t(p4->y) - p1->y);
        if (s3 != 0 && s3 == s4)
            return 0;
        collinear = s3 == 0 && s4 == 0;
    }
    if (!bPoint) {
        const int64_t ex = int64_t(p4->x) - p3->x, ey = int64_t(p4->y) - p3->y;
        const int s1 = crossSign(ex, ey, int64_t(p1->x) - p3->x, int64_t(p1->y) - p3->y);
        const int s2 = crossSign(ex, ey, int64_t(p2->x) - p3->x, int64_t(p2->y) - p3->y);
        if (s1 != 0 && s1 == s2)
            return 0;
        collinear = collinear && s1 == 0 && s2 == 0;
    }
    if (!collinear)
        return 1;
    // On one line the segments meet only where their extents overlap; pieces
    // that lie apart on the line do not cross.
    return std::max(std::min(p1->x, p2->x), std::min(p3->x, p4->x)) <=
               std::min(std::max(p1->x, p2->x), std::max(p3->x, p4->x)) &&
           std::max(std::min(p1->y, p2->y), std::min(p3->y, p4->y)) <=
               std::min(std::max(p1->y, p2->y), std::max(p3->y, p4->y));
}
