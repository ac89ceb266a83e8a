#include "editor/shell/geometry/clip_box.h"

#include "editor/shell/geometry/geometry_numbers.h"

#include <vector>

bool TClipBox::Outside(const TPoint &point, int side) const
{
    switch (side) {
    case 0:
        return point.x < Min.x;
    case 1:
        return point.y < Min.y;
    case 2:
        return point.x > Max.x;
    default:
        return point.y > Max.y;
    }
}

TPoint TClipBox::Intersect(const TPoint &p, const TPoint &q, int side) const
{
    const double dx = double(int64_t(q.x) - p.x), dy = double(int64_t(q.y) - p.y);
    if (side == 0 || side == 2) {
        const int32_t x = side == 0 ? Min.x : Max.x;
        return {x, geometry::RoundCoord((double(x) - p.x) * dy / dx + p.y)};
    }
    const int32_t y = side == 1 ? Min.y : Max.y;
    return {geometry::RoundCoord((double(y) - p.y) * dx / dy + p.x), y};
}

TPoly TClipBox::ClipRing(const TPoly &ring) const
{
    std::vector<TPoint> points = ring.Points.Items();
    for (int side = 0; side < 4 && !points.empty(); side++) {
        std::vector<TPoint> out;
        out.reserve(points.size() + 4);
        TPoint previous = points.back();
        for (const TPoint &current : points) {
            const bool previousOut = Outside(previous, side), currentOut = Outside(current, side);
            if (previousOut != currentOut)
                out.push_back(Intersect(previous, current, side));
            if (!currentOut)
                out.push_back(current);
            previous = current;
        }
        points = std::move(out);
    }
    TPoly clipped(true);
    clipped.Points.Items() = std::move(points);
    clipped.Changed = true;
    return clipped;
}

TPolys TClipBox::ClipRuns(const TPoly &line) const
{
    TPolys runs;
    TPoly run(false);
    auto finish = [&] {
        if (run.Count() >= 2)
            runs.Add(run);
        run = TPoly(false);
    };
    auto add = [&](const TPoint &p) {
        if (run.Count() == 0 || !(*run.Points.Last() == p))
            run.AddPoint(p);
    };
    const std::vector<TPoint> &points = line.Points.Items();
    for (size_t i = 1; i < points.size(); i++) {
        TPoint p = points[i - 1], q = points[i];
        bool startClipped = false, endClipped = false, gone = false;
        for (int side = 0; side < 4 && !gone; side++) {
            const bool pOut = Outside(p, side), qOut = Outside(q, side);
            if (pOut && qOut) {
                gone = true;
            } else if (pOut) {
                p = Intersect(p, q, side);
                startClipped = true;
            } else if (qOut) {
                q = Intersect(p, q, side);
                endClipped = true;
            }
        }
        if (gone) {
            finish();
            continue;
        }
        if (startClipped)
            finish();
        add(p);
        add(q);
        if (endClipped)
            finish();
    }
    finish();
    return runs;
}

TPolys TClipBox::Clip(const TPoly &poly) const
{
    if (poly.Closed) {
        TPolys result;
        result.Add(ClipRing(poly));
        return result;
    }
    return ClipRuns(poly);
}
