#include "engine/polygon/cutting/cutting_engine.h"

#include "engine/editing/handle_list.h"
#include "engine/editing/point_set.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/cutting/active_layers.h"
#include "engine/polygon/cutting/polygon_cut.h"
#include "engine/polygon/cutting/polygon_overlay.h"
#include "engine/polygon/cutting/polyline_cut.h"
#include "engine/polygon/cutting/vertex_ring.h"
#include "platform/global_memory.h"

CutOperation CutOperationFor(uint16_t cutterClass, uint16_t objectClass)
{
    if (cutterClass == CLASS_POLYLINE && objectClass == CLASS_POLYGON)
        return CutPolygonByPolyline;
    if (cutterClass == CLASS_POLYGON && objectClass == CLASS_POLYLINE)
        return CutPolylineByPolygon;
    if (cutterClass == CLASS_POLYGON && objectClass == CLASS_POLYGON)
        return CutPolygonByPolygonOperation;
    if (cutterClass == CLASS_POLYLINE && objectClass == CLASS_POLYLINE)
        return CutPolylineByPolylineOperation;
    return nullptr;
}

int SetOfLinesegmentDegenerate(OBJectKernel *kernel, OBJHANDLE object)
{
    PointSetAccess access;
    if (!LockPointSet(kernel, object, access) || access.count == 0)
        return 0;
    const MAP_COORDPT first = access.at(0);
    for (uint32_t i = 1; i < access.count; ++i) {
        const MAP_COORDPT p = access.at(i);
        if (p.x != first.x || p.y != first.y)
            return 0;
    }
    return 1;
}

namespace {

// Moves the pieces of one list to the end of a result list; pieces whose
// points all coincide are deleted instead. The piece list is freed.
bool CollectPieces(OBJectKernel *kernel, HGLOBAL &pieces, uint32_t &pieceCount, HGLOBAL *result,
                   uint32_t *resultCount)
{
    bool ok = true;
    for (uint32_t i = 0; i < pieceCount; ++i) {
        const OBJHANDLE h = HandleListAt(pieces, pieceCount, i);
        if (!h)
            continue;
        if (SetOfLinesegmentDegenerate(kernel, h))
            OBJectDelete(kernel, h);
        else if (ok && !HandleListAppend(h, result, resultCount))
            ok = false;
    }
    if (pieces)
        GlobalFree(pieces);
    pieces = 0;
    pieceCount = 0;
    return ok;
}

} // namespace

int CutObjectsByCutter(HWND window, int, OBJHANDLE *object, OBJHANDLE *cutter, HGLOBAL *list1,
                       uint32_t *count1, HGLOBAL *list2, uint32_t *count2, int)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !object || !cutter)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE layers = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
    const OBJHANDLE notedLayer = GetActiveLayer(kernel, layers);
    const auto restoreLayer = [&] {
        if (notedLayer)
            SetActLayers(nullptr, -1, 0, window, notedLayer);
    };
    const OBJHANDLE objectHandle = *object, cutterHandle = *cutter;
    const uint16_t cutterClass = cutterHandle ? GetOBJectClassID(kernel, cutterHandle) : 0;
    if (cutterClass != CLASS_POLYGON && cutterClass != CLASS_POLYLINE) {
        restoreLayer();
        return 0;
    }
    const uint16_t objectClass = objectHandle ? GetOBJectClassID(kernel, objectHandle) : 0;
    if (objectClass != CLASS_POLYGON && objectClass != CLASS_POLYLINE) {
        restoreLayer();
        return 1;
    }
    // Cutting an object by itself, by the same ring of corners or by a set
    // of coinciding points separates nothing.
    if (objectHandle == cutterHandle || SetOfLinesegmentEqual(kernel, objectHandle, cutterHandle) ||
        SetOfLinesegmentDegenerate(kernel, objectHandle) ||
        SetOfLinesegmentDegenerate(kernel, cutterHandle)) {
        restoreLayer();
        return 1;
    }
    const CutOperation operation = CutOperationFor(cutterClass, objectClass);
    const OBJHANDLE objectLayer = GetOBJectLayer(kernel, objectHandle);
    // An object outside the layers (a working copy) gives its pieces to the
    // active layer.
    if (!operation || (objectLayer && !SetActLayers(nullptr, -1, 0, window, objectHandle))) {
        restoreLayer();
        return 0;
    }

    HGLOBAL pieces1 = 0, pieces2 = 0;
    uint32_t pieceCount1 = 0, pieceCount2 = 0;
    const int done = operation(window, object, 1, cutter, 1, &pieces1, &pieceCount1, &pieces2, &pieceCount2);
    *object = objectHandle;
    *cutter = cutterHandle;
    if (!done) {
        if (pieces1)
            GlobalFree(pieces1);
        if (pieces2)
            GlobalFree(pieces2);
        restoreLayer();
        return 0;
    }
    int result = 1;
    if (list1 && count1) {
        HGLOBAL out1 = *list1, out2 = list2 ? *list2 : 0;
        uint32_t n1 = *count1, n2 = count2 ? *count2 : 0;
        const bool ok1 = CollectPieces(kernel, pieces1, pieceCount1, &out1, &n1);
        const bool ok2 = list2 && count2 ? CollectPieces(kernel, pieces2, pieceCount2, &out2, &n2) : true;
        if (!ok1 || !ok2) {
            // A list that could not grow: the call fails, the lists gathered
            // are freed (their pieces stay in the layer).
            if (out1)
                GlobalFree(out1);
            if (out2 && list2)
                GlobalFree(out2);
            *list1 = 0;
            *count1 = 0;
            if (list2 && count2) {
                *list2 = 0;
                *count2 = 0;
            }
            result = 0;
        } else {
            if (n1) {
                *list1 = out1;
                *count1 = n1;
            }
            if (list2 && count2 && n2) {
                *list2 = out2;
                *count2 = n2;
            }
        }
    }
    if (pieces1)
        GlobalFree(pieces1);
    if (pieces2)
        GlobalFree(pieces2);
    restoreLayer();
    return result;
}
