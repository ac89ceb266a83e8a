#include "engine/polygon/cutting/cutting_tools.h"

#include "engine/editing/tools/undo_helpers.h"

#include "engine/editing/handle_list.h"
#include "engine/editing/operations/polygon_building.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/cutting/active_layers.h"
#include "engine/polygon/cutting/cutting_engine.h"
#include "engine/polygon/cutting/polyline_cut.h"
#include "engine/polygon/polygon_logical.h"
#include "engine/window/window_children.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"
#include "platform/global_memory.h"
#include "platform/wait_cursor.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

// A working object of an item and the layer its final piece goes into.
struct WorkPiece {
    OBJHANDLE object;
    OBJHANDLE layer;
};

// One selected item: its polylines and polygons, its current working
// pieces and the pieces of the running pass.
struct CutEntry {
    std::vector<OBJHANDLE> members;
    std::vector<WorkPiece> pieces;
    std::vector<WorkPiece> results;
};

bool IsCuttable(uint16_t classId) { return classId == CLASS_POLYGON || classId == CLASS_POLYLINE; }

OBJHANDLE UnlinkedCopy(OBJectKernel *kernel, OBJHANDLE object)
{
    OBJHANDLE copy = 0;
    SetOfLinesegmentDuplicate(kernel, object, &copy, GetOBJectClassID(kernel, object));
    return copy;
}

// The selected objects and groups, in selection order.
std::vector<OBJHANDLE> SelectedItems(HWND window)
{
    int32_t count = 0;
    map_selection_Get(window, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 0);
    std::vector<OBJHANDLE> selected(size_t(std::max(count, 0)));
    if (count > 0)
        selected.resize(size_t(std::max<int32_t>(
            0, map_selection_Get(window, &count, selected.data(), count, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, 0))));
    return selected;
}

// The cut set from the selection: one entry per selected polyline, polygon
// or group (its polylines and polygons, nested groups included).
std::vector<CutEntry> CutSetFromSelection(HWND window, OBJectKernel *kernel)
{
    std::vector<CutEntry> set;
    for (OBJHANDLE item : SelectedItems(window)) {
        const uint16_t cls = GetOBJectClassID(kernel, item);
        CutEntry entry;
        if (IsCuttable(cls)) {
            entry.members.push_back(item);
        } else if (cls == CLASS_GROUP) {
            int32_t n = 0;
            map_group_Get(window, item, &n, nullptr, 0, 1);
            std::vector<OBJHANDLE> leaves(size_t(std::max(n, 0)));
            if (n > 0)
                leaves.resize(
                    size_t(std::max<int32_t>(0, map_group_Get(window, item, &n, leaves.data(), n, 1))));
            for (OBJHANDLE leaf : leaves)
                if (IsCuttable(GetOBJectClassID(kernel, leaf)))
                    entry.members.push_back(leaf);
        } else {
            continue;
        }
        set.push_back(std::move(entry));
    }
    return set;
}

// Cuts one working piece by the cutter into the entry's results.
void CutPieceByCutter(HWND window, OBJectKernel *kernel, OBJHANDLE cutter, const WorkPiece &piece,
                      CutEntry &entry)
{
    const int32_t noted = ActiveLayerNumber(window);
    SetActLayers(nullptr, -1, 0, window, piece.layer);
    const uint16_t cutterClass = GetOBJectClassID(kernel, cutter),
                   pieceClass = GetOBJectClassID(kernel, piece.object);
    CMapObjArr made;
    if (cutterClass == CLASS_POLYLINE && pieceClass == CLASS_POLYGON) {
        CutPolygonAlongPolyline(window, piece.object, cutter, &made);
        if (made.IsEmpty())
            made.Add(UnlinkedCopy(kernel, piece.object));
    } else if (cutterClass == CLASS_POLYGON && pieceClass == CLASS_POLYGON) {
        PolygonCutPolygon(window, cutter, piece.object, &made);
    } else if (IsCuttable(cutterClass) && pieceClass == CLASS_POLYLINE) {
        PolygonCutPolyline(window, cutter, piece.object, &made);
    }
    for (int32_t i = 0; i < made.GetSize(); ++i)
        if (made[i])
            entry.results.push_back({made[i], piece.layer});
    if (noted >= 0)
        SetActLayers(nullptr, noted, 0, window, 0);
}

