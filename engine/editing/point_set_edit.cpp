// Editing primitives of point-set objects: inserting, removing and appending
// points, moving, duplicating and creating objects.
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"

#include "engine/editing/beep.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_copy.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/view/text/text_object.h"
#include "engine/window/wndres.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

void invalidate(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDRECT &before)
{
    SendOBJectMessage(kernel, object, object, 0, GRM_INVALIDATE, 0, LPARAM(&before));
}

void noticeAdded(OBJectKernel *kernel, OBJHANDLE object, uint64_t offset, uint64_t bytes)
{
    PointSetChange change{uint32_t(offset), uint32_t(bytes), {0, 0}};
    SendOBJectMessage(kernel, object, object, 0, GRM_REMOVED, POINTSET_CHANGE_ADDED, LPARAM(&change));
}

// Room for extra more points: grows the data space by at least two points.
// The handle may change; on failure the object is as it was.
bool makeRoom(OBJectKernel *kernel, OBJHANDLE &object, PointSetAccess &a, uint32_t extra)
{
    if (uint64_t(a.count) + extra <= a.room)
        return true;
    const uint64_t points = std::max<uint64_t>(2, uint64_t(a.count) + extra - a.room);
    const uint64_t bytes = points * a.stride;
    if (bytes > uint64_t(std::numeric_limits<int32_t>::max()) - 64)
        return false;
    // A count the data space could not hold is dropped before the new
    // room would expose zeroed points under it.
    a.setCount(a.count);
    const OBJHANDLE moved = ReSizeOBJect(kernel, object, int32_t(bytes));
    if (!moved)
        return false;
    object = moved;
    if (!LockPointSet(kernel, object, a))
        return false;
    a.setCount(a.count);
    return true;
}

// Gives back one point's worth of data space when the points still fit.
void shrinkOnePoint(OBJectKernel *kernel, OBJHANDLE object)
{
    PointSetAccess a;
    if (!LockPointSet(kernel, object, a))
        return;
    const uint32_t size = DataSpaceSize(kernel, object);
    if (size >= 8 && size - 8 >= uint64_t(a.count) * a.stride && ReSizeOBJect(kernel, object, -8) &&
        LockPointSet(kernel, object, a))
        a.setCount(a.count);
}

void widenZRange(const PointSetAccess &a, int32_t z)
{
    if (a.stride != 12)
        return;
    Z_BOUNDS range = LoadField<Z_BOUNDS>(a.fixed, PS_ZRANGE);
    z_ToBounds(&range, z);
    StoreField(a.fixed, PS_ZRANGE, range);
}

// Opens a gap of one point at index (0..count) and stores p there.
void insertAt(PointSetAccess &a, uint32_t index, MAP_COORDPT p, int32_t z)
{
    std::memmove(a.data + size_t(index + 1) * a.stride, a.data + size_t(index) * a.stride,
                 size_t(a.count - index) * a.stride);
    a.put(index, p);
    a.putZ(index, z);
    widenZRange(a, z);
    a.setCount(a.count + 1);
    MAP_COORDRECT r = a.bound();
    PtToBoundRect(&r, &p);
    a.setBound(r);
}

