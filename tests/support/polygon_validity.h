// Validity of a polygon set in the engine's own form, judged by GEOS.
//
// The engine hands out closed clockwise rings (y up) without holes of their
// own: a hole is joined to the ring around it by a bridge, two coincident
// edges of opposite direction. The check takes every ring apart at its
// bridges and at the points where it touches itself, sorts the loops into
// shells (clockwise) and holes, puts each hole into the smallest shell that
// covers it and asks GEOS whether the polygons are valid. A loop of no area
// (a spike, a there-and-back pair that bridges nothing) is a fault of its
// own. Finally the rings' areas must add up to the area GEOS covers.
//
// Needs GEOS (geos_c) linked into the test program.
#pragma once

#include <geos_c.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/polygon/polygon_logical.h"

namespace polygon_validity {

struct Point {
    int64_t x, y;
    auto operator<=>(const Point &) const = default;
};
using Loop = std::vector<Point>;

// Twice the signed area, counter-clockwise positive, exact.
inline __int128 Area2(const Loop &loop)
{
    __int128 sum = 0;
    for (size_t i = 0; i < loop.size(); i++) {
        const Point &a = loop[i], &b = loop[(i + 1) % loop.size()];
        sum += __int128(a.x) * b.y - __int128(b.x) * a.y;
    }
    return sum;
}

// Takes a ring apart wherever its walk comes back to a point it has
// passed: the part walked since then is a loop of its own. A two-point loop
// is a bridge when a loop was taken off at its far end (the hole it leads
// to), otherwise a spike; answers false for a spike.
inline bool SplitRing(const Loop &ring, std::vector<Loop> *loops)
{
    std::vector<Point> stack;
    std::vector<bool> closedAt;
    std::map<Point, size_t> position;
    for (const Point &v : ring) {
        auto it = position.find(v);
        if (it == position.end()) {
            position.emplace(v, stack.size());
            stack.push_back(v);
            closedAt.push_back(false);
            continue;
        }
        const size_t k = it->second;
        Loop loop(stack.begin() + long(k), stack.end());
        if (loop.size() == 2 && !closedAt[k + 1])
            return false;
        if (loop.size() >= 3)
            loops->push_back(std::move(loop));
        for (size_t j = k + 1; j < stack.size(); j++)
            position.erase(stack[j]);
        stack.resize(k + 1);
        closedAt.resize(k + 1);
        closedAt[k] = true;
    }
    if (stack.size() == 2 && !closedAt[1])
        return false;
    if (stack.size() >= 3)
        loops->push_back(std::move(stack));
    return true;
}

class Checker {
public:
    Checker() : _ctx(GEOS_init_r()) {}
    ~Checker() { GEOS_finish_r(_ctx); }
    Checker(const Checker &) = delete;
    Checker &operator=(const Checker &) = delete;

    // "" for a valid set, otherwise what is wrong with it.
    std::string Problem(const PlgOpResult *set)
    {
        std::vector<Loop> rings;
        for (int32_t i = 0; i < set->numPolygons; i++) {
            Loop ring;
            for (int32_t j = 0; j < set->polygons[i].numPoints; j++) {
                const PlgList &p = set->points[set->polygons[i].firstPoint + j];
                ring.push_back({p.x, p.y});
            }
            rings.push_back(std::move(ring));
        }
        return Problem(rings);
    }

