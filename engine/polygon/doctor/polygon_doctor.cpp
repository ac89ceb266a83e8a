#include "engine/polygon/doctor/polygon_doctor.h"

#include "engine/editing/line_segment.h"
#include "engine/editing/operations/operation_support.h"
#include "engine/editing/point_set.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_objects.h"
#include "platform/message_box.h"

#include <cstdio>
#include <utility>
#include <string>

namespace {

bool ZeroLength(const Linesegment &e) { return e.x1 == e.x2 && e.y1 == e.y2; }

// B runs back along A.
bool BackLoop(const Linesegment &a, const Linesegment &b)
{
    return a.x1 == b.x2 && a.y1 == b.y2 && a.x2 == b.x1 && a.y2 == b.y1;
}

// Removes the vertex between A and B: a point of the zero-length edge A, or
// the tip of a back loop (A's end, where B turns back).
bool RemoveBetween(OBJectKernel *kernel, OBJHANDLE polygon, const Linesegment &a, const Linesegment &b)
{
    Linesegment merged{};
    if (ZeroLength(a))
        return SetOfLinesegmentRemoveVertex(kernel, polygon, &a, &b, &merged, 1) != 0;
    // Given with the tip first in both, the tip is the corner they share.
    const Linesegment reversed{a.x2, a.y2, a.x1, a.y1};
    return SetOfLinesegmentRemoveVertex(kernel, polygon, &reversed, &b, &merged, 1) != 0;
}

enum class Pass { Clean, Changed, Failed };

// One walk over the edges in pairs; after a removal the walk resumes two
// edges further on, else one.
Pass RepairPass(OBJectKernel *kernel, OBJHANDLE polygon)
{
    Pass outcome = Pass::Clean;
    Linesegment a{}, b{};
    SetOfLinesegmentFirstLinesegment(kernel, polygon, &a);
    int32_t i = 0;
    for (;;) {
        if (!SetOfLinesegmentNextLinesegment(kernel, polygon, &i, &b))
            break;
        if (ZeroLength(a) || BackLoop(a, b)) {
            if (!RemoveBetween(kernel, polygon, a, b))
                return Pass::Failed;
            outcome = Pass::Changed;
        } else {
            --i;
        }
        if (!SetOfLinesegmentNextLinesegment(kernel, polygon, &i, &a))
            break;
        if (i >= SetOfLinesegmentPointsCount(kernel, polygon))
            break;
    }
    // The ring closes by itself: the edge from the last point to the first
    // and the first edge are a pair too.
    PointSetAccess access;
    if (!LockPointSet(kernel, polygon, access) || access.count < 3)
        return outcome;
    const uint32_t n = access.count;
    const MAP_COORDPT p = access.at(n - 2), q = access.at(n - 1), r = access.at(0), s = access.at(1);
    const Linesegment beforeLast{p.x, p.y, q.x, q.y}, closing{q.x, q.y, r.x, r.y}, first{r.x, r.y, s.x, s.y};
    for (const auto &[x, y] : {std::pair{beforeLast, closing}, std::pair{closing, first}})
        if (ZeroLength(x) || BackLoop(x, y)) {
            if (!RemoveBetween(kernel, polygon, x, y))
                return Pass::Failed;
            return Pass::Changed;
        }
    return outcome;
}

// Walks until nothing more is found (a removal can make a new pair, as a
// spike's tip leaves its base point twice). False when a removal failed
// (the polygon would keep fewer than three points).
bool RepairEdges(OBJectKernel *kernel, OBJHANDLE polygon)
{
    for (;;) {
        const int32_t count = SetOfLinesegmentPointsCount(kernel, polygon);
        const Pass pass = RepairPass(kernel, polygon);
        if (pass == Pass::Failed)
            return false;
        if (pass == Pass::Clean || SetOfLinesegmentPointsCount(kernel, polygon) >= count)
            return true;
    }
}

} // namespace

int PolygonDoctor(OBJHANDLE *polygon, HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!polygon || !*polygon || !rec || !rec->kernel)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    PointSetAccess access;
    if (GetOBJectClassID(kernel, *polygon) != CLASS_POLYGON || !LockPointSet(kernel, *polygon, access))
        return 0;
    const uint32_t before = access.count;
    bool repaired = true;
    if (before > 2)
        repaired = RepairEdges(kernel, *polygon);
    const int32_t count = SetOfLinesegmentPointsCount(kernel, *polygon);
    if (repaired && count > 2)
        return 1;

    // Too few points, or no way to shrink it further: ask.
    if (!LockPointSet(kernel, *polygon, access))
        return 0;
    const MAP_COORDRECT bound = access.bound();
    char code[64] = {}, name[64] = {};
    if (!map_object_id_Get(window, *polygon, code, int32_t(sizeof code), name, int32_t(sizeof name), nullptr,
                           nullptr)) {
        std::snprintf(code, sizeof code, "(none)");
        std::snprintf(name, sizeof name, "(none)");
    }
    const char *format =
        repaired ? "Polygon has only %u points.\nParameters of object:\nLayer number: %u\nIdentifires: "
                   "%s,%s\nRectangle:\nleft: %ld,\ntop: %ld,\nright: %ld,\nbottom: %ld\nDELETE IT?"
                 : "Polygon has %u points. It is not possible to shrink it to correct\nParameters of "
                   "object:\nLayer number: %u\nIdentifires: %s,%s\nRectangle:\nleft: %ld,\ntop: %ld,\nright: "
                   "%ld,\nbottom: %ld\nDELETE IT?";
    char text[512];
    std::snprintf(text, sizeof text, format, unsigned(count < 0 ? 0 : count),
                  unsigned(GetOBJectLayerNumber(kernel, *polygon)), code, name, long(bound.x1),
                  long(bound.y1), long(bound.x2), long(bound.y2));
    if (MessageBoxA(window, text, "Doctor", MB_YESNO) == IDYES) {
        SetMapModified(window);
        DeleteTree(kernel, *polygon, 0xC001);
        *polygon = 0;
        InvalidateGraphRect(window, &bound, 1);
    }
    return 1;
}