// The height of n on the edge from a to b (the nearest point of the edge).
int32_t heightOn(MAP_COORDPT a, int32_t za, MAP_COORDPT b, int32_t zb, MAP_COORDPT n)
{
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((double(n.x) - a.x) * dx + (double(n.y) - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return int32_t(std::lround(za + (double(zb) - za) * t));
}

} // namespace

// ---- inserting a vertex -----------------------------------------------------

int SetOfLinesegmentExpand(OBJectKernel *kernel, OBJHANDLE *object, const Linesegment *oldEdge,
                           const Linesegment *newEdge1, const Linesegment *newEdge2)
{
    PointSetAccess a;
    if (!object || !oldEdge || !newEdge1 || !newEdge2 || !LockPointSet(kernel, *object, a))
        return 0;
    const MAP_COORDPT o1{oldEdge->x1, oldEdge->y1}, o2{oldEdge->x2, oldEdge->y2};
    const int32_t i1 = SetOfLinesegmentFindPoint(a, &o1, 0), i2 = SetOfLinesegmentFindPoint(a, &o2, 0);
    if (i1 < 0 || i2 < 0)
        return 0;
    const uint32_t lo = uint32_t(std::min(i1, i2)), hi = uint32_t(std::max(i1, i2));
    uint32_t index = hi;
    if (lo == 0 && hi == a.count - 1 && hi - lo > 1)
        index = a.count; // the closing edge: after the last point

    // The new edges meet at N; their other ends are the old edge's ends.
    const MAP_COORDPT e1[2] = {{newEdge1->x1, newEdge1->y1}, {newEdge1->x2, newEdge1->y2}};
    const MAP_COORDPT e2[2] = {{newEdge2->x1, newEdge2->y1}, {newEdge2->x2, newEdge2->y2}};
    bool shared = false;
    MAP_COORDPT n{}, far1{}, far2{};
    for (int s1 = 0; s1 < 2 && !shared; ++s1)
        for (int s2 = 0; s2 < 2 && !shared; ++s2)
            if (CoordPtEqual(e1[s1], e2[s2])) {
                shared = true;
                n = e1[s1];
                far1 = e1[1 - s1];
                far2 = e2[1 - s2];
            }
    if (!shared)
        return 0;
    const bool ends = (CoordPtEqual(far1, o1) && CoordPtEqual(far2, o2)) ||
                      (CoordPtEqual(far1, o2) && CoordPtEqual(far2, o1));
    if (!ends)
        return 0;

    OBJHANDLE h = *object;
    if (!makeRoom(kernel, h, a, 1))
        return 0;
    *object = h;
    const int32_t z = a.stride == 12 ? heightOn(o1, a.z(uint32_t(i1)), o2, a.z(uint32_t(i2)), n) : 0;
    const MAP_COORDRECT before = a.bound();
    insertAt(a, index, n, z);
    invalidate(kernel, h, before);
    return 1;
}

int ObjectExpand(OBJectKernel *kernel, OBJHANDLE *object, const Linesegment *oldEdge,
                 const Linesegment *newEdge1, const Linesegment *newEdge2, uint16_t classId)
{
    if (!IsPointSetClass(classId))
        return 0;
    return SetOfLinesegmentExpand(kernel, object, oldEdge, newEdge1, newEdge2);
}

// ---- removing a vertex ------------------------------------------------------

namespace {

int removeIndex(OBJectKernel *kernel, OBJHANDLE object, PointSetAccess &a, uint32_t i)
{
    const MAP_COORDRECT before = a.bound();
    std::memmove(a.data + size_t(i) * a.stride, a.data + size_t(i + 1) * a.stride,
                 size_t(a.count - i - 1) * a.stride);
    a.setCount(a.count - 1);
    a.setBound(PointSetBounds(a));
    const uint32_t left = a.count;
    // Every removal is reported: the outline changes even when the
    // rectangle does not.
    invalidate(kernel, object, before);
    shrinkOnePoint(kernel, object);
    return left >= 3 ? 2 : 1;
}

} // namespace

int SetOfLinesegmentRemoveVertex(OBJectKernel *kernel, OBJHANDLE object, const Linesegment *edge1,
                                 const Linesegment *edge2, Linesegment *newEdge, int polygon)
{
    PointSetAccess a;
    if (!edge1 || !edge2 || !LockPointSet(kernel, object, a) || a.count == 0)
        return 0;
    if (polygon && a.count < 4) {
        EditingBeep();
        return 0;
    }
    const auto degenerate = [](const Linesegment *e) { return e->x1 == e->x2 && e->y1 == e->y2; };
    if (degenerate(edge1) || degenerate(edge2)) {
        const Linesegment *e = degenerate(edge1) ? edge1 : edge2;
        const MAP_COORDPT v{e->x1, e->y1};
        const int32_t i = SetOfLinesegmentFindPoint(a, &v, 0);
        if (i < 0)
            return 0;
        return removeIndex(kernel, object, a, uint32_t(i));
    }

    const MAP_COORDPT e1[2] = {{edge1->x1, edge1->y1}, {edge1->x2, edge1->y2}};
    const MAP_COORDPT e2[2] = {{edge2->x1, edge2->y1}, {edge2->x2, edge2->y2}};
    bool shared = false;
    MAP_COORDPT v{}, farA{}, farB{};
    for (int s1 = 0; s1 < 2 && !shared; ++s1)
        for (int s2 = 0; s2 < 2 && !shared; ++s2)
            if (CoordPtEqual(e1[s1], e2[s2])) {
                shared = true;
                v = e1[s1];
                farA = e1[1 - s1];
                farB = e2[1 - s2];
            }
    if (!shared)
        return 0;
    if (newEdge)
        *newEdge = {farA.x, farA.y, farB.x, farB.y};
    const int32_t found = SetOfLinesegmentFindPoint(a, &v, 0);
    if (found < 0)
        return 0;
    const uint32_t i = uint32_t(found), n = a.count;
    if (!polygon && (i == 0 || i == n - 1))
        return 0;
    if (n < 2)
        return 0;
    const MAP_COORDPT prev = a.at(i == 0 ? n - 1 : i - 1), next = a.at(i == n - 1 ? 0 : i + 1);
    const bool neighbours = (CoordPtEqual(prev, farA) && CoordPtEqual(next, farB)) ||
                            (CoordPtEqual(prev, farB) && CoordPtEqual(next, farA));
    if (!neighbours)
        return 0;
    return removeIndex(kernel, object, a, i);
}

// ---- appending ----------------------------------------------------------------

namespace {

int join(OBJectKernel *kernel, OBJHANDLE *object, const Linesegment *segment, bool firstToo)
{
    PointSetAccess a;
    if (!object || !segment || !LockPointSet(kernel, *object, a))
        return 0;
    OBJHANDLE h = *object;
    const MAP_COORDPT s1{segment->x1, segment->y1}, s2{segment->x2, segment->y2};
    if (a.count == 0) {
        if (!makeRoom(kernel, h, a, 2))
            return 0;
        *object = h;
        const MAP_COORDRECT before = a.bound();
        a.put(0, s1);
        a.putZ(0, 0);
        a.put(1, s2);
        a.putZ(1, 0);
        a.setCount(2);
        a.setBound(PointSetBounds(a));
        invalidate(kernel, h, before);
        noticeAdded(kernel, h, 0, uint64_t(2) * a.stride);
        return 1;
    }
    const MAP_COORDPT first = a.at(0), last = a.at(a.count - 1);
    uint32_t index;
    MAP_COORDPT add;
    if (firstToo && (CoordPtEqual(s1, first) || CoordPtEqual(s2, first))) {
        index = 0;
        add = CoordPtEqual(s1, first) ? s2 : s1;
    } else if (CoordPtEqual(s1, last) || CoordPtEqual(s2, last)) {
        index = a.count;
        add = CoordPtEqual(s1, last) ? s2 : s1;
    } else {
        return 0;
    }
    if (!makeRoom(kernel, h, a, 1))
        return 0;
    *object = h;
    const MAP_COORDRECT before = a.bound();
    insertAt(a, index, add, 0);
    invalidate(kernel, h, before);
    noticeAdded(kernel, h, uint64_t(index) * a.stride, a.stride);
    return 1;
}

} // namespace

int SetOfLinesegmentJoinLinesegment(OBJectKernel *kernel, OBJHANDLE *object, const Linesegment *segment)
{
    return join(kernel, object, segment, true);
}

int SetOfLinesegmentAddLinesegment(OBJectKernel *kernel, OBJHANDLE *object, const Linesegment *segment)
{
    return join(kernel, object, segment, false);
}

int PointSetReplacePoints(OBJectKernel *kernel, OBJHANDLE *object, const MAP_COORDPT *points, uint32_t count)
{
    PointSetAccess a;
    if (!object || (count && !points) || !LockPointSet(kernel, *object, a))
        return 0;
    OBJHANDLE h = *object;
    if (count > a.room) {
        const uint32_t keep = a.count;
        a.count = 0; // the old points need not survive the growth
        if (!makeRoom(kernel, h, a, count)) {
            if (LockPointSet(kernel, h, a))
                a.setCount(keep);
            return 0;
        }
        *object = h;
    }
    const MAP_COORDRECT before = a.bound();
    for (uint32_t i = 0; i < count; ++i) {
        a.put(i, points[i]);
        a.putZ(i, 0);
    }
    a.setCount(count);
    a.setBound(PointSetBounds(a));
    invalidate(kernel, h, before);
    return 1;
}

// ---- moving -------------------------------------------------------------------

namespace {

int32_t shifted(int32_t v, int32_t d)
{
    return int32_t(std::clamp<int64_t>(int64_t(v) + d, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

// Lists nested deeper than this are a damaged document (a cycle).
constexpr int kMaxListDepth = kMaxSetDepth;

int moveObject(OBJectKernel *kernel, OBJHANDLE object, int32_t dx, int32_t dy, uint16_t classId, int undo,
               int depth)
{
    if (!kernel || !object || !GetOBJectClassID(kernel, object))
        return 0;
    if (classId & CLASSBIT_LIST) {
        if (depth >= kMaxListDepth)
            return 0;
        const uint16_t ref = SetMemberReference(classId);
        int32_t pos = -1;
        for (OBJHANDLE m = GetReference(kernel, object, ref, &pos); m;
             m = GetReference(kernel, object, ref, &pos))
            moveObject(kernel, m, dx, dy, GetOBJectClassID(kernel, m), undo, depth + 1);
        return 1;
    }
    if (undo)
        Undo_ChangeObject(kernel, object);
    int result = 0;
    switch (classId) {
    case CLASS_POLYGON:
    case CLASS_POLYLINE:
        result = SetOfLinesegmentMove(kernel, object, dx, dy);
        break;
    case CLASS_TEXT:
        result = TextObjectMove(kernel, object, dx, dy);
        break;
    default:
        return 0;
    }
    if (result)
        if (_WNDRES *rec = GetWndRes(GetOBJectWnd(kernel, object)))
            rec->flags |= WNDRES_MODIFIED;
    return result;
}

} // namespace

int SetOfLinesegmentMove(OBJectKernel *kernel, OBJHANDLE object, int32_t dx, int32_t dy)
{
    PointSetAccess a;
    if (!LockPointSet(kernel, object, a))
        return 0;
    const MAP_COORDRECT before = a.bound();
    for (uint32_t i = 0; i < a.count; ++i) {
        const MAP_COORDPT p = a.at(i);
        a.put(i, {shifted(p.x, dx), shifted(p.y, dy)});
    }
    // The rectangle follows the points exactly (an empty one stays empty).
    a.setBound(PointSetBounds(a));
    invalidate(kernel, object, before);
    return 1;
}

int ObjectMove(OBJectKernel *kernel, OBJHANDLE object, int32_t dx, int32_t dy, uint16_t classId, int undo)
{
    if (!kernel || GetOBJectClassID(kernel, object) != classId)
        return 0;
    return moveObject(kernel, object, dx, dy, classId, undo, 0);
}

// ---- duplicating and creating -------------------------------------------------

int SetOfLinesegmentDuplicate(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE *copy, uint16_t classId)
{
    PointSetAccess a;
    if (!copy || !LockPointSet(kernel, object, a))
        return 0;
    if (!IsPointSetClass(classId))
        classId = GetOBJectClassID(kernel, object);
    OBJHANDLE c = CreateOBJect(kernel, classId);
    if (!c)
        return 0;
    const uint64_t need = uint64_t(a.count) * a.stride;
    const uint32_t have = DataSpaceSize(kernel, c);
    if (need > have) {
        const OBJHANDLE grown = ReSizeOBJect(kernel, c, int32_t(need - have));
        if (!grown) {
            OBJectDelete(kernel, c);
            return 0;
        }
        c = grown;
    }
    // The source may have moved in the bank while the copy grew.
    if (!LockPointSet(kernel, object, a)) {
        OBJectDelete(kernel, c);
        return 0;
    }
    char *fixed = OBJectLock(kernel, c);
    std::memcpy(DataSpaceBegin(fixed), a.data, size_t(need));
    StoreField(fixed, GOH_BOUND, a.bound());
    StoreField<uint16_t>(fixed, PS_ZFLAGS, LoadField<uint16_t>(a.fixed, PS_ZFLAGS));
    StoreField(fixed, PS_ZRANGE, LoadField<Z_BOUNDS>(a.fixed, PS_ZRANGE));
    PointSetAccess b;
    LockPointSet(kernel, c, b);
    StoreField<uint32_t>(fixed, PS_COUNT, a.count);
    b.count = a.count;
    b.setCount(a.count);
    *copy = c;
    return 1;
}

int PolygonDuplicate(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE *copy)
{
    return SetOfLinesegmentDuplicate(kernel, object, copy, CLASS_POLYGON);
}

int PolylineDuplicate(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE *copy)
{
    return SetOfLinesegmentDuplicate(kernel, object, copy, CLASS_POLYLINE);
}

namespace {

int duplicate(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE *copy, int intoLayer, int takeOverId,
              int depth)
{
    if (!copy || !kernel || depth >= kMaxListDepth)
        return 0;
    const uint16_t cls = GetOBJectClassID(kernel, object);
    OBJHANDLE c = 0;
    if (IsPointSetClass(cls)) {
        if (!SetOfLinesegmentDuplicate(kernel, object, &c, cls))
            return 0;
    } else if (cls == CLASS_TEXT || cls == CLASS_BITMAP) {
        // A byte copy of the record without its links.
        c = CopyOBJ(kernel, object);
        if (!c)
            return 0;
        for (int32_t n = int32_t(GetNumberOfReferencesFrom(kernel, c, REF_FILTER_ALL)); n-- > 0;)
            RemRef(kernel, c, n);
    } else if (cls == CLASS_GROUP) {
        c = CreateOBJect(kernel, CLASS_GROUP);
        if (!c)
            return 0;
        int32_t pos = -1;
        for (OBJHANDLE m = GetReference(kernel, object, REF_GROUP_MEMBER, &pos); m;
             m = GetReference(kernel, object, REF_GROUP_MEMBER, &pos)) {
            OBJHANDLE mc = 0;
            if (duplicate(kernel, m, &mc, intoLayer, takeOverId, depth + 1))
                InsertRefInPos(kernel, c, REF_GROUP_MEMBER, mc, -1, -1);
        }
    } else {
        return 0;
    }
    if (intoLayer && !(cls & CLASSBIT_LIST))
        if (const OBJHANDLE layer = GetOBJectLayer(kernel, object))
            InsertLayerRef(kernel, c, layer);
    if (takeOverId)
        MoveReferences(kernel, c, object, REF_ID);
    *copy = c;
    return 1;
}

} // namespace

int ObjectDuplicate(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE *copy, int intoLayer, int takeOverId)
{
    return duplicate(kernel, object, copy, intoLayer, takeOverId, 0);
}

OBJHANDLE ObjectCreateInActiveLayer(HWND window, uint16_t classId)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE object = CreateOBJect(kernel, classId);
    if (!object)
        return 0;
    switch (classId) {
    case CLASS_POLYGON:
    case CLASS_POLYLINE:
    case CLASS_TEXT:
    case CLASS_LEGEND:
    case CLASS_BITMAP: {
        const OBJHANDLE layers = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
        const OBJHANDLE layer = GetActiveLayer(kernel, layers);
        if (!layer || InsertLayerRef(kernel, object, layer) == OBJ_INVALID) {
            OBJectDelete(kernel, object);
            return 0;
        }
        break;
    }
    case CLASS_GROUP: {
        const OBJHANDLE groups = GetRootOBJKern(kernel, rec->rootObject, CLASS_GROUPS);
        const OBJHANDLE aspect = GetActiveAspect(kernel, groups);
        if (!aspect || !PutInGroup(kernel, object, aspect)) {
            OBJectDelete(kernel, object);
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return object;
}