    std::string Problem(const std::vector<Loop> &rings)
    {
        if (rings.empty())
            return "";
        _origin = rings[0].empty() ? Point{0, 0} : rings[0][0];
        __int128 ringArea2 = 0;
        std::vector<Loop> shells, holes;
        for (size_t r = 0; r < rings.size(); r++) {
            const Loop &ring = rings[r];
            const std::string which = "ring " + std::to_string(r) + ": ";
            if (ring.size() < 3)
                return which + "fewer than three points";
            for (size_t i = 0; i < ring.size(); i++)
                if (ring[i] == ring[(i + 1) % ring.size()])
                    return which + "repeated point " + Text(ring[i]);
            const __int128 area = Area2(ring);
            if (area >= 0)
                return which + "not clockwise";
            ringArea2 += area;
            std::vector<Loop> loops;
            if (!SplitRing(ring, &loops))
                return which + "a spike";
            for (const Loop &loop : loops) {
                const __int128 a = Area2(loop);
                if (a == 0)
                    return which + "a loop without area at " + Text(loop[0]);
                (a < 0 ? shells : holes).push_back(loop);
            }
        }
        // Smallest shells first, so that a hole goes to the one nearest it.
        std::sort(shells.begin(), shells.end(),
                  [](const Loop &a, const Loop &b) { return Area2(a) > Area2(b); });
        std::vector<GEOSGeometry *> shellPolygons;
        std::vector<const GEOSPreparedGeometry *> prepared;
        for (const Loop &shell : shells) {
            shellPolygons.push_back(Polygon(shell, {}));
            prepared.push_back(GEOSPrepare_r(_ctx, shellPolygons.back()));
        }
        std::vector<std::vector<const Loop *>> holesOf(shells.size());
        std::string problem;
        for (const Loop &hole : holes) {
            GEOSGeometry *h = Polygon(hole, {});
            size_t found = shells.size();
            for (size_t s = 0; s < shells.size() && found == shells.size(); s++)
                if (GEOSPreparedCovers_r(_ctx, prepared[s], h) == 1)
                    found = s;
            GEOSGeom_destroy_r(_ctx, h);
            if (found == shells.size()) {
                problem = "a hole outside every shell at " + Text(hole[0]);
                break;
            }
            holesOf[found].push_back(&hole);
        }
        for (const GEOSPreparedGeometry *g : prepared)
            GEOSPreparedGeom_destroy_r(_ctx, g);
        for (GEOSGeometry *g : shellPolygons)
            GEOSGeom_destroy_r(_ctx, g);
        if (!problem.empty())
            return problem;

        std::vector<GEOSGeometry *> polygons;
        for (size_t s = 0; s < shells.size(); s++)
            polygons.push_back(Polygon(shells[s], holesOf[s]));
        GEOSGeometry *all =
            GEOSGeom_createCollection_r(_ctx, GEOS_MULTIPOLYGON, polygons.data(), uint32_t(polygons.size()));
        if (GEOSisValid_r(_ctx, all) != 1) {
            char *reason = GEOSisValidReason_r(_ctx, all);
            problem = std::string("not valid: ") + reason + " (shifted by " + Text(_origin) + ")";
            GEOSFree_r(_ctx, reason);
        } else {
            double covered = 0;
            GEOSArea_r(_ctx, all, &covered);
            const double rings2 = -double(ringArea2) / 2;
            if (std::fabs(covered - rings2) > 1e-9 * std::fabs(covered) + 1e-6)
                problem = "ring areas " + std::to_string(rings2) + " but covered " + std::to_string(covered);
        }
        GEOSGeom_destroy_r(_ctx, all);
        return problem;
    }

private:
    static std::string Text(const Point &p)
    {
        return "(" + std::to_string(p.x) + " " + std::to_string(p.y) + ")";
    }

    GEOSGeometry *Ring(const Loop &loop) const
    {
        GEOSCoordSequence *seq = GEOSCoordSeq_create_r(_ctx, uint32_t(loop.size() + 1), 2);
        for (size_t i = 0; i <= loop.size(); i++) {
            const Point &p = loop[i % loop.size()];
            GEOSCoordSeq_setXY_r(_ctx, seq, uint32_t(i), double(p.x - _origin.x), double(p.y - _origin.y));
        }
        return GEOSGeom_createLinearRing_r(_ctx, seq);
    }

    GEOSGeometry *Polygon(const Loop &shell, const std::vector<const Loop *> &holes) const
    {
        std::vector<GEOSGeometry *> inner;
        for (const Loop *hole : holes)
            inner.push_back(Ring(*hole));
        return GEOSGeom_createPolygon_r(_ctx, Ring(shell), inner.data(), uint32_t(inner.size()));
    }

    GEOSContextHandle_t _ctx;
    Point _origin{0, 0};
};

} // namespace polygon_validity