// A cutting pass: every piece of every entry but the cutter's own is cut;
// entries that got results take them as their new pieces.
void CuttingPass(HWND window, OBJectKernel *kernel, OBJHANDLE cutter, std::optional<size_t> own,
                 std::vector<CutEntry> &set)
{
    for (size_t k = 0; k < set.size(); ++k) {
        if (own && *own == k)
            continue;
        const std::vector<WorkPiece> pieces = set[k].pieces;
        for (const WorkPiece &piece : pieces)
            CutPieceByCutter(window, kernel, cutter, piece, set[k]);
    }
    for (CutEntry &entry : set) {
        if (entry.results.empty())
            continue;
        for (const WorkPiece &piece : entry.pieces)
            OBJectDelete(kernel, piece.object);
        entry.pieces = std::move(entry.results);
        entry.results.clear();
    }
}

// Re-creates every piece as a new object of its layer, recorded for undo and
// selected; the working objects go. When one piece cannot be made, none is
// kept: the map stays as it was and false comes back.
bool FinishPieces(HWND window, OBJectKernel *kernel, std::vector<CutEntry> &set)
{
    const int32_t noted = ActiveLayerNumber(window);
    std::vector<OBJHANDLE> made;
    bool complete = true;
    for (CutEntry &entry : set) {
        for (const WorkPiece &piece : entry.pieces) {
            PointList points;
            const uint16_t cls = GetOBJectClassID(kernel, piece.object);
            OBJHANDLE h = 0;
            if (complete && ReadPointSet(kernel, piece.object, cls, points) &&
                SetActLayers(nullptr, -1, 0, window, piece.layer)) {
                const int ok =
                    cls == CLASS_POLYGON
                        ? map_polygon_Create(window, &h, points.data(), int32_t(points.size()), 0)
                        : map_polyline_Create(window, &h, points.data(), int32_t(points.size()), 0);
                if (!ok)
                    h = 0;
            }
            if (h)
                made.push_back(h);
            else
                complete = false;
            OBJectDelete(kernel, piece.object);
        }
        entry.pieces.clear();
    }
    if (complete) {
        for (OBJHANDLE h : made) {
            Undo_AddNew(kernel, h);
            SetSelection(window, &h, 1, 1, 0);
        }
    } else {
        for (OBJHANDLE h : made)
            OBJectDelete(kernel, h);
    }
    if (noted >= 0)
        SetActLayers(nullptr, noted, 0, window, 0);
    return complete;
}

void DeleteCutObjects(HWND window, OBJectKernel *kernel, const std::vector<CutEntry> &set)
{
    for (const CutEntry &entry : set)
        for (OBJHANDLE member : entry.members) {
            const OBJHANDLE group = map_object_group_Get(window, member);
            int32_t count = 0;
            if (group)
                map_group_Get(window, group, &count, nullptr, 0, 0);
            Undo_DeleteTree(kernel, group && count == 1 ? group : member);
        }
}

bool DeleteAfterCutting(_WNDRES *rec)
{
    uint32_t value = 1;
    if (rec->settingsKey)
        rec->settingsKey->GetValue("Settings", "Delete Objects After Cliping", &value, 0);
    return value != 0;
}

MAP_COORDRECT SelectionBounds(HWND window)
{
    MAP_COORDRECT r{};
    int32_t count = 0;
    map_selection_Get(window, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, &r, 0);
    return r;
}

void Progress(HWND window, WPARAM kind, LPARAM value) { SendMessageA(window, MAPN_PROGRESS, kind, value); }

// The command behind both tools; a cutter of 0 cuts the items by each other.
int RunCut(HWND window, OBJHANDLE cutter)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const bool multi = cutter == 0;
    const MAP_COORDRECT before = SelectionBounds(window);
    const int undoPosition = Undo_GetPositionCurStep(kernel);
    std::vector<CutEntry> set = CutSetFromSelection(window, kernel);
    if (multi && set.size() < 2)
        return 0;

    std::optional<WaitCursor> wait;
    if (multi) {
        Progress(window, MAPN_KIND_CUTTING, MAPN_PROGRESS_START);
        Progress(window, MAPN_KIND_RUNNING, 0);
        wait.emplace();
    }
    const OBJHANDLE layers = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
    // Unselecting and the new selection change the selection list, the
    // selected objects and their layers: undo gives them back as they were.
    const std::vector<OBJHANDLE> selectedBefore = SelectedItems(window);
    UndoRecordSelection(window);
    for (const CutEntry &entry : set)
        for (OBJHANDLE member : entry.members) {
            Undo_ChangeObject(kernel, member);
            Undo_ChangeObject(kernel, GetOBJectLayer(kernel, member));
        }
    SetOfObjectsUnSelect(window, layers);
    for (CutEntry &entry : set)
        for (OBJHANDLE member : entry.members)
            if (const OBJHANDLE copy = UnlinkedCopy(kernel, member))
                entry.pieces.push_back({copy, GetOBJectLayer(kernel, member)});

    if (multi) {
        double done = 0;
        for (size_t i = 0; i < set.size(); ++i) {
            const std::vector<OBJHANDLE> members = set[i].members;
            for (OBJHANDLE member : members)
                CuttingPass(window, kernel, member, i, set);
            done += 100.0 / double(set.size());
            Progress(window, MAPN_KIND_RUNNING, LPARAM(done));
        }
    } else {
        CuttingPass(window, kernel, cutter, std::nullopt, set);
    }
    // A piece that could not be made keeps the map as it was, the cut
    // objects selected again.
    if (!FinishPieces(window, kernel, set)) {
        std::vector<OBJHANDLE> items = selectedBefore;
        SetSelection(window, items.data(), uint32_t(items.size()), 0, 0);
    } else if (DeleteAfterCutting(rec)) {
        DeleteCutObjects(window, kernel, set);
    }

    if (Undo_GetPositionCurStep(kernel) != undoPosition) {
        if (multi)
            Undo_SetNewStep(window, kernel, UNDO_CODE_CLIP);
        rec->flags |= WNDRES_MODIFIED;
    }
    if (multi)
        Progress(window, MAPN_KIND_RUNNING, MAPN_PROGRESS_END);
    InvalidateGraphRect(window, &before, 1);
    const MAP_COORDRECT after = SelectionBounds(window);
    InvalidateGraphRect(window, &after, 1);
    return 1;
}

} // namespace

