#include "engine/editing/operations/map_reduction.h"

#include "engine/kernel/graph_object.h"
#include "engine/window/window_access.h"
#include "engine/window/window_heights.h"
#include "engine/window/window_points.h"

#include <cmath>
#include <utility>
#include <vector>

namespace {

// Differences of integer coordinates taken in double: exact, as they stay
// within 2^33.
double Diff(int32_t a, int32_t b) { return double(a) - double(b); }

// The distance to one segment, with what depends on the segment alone
// worked out once: the workers measure many points against each segment.
struct SegmentMeasure2D {
    SegmentMeasure2D(MAP_COORDPT a, MAP_COORDPT b)
        : a(a), b(b), abx(Diff(b.x, a.x)), aby(Diff(b.y, a.y)), length2(abx * abx + aby * aby),
          length(std::sqrt(length2))
    {
    }
    double operator()(MAP_COORDPT p) const
    {
        const double apx = Diff(p.x, a.x), apy = Diff(p.y, a.y);
        const double along = apx * abx + apy * aby;
        if (along <= 0.0)
            return std::sqrt(apx * apx + apy * apy);
        if (along >= length2) { // (P - B) . (A - B) <= 0
            const double bpx = Diff(p.x, b.x), bpy = Diff(p.y, b.y);
            return std::sqrt(bpx * bpx + bpy * bpy);
        }
        return std::fabs(abx * apy - aby * apx) / length2 * length;
    }
    MAP_COORDPT a, b;
    double abx, aby, length2, length;
};

// The 3-D form has no such shortcut.
struct SegmentMeasure3D {
    SegmentMeasure3D(const MAP3D_COORDPT &a, const MAP3D_COORDPT &b) : a(a), b(b) {}
    double operator()(const MAP3D_COORDPT &p) const { return ReducePointSegmentDistance(p, a, b); }
    MAP3D_COORDPT a, b;
};

template <class Point>
struct MeasureOf;
template <>
struct MeasureOf<MAP_COORDPT> {
    using type = SegmentMeasure2D;
};
template <>
struct MeasureOf<MAP3D_COORDPT> {
    using type = SegmentMeasure3D;
};

// Drop flags of the input points (1 drop); the first and last never drop.
using DropFlags = std::vector<uint8_t>;

template <class Point>
void FlagLinear(const Point *p, unsigned long n, double threshold, DropFlags &drop)
{
    unsigned long anchor = 0;
    while (anchor + 2 < n) {
        bool moved = false;
        for (unsigned long end = anchor + 2; end < n && !moved; ++end) {
            const typename MeasureOf<Point>::type distance(p[anchor], p[end]);
            for (unsigned long k = anchor + 1; k < end; ++k) {
                if (distance(p[k]) < threshold) {
                    drop[k] = 1;
                    continue;
                }
                // The corridor breaks: the last point that fitted stays and
                // becomes the next anchor.
                drop[end - 1] = 0;
                anchor = end - 1;
                moved = true;
                break;
            }
        }
        if (!moved)
            break;
    }
}

// The farthest point of each range splits it until every point of a range
// lies within the threshold. Ranges wait on an explicit stack, so long lines
// do not deepen the call stack.
template <class Point>
void FlagRecursive(const Point *p, unsigned long n, double threshold, DropFlags &drop)
{
    std::vector<std::pair<unsigned long, unsigned long>> ranges{{0, n - 1}};
    while (!ranges.empty()) {
        const auto [first, last] = ranges.back();
        ranges.pop_back();
        if (last <= first + 1)
            continue;
        double farthest = 0.0;
        unsigned long index = first;
        const typename MeasureOf<Point>::type distance(p[first], p[last]);
        for (unsigned long k = first + 1; k < last; ++k) {
            const double d = distance(p[k]);
            if (d > farthest) { // strictly: of equal distances the first wins
                farthest = d;
                index = k;
            }
        }
        if (farthest <= threshold) {
            for (unsigned long k = first + 1; k < last; ++k)
                drop[k] = 1;
            continue;
        }
        ranges.emplace_back(index, last);
        ranges.emplace_back(first, index);
    }
}

template <class Point>
unsigned long Reduce(const Point *in, Point *out, unsigned long count, int linear, double threshold)
{
    if (count < 3 || !in || !out)
        return 0;
    DropFlags drop(count, 0);
    if (linear)
        FlagLinear(in, count, threshold, drop);
    else if (threshold >= 0.0) // below 0 every point is farther: nothing drops
        FlagRecursive(in, count, threshold, drop);
    unsigned long written = 0;
    for (unsigned long i = 0; i + 1 < count; ++i)
        if (!drop[i])
            out[written++] = in[i];
    out[written++] = in[count - 1];
    return written;
}

// The points of a polygon or polyline without heights; false for anything
// else.
bool ReadPlainPoints(HWND window, OBJHANDLE object, std::vector<MAP_COORDPT> &points, uint16_t &classId)
{
    const MapDoc doc(window);
    classId = doc.classOf(object);
    if (classId != CLASS_POLYGON && classId != CLASS_POLYLINE)
        return false;
    if (map3d_is_object_3d(window, object))
        return false;
    auto get = classId == CLASS_POLYGON ? map_polygon_Get : map_polyline_Get;
    int32_t total = 0;
    get(window, object, &total, nullptr, 0);
    points.resize(size_t(std::max(total, 0)));
    if (total > 0)
        points.resize(size_t(get(window, object, &total, points.data(), total)));
    return true;
}

uint32_t MinimumPoints(uint16_t classId) { return classId == CLASS_POLYGON ? 3 : 2; }

} // namespace

