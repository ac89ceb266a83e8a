#include "engine/editing/set_geometry.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_rect.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/text/text_object.h"
#include "engine/window/page.h"
#include "engine/window/wndres.h"
#include "platform/desktop.h"

#include <algorithm>
#include <cmath>

namespace {

bool angular(int unitId, double *factor)
{
    const tagUnitInfo *u = FindUnitInfo(unitId);
    if (!u || !(u->kind & UNIT_ANGLE) || u->factor <= 0)
        return false;
    if (factor)
        *factor = u->factor;
    return true;
}

double plane(MAP_COORDPT a, MAP_COORDPT b)
{
    // Differences of 33 bits square without overflow in doubles.
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

double greatCircle(MAP_COORDPT a, MAP_COORDPT b, double f)
{
    constexpr double degree = 0.017453292522222223;
    double lonA = a.x / f, latA = a.y / f, lonB = b.x / f, latB = b.y / f;
    if (latA > 90)
        latA -= 180;
    if (latB > 90)
        latB -= 180;
    double dl = std::fabs(lonA - lonB), k = 1.0;
    if (dl > 180) {
        k = dl / 180;
        dl = 179.9;
    }
    // Rounding can lift the cosine of a tiny angle above 1.
    const double cosine =
        std::clamp(std::cos(dl * degree) * std::cos(latA * degree) * std::cos(latB * degree) +
                       std::sin(latA * degree) * std::sin(latB * degree),
                   -1.0, 1.0);
    const double c = std::acos(cosine) / degree;
    return c * kLengthEarthRadius * 3.141592654 / 180 * k;
}

const PresentationManager *viewOf(HWND window)
{
    const _WNDRES *rec = GetWndRes(window);
    return rec ? rec->displayView : nullptr;
}

// How a view measures: decided once per line, not per edge.
struct Measure {
    enum Kind { Plane, GreatCircle, Projected } kind = Plane;
    double factor = 1.0;
    const PresentationManager *view = nullptr;

    explicit Measure(const PresentationManager *v) : view(v)
    {
        if (!view)
            return;
        if (angular(view->projection.baseUnit, &factor) && angular(view->projection.transformedUnit, nullptr))
            kind = GreatCircle;
        else if (view->projection.hLib && view->projection.hInstanceData && view->projection.Forward &&
                 view->projection.Backward)
            kind = Projected;
    }

    double operator()(MAP_COORDPT a, MAP_COORDPT b) const
    {
        switch (kind) {
        case GreatCircle:
            return greatCircle(a, b, factor);
        case Projected: {
            MAP_COORDPT in[2] = {a, b}, out[2];
            if (PM_MapToWorld(view, in, out, 2) == 2)
                return plane(out[0], out[1]);
            return plane(a, b);
        }
        case Plane:
            break;
        }
        return plane(a, b);
    }
};

double edgesLength(OBJectKernel *kernel, OBJHANDLE object, uint32_t from, uint32_t to, bool closing)
{
    PointSetAccess a;
    if (!LockPointSet(kernel, object, a) || a.count == 0)
        return 0.0;
    const Measure measure(viewOf(GetOBJectWnd(kernel, object)));
    double sum = 0.0;
    to = std::min(to, a.count - 1);
    if (measure.kind == Measure::Plane) {
        MAP_COORDPT p = from < a.count ? a.at(from) : MAP_COORDPT{};
        for (uint32_t i = from; i < to; ++i) {
            const MAP_COORDPT q = a.at(i + 1);
            sum += plane(p, q);
            p = q;
        }
    } else {
        for (uint32_t i = from; i < to; ++i)
            sum += measure(a.at(i), a.at(i + 1));
    }
    if (closing && a.count > 1)
        sum += measure(a.at(a.count - 1), a.at(0));
    return sum;
}

} // namespace

double SetOfLineLength(HWND window, MAP_COORDPT a, MAP_COORDPT b)
{
    return Measure(window ? viewOf(window) : nullptr)(a, b);
}

double SetOfLinesegmentLength(OBJectKernel *kernel, OBJHANDLE object, int closed)
{
    const int32_t n = SetOfLinesegmentPointsCount(kernel, object);
    if (n <= 0)
        return 0.0;
    return edgesLength(kernel, object, 0, uint32_t(n), closed != 0);
}

double SetOfLinesegmentPartLength(OBJectKernel *kernel, OBJHANDLE object, int32_t a, int32_t b)
{
    const int32_t n = SetOfLinesegmentPointsCount(kernel, object);
    if (n <= 0 || a < 0 || a >= b || b >= n)
        return 0.0;
    return edgesLength(kernel, object, uint32_t(a), uint32_t(b), false);
}

namespace {

template <typename At>
double shoelace(uint32_t n, At at)
{
    if (n == 0)
        return 0.0;
    // Each term has 66 bits at most; a 128-bit sum of them is exact.
    __int128 sum = 0;
    MAP_COORDPT p = at(0);
    for (uint32_t i = 0; i < n; ++i) {
        const MAP_COORDPT q = at(i + 1 == n ? 0 : i + 1);
        sum += __int128(int64_t(q.x) - p.x) * (int64_t(q.y) + p.y);
        p = q;
    }
    return double(sum) / 2.0;
}

} // namespace

double SetOfLinesegmentArea(uint32_t n, const MAP_COORDPT *points)
{
    if (!points)
        return 0.0;
    return shoelace(n, [points](uint32_t i) { return points[i]; });
}

double PointSetArea(const PointSetAccess &access)
{
    return shoelace(access.count, [&access](uint32_t i) { return access.at(i); });
}

MAP3D_COORDCUBE *SetOfLinesegmentCalculate3dBR(OBJectKernel *kernel, OBJHANDLE object, MAP3D_COORDCUBE *cube)
{
    PointSetAccess a;
    if (!cube || !LockPointSet(kernel, object, a))
        return nullptr;
    *cube = kEmptyCube;
    for (uint32_t i = 0; i < a.count; ++i) {
        const MAP_COORDPT p = a.at(i);
        const int32_t z = a.z(i);
        cube->xmin = std::min(cube->xmin, p.x);
        cube->ymin = std::min(cube->ymin, p.y);
        cube->zmin = std::min(cube->zmin, z);
        cube->xmax = std::max(cube->xmax, p.x);
        cube->ymax = std::max(cube->ymax, p.y);
        cube->zmax = std::max(cube->zmax, z);
    }
    return cube;
}

double GetCurZoom(HWND window, HDC, const PresentationManager *view)
{
    if (!view)
        return -1.0;
    RECT desktop{};
    if (!GetWindowRect(GetDesktopWindow(), &desktop))
        return -1.0;
    MAP_COORDRECT world{};
    if (!PM_WindowToWorldRect(view, &desktop, &world))
        return -1.0;
    MAP_COORDPT origin{}, extension{0, 0};
    if (!PageGetOrgExtInWindow(window, &origin, &extension) || (extension.x == 0 && extension.y == 0))
        return -1.0;
    const double worldWidth = std::fabs(double(world.x2) - world.x1);
    const double worldHeight = std::fabs(double(world.y2) - world.y1);
    const double smaller = std::min(worldWidth, worldHeight);
    if (smaller <= 0)
        return -1.0;
    return double(std::max(std::abs(int64_t(extension.x)), std::abs(int64_t(extension.y)))) / smaller *
           PageZoomFactorGet(window);
}
