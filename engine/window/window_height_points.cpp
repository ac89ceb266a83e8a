#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/undo.h"
#include "engine/window/window_access.h"
#include "engine/window/window_heights.h"

#include <algorithm>

namespace {

// The worker behind the creators and setters of points with heights.
int pointWorker3d(HWND window, OBJHANDLE *io, const MAP3D_COORDPT *points, int32_t count, int undo,
                  uint16_t classId)
{
    const MapDoc doc(window);
    const uint64_t bytes = uint64_t(count > 0 ? count : 0) * sizeof(MAP3D_COORDPT);
    if (!doc || !points || count <= 0 || bytes > INT32_MAX)
        return 0;
    OBJectKernel *kernel = doc.kernel;
    OBJHANDLE object = *io;
    if (object) {
        if (!IsPointSetClass(doc.classOf(object)))
            return 0;
    } else {
        object = ObjectCreateInActiveLayer(window, classId);
        if (!object)
            return 0;
    }
    if (undo)
        ToUndoAddNew(kernel, doc.root(CLASS_UNDO), object);
    *io = object;
    MAP_COORDRECT oldRect = kEmptyBoundRect;
    SendOBJectMessage(kernel, object, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&oldRect));
    Z_BOUNDS oldRange;
    InitZB(&oldRange);
    SendOBJectMessage(kernel, object, object, 0, GRM_GETZRANGE, 0, LPARAM(&oldRange));
    if (TransferOBJectData(kernel, object, const_cast<MAP3D_COORDPT *>(points), uint32_t(bytes), 1) != bytes)
        return 0;
    char *p = OBJectLock(kernel, object);
    StoreField<uint16_t>(p, PS_ZFLAGS, uint16_t(LoadField<uint16_t>(p, PS_ZFLAGS) | 1u));
    PointSetAccess access;
    if (!LockPointSet(kernel, object, access))
        return 0;
    access.setCount(uint32_t(count));
    MAP3D_COORDCUBE cube = kEmptyCube;
    SetOfLinesegmentCalculate3dBR(kernel, object, &cube);
    const MAP_COORDRECT rect{cube.xmin, cube.ymin, cube.xmax, cube.ymax};
    SendOBJectMessage(kernel, object, object, 0, GRM_SETBOUNDRECT, 0, LPARAM(&rect));
    SendOBJectMessage(kernel, object, object, 0, GRM_INVALIDATE, 0, LPARAM(&oldRect));
    const Z_BOUNDS range{cube.zmin, cube.zmax};
    SendOBJectMessage(kernel, object, object, 0, GRM_SETZRANGE, 0, LPARAM(&range));
    SendOBJectMessage(kernel, object, object, 0, GRM_ZCHANGED, 0, LPARAM(&oldRange));
    return 1;
}

int32_t pointReader3d(HWND window, OBJHANDLE object, uint16_t classId, int32_t *total, MAP3D_COORDPT *points,
                      int32_t capacity)
{
    const MapDoc doc(window);
    const uint16_t cls = doc.classOf(object);
    PointSetAccess access;
    if (!(classId ? cls == classId : IsPointSetClass(cls)) || !LockPointSet(doc.kernel, object, access))
        return 0;
    const uint32_t n = std::min<uint32_t>(access.count, capacity > 0 ? uint32_t(capacity) : 0);
    for (uint32_t i = 0; points && i < n; ++i) {
        const MAP_COORDPT p = access.at(i);
        points[i] = {p.x, p.y, access.z(i)};
    }
    if (total)
        *total = int32_t(access.count);
    return int32_t(n);
}

int create3d(HWND window, OBJHANDLE *object, const MAP3D_COORDPT *points, int32_t count, int undo,
             uint16_t cls)
{
    if (object)
        *object = 0;
    OBJHANDLE made = 0;
    const int result = pointWorker3d(window, &made, points, count, undo, cls);
    if (object)
        *object = made;
    return result;
}

} // namespace

extern "C" {

int map3d_polyline_Create(HWND window, OBJHANDLE *object, const MAP3D_COORDPT *points, int32_t count,
                          int undo)
{
    return create3d(window, object, points, count, undo, CLASS_POLYLINE);
}

int map3d_polygon_Create(HWND window, OBJHANDLE *object, const MAP3D_COORDPT *points, int32_t count, int undo)
{
    return create3d(window, object, points, count, undo, CLASS_POLYGON);
}

int map3d_polyline_Set(HWND window, OBJHANDLE object, const MAP3D_COORDPT *points, int32_t count, int undo)
{
    if (!MapDoc(window).is(object, CLASS_POLYLINE))
        return 0;
    return pointWorker3d(window, &object, points, count, undo, CLASS_POLYLINE);
}

int map3d_polygon_Set(HWND window, OBJHANDLE object, const MAP3D_COORDPT *points, int32_t count, int undo)
{
    if (!MapDoc(window).is(object, CLASS_POLYGON))
        return 0;
    return pointWorker3d(window, &object, points, count, undo, CLASS_POLYGON);
}

int map3d_poly_Set(HWND window, OBJHANDLE object, const MAP3D_COORDPT *points, int32_t count, int undo)
{
    const uint16_t cls = MapDoc(window).classOf(object);
    if (!IsPointSetClass(cls))
        return 0;
    return pointWorker3d(window, &object, points, count, undo, cls);
}

int32_t map3d_polyline_Get(HWND window, OBJHANDLE object, int32_t *total, MAP3D_COORDPT *points,
                           int32_t capacity)
{
    return pointReader3d(window, object, CLASS_POLYLINE, total, points, capacity);
}

int32_t map3d_polygon_Get(HWND window, OBJHANDLE object, int32_t *total, MAP3D_COORDPT *points,
                          int32_t capacity)
{
    return pointReader3d(window, object, CLASS_POLYGON, total, points, capacity);
}

int32_t map3d_poly_Get(HWND window, OBJHANDLE object, int32_t *total, MAP3D_COORDPT *points, int32_t capacity)
{
    return pointReader3d(window, object, 0, total, points, capacity);
}

} // extern "C"
