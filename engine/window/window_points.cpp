#include "engine/window/window_points.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/window/object_wrappers.h"
#include "engine/window/window_access.h"
#include "engine/window/window_children.h"

#include <algorithm>
#include <vector>

namespace {

MAP_COORDRECT boundsOf(OBJectKernel *kernel, OBJHANDLE object)
{
    MAP_COORDRECT r = kEmptyBoundRect;
    SendOBJectMessage(kernel, object, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

// Writes count plain points over the object's points. An object that had
// heights loses them: its height bit and range are cleared and its
// containers told, so that no later read takes 8-byte points for 12-byte
// ones.
bool writePlainPoints(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *points, uint32_t count)
{
    const uint64_t bytes = uint64_t(count) * sizeof(MAP_COORDPT);
    if (bytes > INT32_MAX)
        return false;
    Z_BOUNDS oldRange;
    InitZB(&oldRange);
    SendOBJectMessage(kernel, object, object, 0, GRM_GETZRANGE, 0, LPARAM(&oldRange));
    const bool hadHeights = IsObject3d(kernel, object) != 0;
    if (TransferOBJectData(kernel, object, const_cast<MAP_COORDPT *>(points), uint32_t(bytes), 1) != bytes)
        return false;
    char *p = OBJectLock(kernel, object);
    if (!p)
        return false;
    StoreField<uint16_t>(p, PS_ZFLAGS, uint16_t(LoadField<uint16_t>(p, PS_ZFLAGS) & ~1u));
    Z_BOUNDS empty;
    InitZB(&empty);
    StoreField(p, PS_ZRANGE, empty);
    PointSetAccess access;
    if (!LockPointSet(kernel, object, access))
        return false;
    access.setCount(count);
    if (hadHeights)
        SendOBJectMessage(kernel, object, object, 0, GRM_ZCHANGED, 0, LPARAM(&oldRange));
    return true;
}

// The point worker behind every plain-point creator and setter.
int pointWorker(HWND window, OBJHANDLE *io, const MAP_COORDPT *points, int32_t count, uint16_t classId)
{
    const MapDoc doc(window);
    if (!doc || !points || count <= 0 || uint64_t(count) * sizeof(MAP_COORDPT) > INT32_MAX)
        return 0;
    OBJHANDLE object = *io;
    if (object) {
        if (!IsPointSetClass(doc.classOf(object)))
            return 0;
    } else {
        if (!IsPointSetClass(classId))
            return 0;
        object = ObjectCreateInActiveLayer(window, classId);
        if (!object)
            return 0;
        *io = object;
    }
    const MAP_COORDRECT old = boundsOf(doc.kernel, object);
    if (!writePlainPoints(doc.kernel, object, points, uint32_t(count)))
        return 0;
    MAP_COORDRECT r = kEmptyBoundRect;
    SetOfLinesegmentCalculateBR(doc.kernel, object, &r);
    SendOBJectMessage(doc.kernel, object, object, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
    SendOBJectMessage(doc.kernel, object, object, 0, GRM_INVALIDATE, 0, LPARAM(&old));
    return 1;
}

int32_t pointReader(HWND window, OBJHANDLE object, uint16_t classId, int32_t *total, MAP_COORDPT *points,
                    int32_t capacity)
{
    const MapDoc doc(window);
    PointSetAccess access;
    if (!doc.is(object, classId) || !LockPointSet(doc.kernel, object, access))
        return 0;
    const uint32_t n = std::min<uint32_t>(access.count, capacity > 0 ? uint32_t(capacity) : 0);
    for (uint32_t i = 0; points && i < n; ++i)
        points[i] = access.at(i);
    if (total)
        *total = int32_t(access.count);
    return int32_t(n);
}

uint16_t classOfCode(int code)
{
    static constexpr uint16_t kClasses[] = {
        0,           CLASS_LAYERS,  CLASS_SELLIST,  CLASS_IDSLIST, CLASS_GROUPS, CLASS_LAYER,
        CLASS_GROUP, CLASS_POLYGON, CLASS_POLYLINE, CLASS_TEXT,    CLASS_LEGEND, CLASS_ID};
    return code > 0 && code <= OTC_ID ? kClasses[code] : 0;
}

int codeOfClass(uint16_t cls)
{
    for (int code = OTC_LAYERS; code <= OTC_ID; ++code)
        if (classOfCode(code) == cls)
            return code;
    return 0;
}

// The existing object a type code stands for without a handle.
OBJHANDLE existingOf(const MapDoc &doc, int code)
{
    switch (code) {
    case OTC_LAYERS:
    case OTC_SELECTION:
    case OTC_IDLIST:
        return doc.root(classOfCode(code));
    case OTC_GROUPS: {
        const OBJHANDLE root = doc.root(CLASS_GROUPS);
        return root ? GetActiveAspect(doc.kernel, root) : 0;
    }
    case OTC_LAYER: {
        const OBJHANDLE root = doc.root(CLASS_LAYERS);
        return root ? GetActiveLayer(doc.kernel, root) : 0;
    }
    default:
        return 0;
    }
}

// Takes the object out of its containers of the kind.
void leaveContainer(OBJectKernel *kernel, OBJHANDLE object, uint16_t kind)
{
    int32_t pos = -1;
    while (OBJHANDLE holder = GetReference(kernel, object, uint16_t(kind ^ 1), &pos)) {
        if (RemoveReference(kernel, holder, kind, object) == OBJ_INVALID)
            break;
        pos = -1;
    }
}

bool takesChild(uint16_t container, uint16_t child)
{
    switch (container) {
    case CLASS_LAYERS:
        return child == CLASS_LAYER;
    case CLASS_LAYER:
        return !IsListClass(child);
    case CLASS_GROUPS:
        return child == CLASS_ASPECT;
    case CLASS_ASPECT:
        return child == CLASS_GROUP;
    case CLASS_GROUP:
    case CLASS_SELLIST:
        return child == CLASS_GROUP || !IsListClass(child);
    default:
        return false;
    }
}

void addChildren(const MapDoc &doc, OBJHANDLE object, const OBJHANDLE *children, int32_t count)
{
    OBJectKernel *kernel = doc.kernel;
    const uint16_t cls = doc.classOf(object);
    const uint16_t kind = (cls & CLASSBIT_LAYERTREE)   ? REF_LAYER_MEMBER
                          : (cls & CLASSBIT_GROUPTREE) ? REF_GROUP_MEMBER
                                                       : 0;
    for (int32_t i = 0; i < count; ++i) {
        const OBJHANDLE child = children[i];
        const uint16_t childClass = doc.classOf(child);
        if (!childClass || child == object || !takesChild(cls, childClass))
            continue;
        if (cls == CLASS_SELLIST) {
            SelectNextGroupLevel(kernel, object, child, nullptr);
            continue;
        }
        if (cls == CLASS_GROUP && childClass == CLASS_GROUP) {
            // No group goes into itself or into a group inside it.
            bool loop = false;
            const uint64_t limit = uint64_t(KernGiveAllObjectsAmount(kernel)) + 1;
            OBJHANDLE g = object;
            for (uint64_t step = 0; g && step < limit && !loop; ++step) {
                loop = g == child;
                g = GroupParentGet(kernel, g);
            }
            if (loop)
                continue;
        }
        leaveContainer(kernel, child, kind);
        InsertRefInPos(kernel, object, kind, child, -1, -1);
    }
}

OBJHANDLE createForCode(const MapDoc &doc, uint16_t cls)
{
    OBJectKernel *kernel = doc.kernel;
    if (cls == CLASS_LAYER) {
        const OBJHANDLE root = doc.root(CLASS_LAYERS);
        return root ? CreateLayerOBJect(kernel, root, -1, "") : 0;
    }
    if (cls == CLASS_GROUP)
        return CreateGroupWnd(doc.window);
    const OBJHANDLE object = CreateOBJect(kernel, cls);
    if (!object)
        return 0;
    if (!IsListClass(cls)) {
        const OBJHANDLE root = doc.root(CLASS_LAYERS);
        const OBJHANDLE layer = root ? GetActiveLayer(kernel, root) : 0;
        if (!layer || InsertLayerRef(kernel, object, layer) == OBJ_INVALID) {
            OBJectDelete(kernel, object);
            return 0;
        }
    }
    return object;
}

} // namespace

extern "C" {

int map_polyline_Create(HWND window, OBJHANDLE *object, const MAP_COORDPT *points, int32_t count, int)
{
    if (object)
        *object = 0;
    OBJHANDLE made = 0;
    const int result = pointWorker(window, &made, points, count, CLASS_POLYLINE);
    if (object)
        *object = made;
    return result;
}

int map_polygon_Create(HWND window, OBJHANDLE *object, const MAP_COORDPT *points, int32_t count, int)
{
    if (object)
        *object = 0;
    OBJHANDLE made = 0;
    const int result = pointWorker(window, &made, points, count, CLASS_POLYGON);
    if (object)
        *object = made;
    return result;
}

int map_polyline_Set(HWND window, OBJHANDLE object, const MAP_COORDPT *points, int32_t count, int)
{
    if (!MapDoc(window).is(object, CLASS_POLYLINE))
        return 0;
    return pointWorker(window, &object, points, count, CLASS_POLYLINE);
}

int map_polygon_Set(HWND window, OBJHANDLE object, const MAP_COORDPT *points, int32_t count, int)
{
    if (!MapDoc(window).is(object, CLASS_POLYGON))
        return 0;
    return pointWorker(window, &object, points, count, CLASS_POLYGON);
}

int Poly_Set(HWND window, OBJHANDLE *object, const MAP_COORDPT *points, int32_t count, int, uint16_t classId)
{
    if (!object)
        return 0;
    return pointWorker(window, object, points, count, classId);
}

int32_t map_polyline_Get(HWND window, OBJHANDLE object, int32_t *total, MAP_COORDPT *points, int32_t capacity)
{
    return pointReader(window, object, CLASS_POLYLINE, total, points, capacity);
}

int32_t map_polygon_Get(HWND window, OBJHANDLE object, int32_t *total, MAP_COORDPT *points, int32_t capacity)
{
    return pointReader(window, object, CLASS_POLYGON, total, points, capacity);
}

OBJHANDLE OBJECT_Set(HWND window, int mode, uint32_t flags, OBJHANDLE object, int typeCode,
                     int32_t childCount, const OBJHANDLE *children, int32_t pointCount,
                     const MAP_COORDPT *points, int, int, int, int, int, int)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    if (mode == 1) {
        if (!object) {
            const uint16_t cls = classOfCode(typeCode);
            if (!cls)
                return 0;
            object = existingOf(doc, typeCode);
            if (!object) {
                if (IsListClass(cls) && cls != CLASS_GROUP)
                    return 0;
                object = createForCode(doc, cls);
                if (!object)
                    return 0;
            }
        } else if (!doc.classOf(object)) {
            return 0;
        }
        if (children && childCount > 0)
            addChildren(doc, object, children, childCount);
        if (points && pointCount > 0 && IsPointSetClass(doc.classOf(object))) {
            if (writePlainPoints(doc.kernel, object, points, uint32_t(pointCount))) {
                MAP_COORDRECT r;
                InitBoundRect(&r);
                for (int32_t i = 0; i < pointCount; ++i)
                    PtToBoundRect(&r, &points[i]);
                SendOBJectMessage(doc.kernel, object, object, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
                SendOBJectMessage(doc.kernel, object, object, 0, GRM_INVALIDATE, 0, 0);
            }
        }
    } else if (!doc.classOf(object)) {
        return 0;
    }
    if (flags & 1) {
        const MAP_COORDRECT r = boundsOf(doc.kernel, object);
        InvalidateGraphRect(window, &r, 1);
    }
    return object;
}

uint32_t OBJECT_Get(HWND window, int query, uint32_t flags, OBJHANDLE object, int typeCode,
                    int32_t *childCount, OBJHANDLE *children, int32_t *pointCount, MAP_COORDPT *points, int,
                    int, int, int, int, int)
{
    if (query >= 13)
        return window;
    const MapDoc doc(window);
    if (!doc)
        return 0;
    uint32_t result = 0;
    if (object) {
        const uint16_t cls = doc.classOf(object);
        if (!cls)
            return 0;
        result = uint32_t(codeOfClass(cls));
    } else {
        object = existingOf(doc, typeCode);
        if (!object)
            return 0;
        result = object;
    }
    const uint16_t cls = doc.classOf(object);
    if (query == 2) {
        if (childCount) {
            const int32_t capacity = children && *childCount > 0 ? *childCount : INT32_MAX;
            const uint16_t kind = (cls & CLASSBIT_LAYERTREE)   ? REF_LAYER_MEMBER
                                  : (cls & CLASSBIT_GROUPTREE) ? REF_GROUP_MEMBER
                                  : cls == CLASS_SELLIST       ? REF_FILTER_LINK_FORWARD
                                  : cls == CLASS_IDSLIST       ? REF_IDLIST_MEMBER
                                                               : 0;
            if (kind) {
                const uint32_t all = GetChildrenOBJS(doc.kernel, object, kind, children ? capacity : 0,
                                                     children, int(flags & 1));
                *childCount = int32_t(children ? std::min<uint32_t>(all, uint32_t(capacity)) : all);
            }
        }
        PointSetAccess access;
        if (!IsPointSetClass(cls) || !LockPointSet(doc.kernel, object, access))
            return result;
        if (pointCount) {
            const uint32_t capacity = points && *pointCount > 0 ? uint32_t(*pointCount) : UINT32_MAX;
            const uint32_t n = std::min(access.count, capacity);
            for (uint32_t i = 0; points && i < n; ++i)
                points[i] = access.at(i);
            *pointCount = int32_t(n);
        }
    } else if (query == 3) {
        const MAP_COORDRECT r = boundsOf(doc.kernel, object);
        const MAP_COORDPT corners[2] = {{r.x1, r.y1}, {r.x2, r.y2}};
        int32_t n = 2;
        if (points && pointCount && *pointCount > 0 && *pointCount <= 2)
            n = *pointCount;
        for (int32_t i = 0; points && i < n; ++i)
            points[i] = corners[i];
        if (pointCount)
            *pointCount = 2;
    }
    return result;
}

} // extern "C"