double ReducePointSegmentDistance(MAP_COORDPT p, MAP_COORDPT a, MAP_COORDPT b)
{
    return SegmentMeasure2D(a, b)(p);
}

double ReducePointSegmentDistance(const MAP3D_COORDPT &p, const MAP3D_COORDPT &a, const MAP3D_COORDPT &b)
{
    const double abx = Diff(b.x, a.x), aby = Diff(b.y, a.y), abz = Diff(b.z, a.z);
    const double apx = Diff(p.x, a.x), apy = Diff(p.y, a.y), apz = Diff(p.z, a.z);
    if (apx * abx + apy * aby + apz * abz <= 0.0)
        return std::sqrt(apx * apx + apy * apy + apz * apz);
    const double bpx = Diff(p.x, b.x), bpy = Diff(p.y, b.y), bpz = Diff(p.z, b.z);
    const double along = -(bpx * abx + bpy * aby + bpz * abz);
    if (along <= 0.0)
        return std::sqrt(bpx * bpx + bpy * bpy + bpz * bpz);
    // |P - B|^2 less the square of P - B projected on the segment.
    const double length2 = abx * abx + aby * aby + abz * abz;
    const double across2 = bpx * bpx + bpy * bpy + bpz * bpz - along * along / length2;
    return std::sqrt(std::max(across2, 0.0));
}

unsigned long map_Reduce(const MAP_COORDPT *in, MAP_COORDPT *out, unsigned long count, int linear,
                         double threshold)
{
    return Reduce(in, out, count, linear, threshold);
}

unsigned long map3d_Reduce(const MAP3D_COORDPT *in, MAP3D_COORDPT *out, unsigned long count, int linear,
                           double threshold)
{
    return Reduce(in, out, count, linear, threshold);
}

int map_Reduce(HWND window, OBJHANDLE object, int linear, double threshold)
{
    std::vector<MAP_COORDPT> points;
    uint16_t classId = 0;
    if (!ReadPlainPoints(window, object, points, classId))
        return 0;
    std::vector<MAP_COORDPT> reduced(points.size());
    const unsigned long n = map_Reduce(points.data(), reduced.data(), points.size(), linear, threshold);
    if (n == points.size() || n < MinimumPoints(classId))
        return 0;
    auto set = classId == CLASS_POLYGON ? map_polygon_Set : map_polyline_Set;
    return set(window, object, reduced.data(), int32_t(n), 0) ? 1 : 0;
}

int map_Reduce(HWND window, OBJHANDLE object, MAP_COORDPT *out, long *count, int linear, double threshold)
{
    std::vector<MAP_COORDPT> points;
    uint16_t classId = 0;
    const bool read = ReadPlainPoints(window, object, points, classId);
    unsigned long n = 0;
    if (read && out)
        n = map_Reduce(points.data(), out, points.size(), linear, threshold);
    if (count)
        *count = long(n);
    return read && n != 0 && n != points.size() && n >= MinimumPoints(classId) ? 1 : 0;
}