void PolygonCutPolyline(HWND window, OBJHANDLE cutter, OBJHANDLE object, CMapObjArr *results)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !results)
        return;
    HGLOBAL list1 = 0, list2 = 0;
    uint32_t count1 = 0, count2 = 0;
    OBJHANDLE o = object, c = cutter;
    CutObjectsByCutter(window, 0, &o, &c, &list1, &count1, &list2, &count2, 0);
    for (uint32_t i = 0; i < count1; ++i)
        results->Add(HandleListAt(list1, count1, i));
    if (count1 == 0)
        if (const OBJHANDLE copy = UnlinkedCopy(rec->kernel, object))
            results->Add(copy);
    if (list1)
        GlobalFree(list1);
    if (list2)
        GlobalFree(list2);
}

void PolygonCutPolygon(HWND window, OBJHANDLE cutter, OBJHANDLE object, CMapObjArr *results)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !results)
        return;
    OBJectKernel *kernel = rec->kernel;
    PointList objectPoints, cutterPoints;
    std::vector<PointList> rings;
    bool complete = ReadPointSet(kernel, object, CLASS_POLYGON, objectPoints) &&
                    ReadPointSet(kernel, cutter, CLASS_POLYGON, cutterPoints);
    std::vector<PlgList> a, b;
    for (const MAP_COORDPT &p : objectPoints)
        a.push_back({p.x, p.y});
    for (const MAP_COORDPT &p : cutterPoints)
        b.push_back({p.x, p.y});
    for (const int operation : {PLG_A_MINUS_B, PLG_INTERSECTION}) {
        if (!complete)
            break;
        PlgOpStatus status = PLG_OP_OK;
        const std::unique_ptr<PlgOpResult, void (*)(PlgOpResult *)> result(
            main_polygon_logical(a.data(), int32_t(a.size()), b.data(), int32_t(b.size()), operation,
                                 &status),
            DeletePlgOpResult);
        complete = status == PLG_OP_OK && result;
        for (int32_t r = 0; complete && r < result->numPolygons; ++r) {
            const PlgListWithNumPoints &ring = result->polygons[r];
            PointList points;
            for (int32_t k = 0; k < ring.numPoints; ++k)
                points.push_back(
                    {result->points[ring.firstPoint + k].x, result->points[ring.firstPoint + k].y});
            if (points.size() >= 3)
                rings.push_back(std::move(points));
        }
    }
    std::vector<OBJHANDLE> made;
    if (complete && !rings.empty() && CreatePointSets(window, CLASS_POLYGON, rings, made)) {
        for (OBJHANDLE h : made)
            results->Add(h);
        return;
    }
    if (const OBJHANDLE copy = UnlinkedCopy(kernel, object))
        results->Add(copy);
}

void CutPolygonAlongPolyline(HWND window, OBJHANDLE polygon, OBJHANDLE polyline, CMapObjArr *results)
{
    if (results && GetWndRes(window))
        PolylineCutPolygon(window, polygon, polyline, results, 0);
}

int ToolMultiselectCut(HWND window) { return RunCut(window, 0); }

int ToolSingleCut(HWND window, OBJHANDLE cutter)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !cutter || !IsCuttable(GetOBJectClassID(rec->kernel, cutter)))
        return 0;
    return RunCut(window, cutter);
}
