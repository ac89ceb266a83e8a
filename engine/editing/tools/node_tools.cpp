#include "engine/editing/tools/node_tools.h"

#include "engine/editing/beep.h"
#include "engine/editing/hit_tests.h"
#include "engine/editing/point_set.h"
#include "engine/editing/tools/undo_helpers.h"
#include "engine/kernel/global_memory_helpers.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/cutting/cutting_engine.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <vector>

namespace {

using Points = std::vector<MAP_COORDPT>;

Points pointsOf(OBJectKernel *kernel, OBJHANDLE object)
{
    Points out;
    PointSetAccess a;
    if (LockPointSet(kernel, object, a))
        for (uint32_t i = 0; i < a.count; ++i)
            out.push_back(a.at(i));
    return out;
}

bool same(MAP_COORDPT a, MAP_COORDPT b) { return a.x == b.x && a.y == b.y; }

// A new unlinked point-set object of the class with the points.
OBJHANDLE newPointSet(OBJectKernel *kernel, uint16_t classId, const Points &points)
{
    OBJHANDLE h = CreateOBJect(kernel, classId);
    if (!h)
        return 0;
    if (!PointSetReplacePoints(kernel, &h, points.data(), uint32_t(points.size()))) {
        OBJectDelete(kernel, h);
        return 0;
    }
    return h;
}

MAP_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE object)
{
    MAP_COORDRECT r = kEmptyBoundRect;
    SendOBJectMessage(kernel, object, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

// The window record with its store and view; null when the window has none.
_WNDRES *usable(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    return rec && rec->kernel && rec->displayView ? rec : nullptr;
}

void deleteObject(OBJectKernel *kernel, OBJHANDLE object, bool undo)
{
    if (undo)
        Undo_DeleteTree(kernel, object);
    else
        DeleteTree(kernel, object, REF_FILTER_FORWARD);
}

// Concatenation of two point lists that share an end point (the table of
// the join): empty when they share none.
Points concatenate(const Points &a, const Points &b)
{
    if (a.empty() || b.empty())
        return {};
    Points out;
    out.reserve(a.size() + b.size() - 1);
    auto reversedA = [&] { out.insert(out.end(), a.rbegin(), a.rend()); };
    auto forwardA = [&] { out.insert(out.end(), a.begin(), a.end()); };
    auto forwardB = [&] { out.insert(out.end(), b.begin() + 1, b.end()); };
    auto backwardB = [&] { out.insert(out.end(), b.rbegin() + 1, b.rend()); };
    if (same(a.front(), b.front())) {
        reversedA();
        forwardB();
    } else if (same(a.back(), b.back())) {
        forwardA();
        backwardB();
    } else if (same(a.back(), b.front())) {
        forwardA();
        forwardB();
    } else if (same(a.front(), b.back())) {
        reversedA();
        backwardB();
    }
    return out;
}

OBJHANDLE lastSelected(OBJectKernel *kernel, OBJHANDLE list)
{
    int32_t pos = -1;
    return list ? LastReference(kernel, list, REF_SELECTED, &pos) : 0;
}

bool isSelected(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE object)
{
    return list && FindReference(kernel, list, REF_SELECTED, object) >= 0;
}

void finishTool(HWND window, const MAP_COORDRECT &before)
{
    InvalidateGraphRect(window, &before, 1);
    RecomputeSelectionMeasures(window);
    MarkMapModified(window);
}

} // namespace

int PolylineToPolygon(OBJectKernel *kernel, OBJHANDLE polyline, OBJHANDLE *polygon)
{
    if (!polygon || GetOBJectClassID(kernel, polyline) != CLASS_POLYLINE)
        return 0;
    Points p = pointsOf(kernel, polyline);
    if (p.size() >= 2 && same(p.front(), p.back()))
        p.pop_back();
    if (p.size() < 3)
        return 0;
    *polygon = newPointSet(kernel, CLASS_POLYGON, p);
    return *polygon ? 1 : 0;
}

int PolygonOpenAtVertex(OBJectKernel *kernel, OBJHANDLE polygon, const MAP_COORDPT *vertex,
                        OBJHANDLE *polyline)
{
    if (!vertex || !polyline || GetOBJectClassID(kernel, polygon) != CLASS_POLYGON)
        return 0;
    const Points p = pointsOf(kernel, polygon);
    const auto at = std::find_if(p.begin(), p.end(), [&](MAP_COORDPT q) { return same(q, *vertex); });
    if (at == p.end())
        return 0;
    Points ring(at, p.end());
    ring.insert(ring.end(), p.begin(), at + 1);
    *polyline = newPointSet(kernel, CLASS_POLYLINE, ring);
    return *polyline ? 1 : 0;
}

int PolylineSplitAtVertex(OBJectKernel *kernel, OBJHANDLE polyline, const MAP_COORDPT *vertex,
                          OBJHANDLE *first, OBJHANDLE *second)
{
    if (!vertex || !first || !second || GetOBJectClassID(kernel, polyline) != CLASS_POLYLINE)
        return 0;
    const Points p = pointsOf(kernel, polyline);
    const auto at = std::find_if(p.begin(), p.end(), [&](MAP_COORDPT q) { return same(q, *vertex); });
    if (at == p.end() || at == p.begin() || at + 1 == p.end())
        return 0;
    *first = newPointSet(kernel, CLASS_POLYLINE, Points(p.begin(), at + 1));
    *second = *first ? newPointSet(kernel, CLASS_POLYLINE, Points(at, p.end())) : 0;
    if (!*second) {
        if (*first)
            OBJectDelete(kernel, *first);
        *first = 0;
        return 0;
    }
    return 1;
}

int PolylinesConcatenate(OBJectKernel *kernel, OBJHANDLE a, OBJHANDLE b, OBJHANDLE *result)
{
    if (!result || GetOBJectClassID(kernel, a) != CLASS_POLYLINE ||
        GetOBJectClassID(kernel, b) != CLASS_POLYLINE)
        return 0;
    const Points joined = concatenate(pointsOf(kernel, a), pointsOf(kernel, b));
    if (joined.size() < 2)
        return 0;
    *result = newPointSet(kernel, CLASS_POLYLINE, joined);
    return *result ? 1 : 0;
}

int ToolNodePlane(HWND window, POINT windowPoint, int undo)
{
    _WNDRES *rec = usable(window);
    if (!rec)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    OBJHANDLE set = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
    MAP_COORDPT vertex{};
    OBJHANDLE object = 0;
    int32_t index = -1;
    if (!SetOfObjectsFindVertex(kernel, &set, rec->displayView, &windowPoint, &vertex, &object, &index, 1))
        return 0;
    const uint16_t cls = GetOBJectClassID(kernel, object);
    if (cls != CLASS_POLYGON && cls != CLASS_POLYLINE)
        return 0;
    Linesegment edge1{}, edge2{};
    if (!ObjectGetEdges(kernel, object, &vertex, &vertex, &vertex, &edge1, &edge2, cls))
        return 0;
    const MAP_COORDRECT before = boundOf(kernel, object);
    const int position = Undo_GetPositionCurStep(kernel);
    if (undo)
        Undo_ChangeObject(kernel, object);
    Linesegment joined{};
    if (!SetOfLinesegmentRemoveVertex(kernel, object, &edge1, &edge2, &joined, cls == CLASS_POLYGON)) {
        // Nothing went: the step and the modified mark would only tell of a
        // change that did not happen.
        if (undo)
            UndoDropRecordsSince(kernel, position);
        return 0;
    }
    if (undo)
        Undo_SetNewStep(window, kernel, UNDO_OP_DELETING_NODE);
    finishTool(window, before);
    return 1;
}

int ToolNodeJoin(HWND window, POINT windowPoint, int undo)
{
    _WNDRES *rec = usable(window);
    if (!rec)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
    const OBJHANDLE first = lastSelected(kernel, list);
    if (GetOBJectClassID(kernel, first) != CLASS_POLYLINE)
        return 0;
    OBJHANDLE layer = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
    MAP_COORDPT vertex{};
    OBJHANDLE second = 0;
    int32_t index = -1;
    if (!SetOfObjectsFindVertex(kernel, &layer, rec->displayView, &windowPoint, &vertex, &second, &index,
                                0) ||
        GetOBJectClassID(kernel, second) != CLASS_POLYLINE)
        return 0;
    if (!IsLayer(kernel, layer))
        layer = GetOBJectLayer(kernel, second);

    OBJHANDLE made = 0;
    uint16_t code = 0;
    std::vector<OBJHANDLE> gone;
    // The first polyline is recorded as it is before it goes.
    const int position = Undo_GetPositionCurStep(kernel);
    if (undo) {
        UndoRecordSelection(window);
        Undo_ChangeObject(kernel, first);
    }
    if (second != first) {
        MAP_COORDPT picked{};
        SendOBJectMessage(kernel, list, list, 0, GRM_GETSELECTED, 0, LPARAM(&picked));
        Points a = pointsOf(kernel, first);
        const Points b = pointsOf(kernel, second);
        const bool pickedFirst = a.size() >= 2 && same(a.front(), picked);
        const bool pickedLast = a.size() >= 2 && same(a.back(), picked);
        if ((!pickedFirst && !pickedLast) || b.size() < 2 ||
            !(same(b.front(), vertex) || same(b.back(), vertex))) {
            UndoDropRecordsSince(kernel, position);
            return 0;
        }
        // The bridge from the picked end to the clicked end, unless they
        // already meet.
        if (!same(picked, vertex)) {
            if (pickedLast)
                a.push_back(vertex);
            else
                a.insert(a.begin(), vertex);
        }
        const Points joined = concatenate(a, b);
        if (joined.size() < 2 || !(made = newPointSet(kernel, CLASS_POLYLINE, joined))) {
            UndoDropRecordsSince(kernel, position);
            return 0;
        }
        // The later one in drawing order first: undo shows hidden objects
        // again by appending them to their layer, in the reverse order of
        // the records.
        const OBJHANDLE firstLayer = GetOBJectLayer(kernel, first),
                        secondLayer = GetOBJectLayer(kernel, second);
        const bool firstIsLater =
            firstLayer == secondLayer && FindReference(kernel, firstLayer, REF_LAYER_MEMBER, first) >
                                             FindReference(kernel, secondLayer, REF_LAYER_MEMBER, second);
        gone = {firstIsLater ? first : second, firstIsLater ? second : first};
        code = UNDO_OP_JOINING_POLYLINES;
    } else {
        if (!PolylineToPolygon(kernel, first, &made)) {
            UndoDropRecordsSince(kernel, position);
            return 0;
        }
        gone = {first};
        code = UNDO_OP_POLYLINE_TO_POLYGON;
    }
    for (const OBJHANDLE h : gone)
        deleteObject(kernel, h, undo);
    InsertLayerRef(kernel, made, layer);
    if (undo)
        Undo_AddNew(kernel, made);
    SetSelection(window, &made, 1, 1, 1);
    if (undo)
        Undo_SetNewStep(window, kernel, code);
    const MAP_COORDRECT r = boundOf(kernel, made);
    finishTool(window, r);
    return 1;
}

int ToolNodeCut(HWND window, POINT windowPoint)
{
    _WNDRES *rec = usable(window);
    if (!rec)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
    MAP_COORDPT vertex{};
    OBJHANDLE object = 0, layer = 0;
    int32_t index = -1;
    OBJHANDLE set = list;
    if (list &&
        SetOfObjectsFindVertex(kernel, &set, rec->displayView, &windowPoint, &vertex, &object, &index, 0)) {
        layer = GetOBJectLayer(kernel, object);
    } else {
        set = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
        object = 0;
        if (!SetOfObjectsFindVertex(kernel, &set, rec->displayView, &windowPoint, &vertex, &object, &index,
                                    0))
            return 0;
        layer = IsLayer(kernel, set) ? set : GetOBJectLayer(kernel, object);
    }
    const uint16_t cls = GetOBJectClassID(kernel, object);
    if ((cls != CLASS_POLYGON && cls != CLASS_POLYLINE) || !layer)
        return 0;

    if (!isSelected(kernel, list, object) && GetNumberOfSelected(kernel, list) > 0) {
        // The selected line cuts the object; its pieces replace it.
        OBJHANDLE cutter = lastSelected(kernel, list);
        const uint16_t cutterClass = GetOBJectClassID(kernel, cutter);
        if (cutterClass != CLASS_POLYGON && cutterClass != CLASS_POLYLINE)
            return 0;
        const MAP_COORDRECT before = boundOf(kernel, object);
        HGLOBAL pieces = 0, others = 0;
        uint32_t count = 0, otherCount = 0;
        OBJHANDLE cut = object;
        // The layer gains the pieces' links: its block is recorded as it
        // was, so that undo gives it back whole.
        const int position = Undo_GetPositionCurStep(kernel);
        UndoRecordSelection(window);
        Undo_ChangeObject(kernel, layer);
        const int done =
            CutObjectsByCutter(window, 0, &cut, &cutter, &pieces, &count, &others, &otherCount, 0);
        if (others)
            GlobalFree(others);
        if (!done || !pieces || count == 0) {
            if (pieces)
                GlobalFree(pieces);
            UndoDropRecordsSince(kernel, position);
            return 0;
        }
        if (const auto *h = static_cast<const OBJHANDLE *>(GlobalLock(pieces))) {
            for (uint32_t i = 0; i < count; ++i)
                Undo_AddNew(kernel, h[i]);
            GlobalUnlock(pieces);
        }
        GlobalFree(pieces);
        Undo_ChangeObject(kernel, object);
        Undo_DeleteTree(kernel, object);
        finishTool(window, before);
        return 1;
    }

    const MAP_COORDRECT before = boundOf(kernel, object);
    OBJHANDLE piece = 0, rest = 0;
    if (cls == CLASS_POLYLINE) {
        if (!PolylineSplitAtVertex(kernel, object, &vertex, &piece, &rest))
            return 0;
    } else if (!PolygonOpenAtVertex(kernel, object, &vertex, &piece)) {
        return 0;
    }
    UndoRecordSelection(window);
    if (rest) {
        InsertLayerRef(kernel, rest, layer);
        Undo_AddNew(kernel, rest);
    }
    Undo_ChangeObject(kernel, object);
    InsertLayerRef(kernel, piece, layer);
    Undo_AddNew(kernel, piece);
    SetSelection(window, &piece, 1, 1, 1);
    Undo_DeleteTree(kernel, object);
    finishTool(window, before);
    return 1;
}
