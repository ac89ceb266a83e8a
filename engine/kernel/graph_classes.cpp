#include "engine/kernel/graph_classes.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/graph_window.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/identifiers.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/upper_services.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace {

constexpr uint16_t MODE_APPEND_CLASSBIT = 0x101;
constexpr uint16_t MODE_SORTEDKEY_CLASSBIT = 0x104;
constexpr uint16_t MODE_APPEND = 0x001;

// Classes whose own procedures come with the text, raster and page code are
// registered with the family's defaults until then (the text, raster and
// page floors enter theirs when the engine starts, EngineStartup):
// DefGraphOBjectProc answers every graphical message.
const GraphClassRow kClassTable[GRAPH_CLASS_COUNT] = {
    {CLASS_ALLOBJECTS, "AllOBJects", 100, 10, 0, nullptr, AllOBjectsProc, MODE_APPEND_CLASSBIT},
    {CLASS_UNDO, "Undo", 64, 20, 0, nullptr, UndoOBjectProc, MODE_APPEND_CLASSBIT},
    {CLASS_SELLIST, "SelList", 84, 20, 0, CompareSelected, SelListOBjectProc, MODE_APPEND_CLASSBIT},
    {CLASS_IDSLIST, "IdsList", 4, 20, 0, CompareIDs, IdListProc, MODE_SORTEDKEY_CLASSBIT},
    {CLASS_LAYERS, "Layers", 140, 1, 0, CompareLayers, LayersProc, MODE_APPEND_CLASSBIT},
    {CLASS_LAYER, "Layer", 208, 1, 0, nullptr, LayerProc, MODE_APPEND_CLASSBIT},
    {CLASS_GROUPS, "Groups", 52, 1, 0, CompareAspects, GroupsProc, MODE_SORTEDKEY_CLASSBIT},
    {CLASS_ASPECT, "Aspect", 68, 1, 0, nullptr, AspectProc, MODE_APPEND_CLASSBIT},
    {CLASS_GROUP, "Group", 48, 1, 0, nullptr, GroupProc, MODE_APPEND},
    {CLASS_DISTRICT, "District", 4, 1, 0, nullptr, GroupProc, MODE_APPEND},
    {CLASS_POLYGON, "Polygon", 52, 4, 16, nullptr, DefGraphOBjectProc, MODE_APPEND},
    {CLASS_POLYLINE, "Polyline", 52, 4, 16, nullptr, DefGraphOBjectProc, MODE_APPEND},
    {CLASS_ID, "Id", 24, 4, 2, nullptr, IdProc, MODE_APPEND},
    {CLASS_TEXT, "Text", 200, 4, 1, nullptr, DefGraphOBjectProc, MODE_APPEND},
    {CLASS_LEGEND, "Legend", 356, 4, 4, nullptr, PresentationProc, MODE_APPEND},
    {CLASS_POINTS, "Points", 28, 1, 0, nullptr, nullptr, MODE_APPEND_CLASSBIT},
    {CLASS_BITMAP, "BitMap", 280, 4, 0, nullptr, DefGraphOBjectProc, MODE_APPEND},
    {CLASS_GISLIST, "GisList", 6, 20, 0, nullptr, nullptr, MODE_APPEND_CLASSBIT},
    {CLASS_GIS, "Gis", 6, 2, 0, nullptr, nullptr, MODE_APPEND},
    {CLASS_BLOCKLIST, "BlockList", 2, 10, 0, CompareBlocks, nullptr, MODE_SORTEDKEY_CLASSBIT},
    {CLASS_PAGE, "Page", 176, 1, 0, nullptr, DefGraphOBjectProc, MODE_APPEND},
    {CLASS_ZOBJ, "Z_OBJ", 16, 1, 0, nullptr, ZOBjectProc, MODE_APPEND},
    {CLASS_EXTRA, "Extra_OBJ", 8, 1, 0, nullptr, nullptr, MODE_APPEND},
    {CLASS_NAIL, "Nail_OBJ", 120, 4, 0, nullptr, NailProc, MODE_APPEND},
    {CLASS_PRESENT, "Present", 36, 1, 0, nullptr, PresentationProc, MODE_APPEND},
    {CLASS_PRESLIST, "PresList", 0, 1, 0, nullptr, nullptr, MODE_APPEND},
    {CLASS_PRESDESCR, "PresDescr", 132, 1, 0, nullptr, nullptr, MODE_APPEND},
    {CLASS_PRESDESCRCOL, "PresDescrCol", 404, 1, 0, nullptr, nullptr, MODE_APPEND},
};

// The REF_ROOT target of AllOBJects whose class id is classId.
OBJHANDLE rootOfClass(OBJectKernel *kernel, OBJHANDLE all, uint16_t classId)
{
    return FirstReferenceOfClass(kernel, all, REF_ROOT, classId);
}

// Class id 0 names the root of the object's own tree.
uint16_t resolveRootClass(OBJectKernel *kernel, OBJHANDLE object, uint16_t classId)
{
    if (classId)
        return classId;
    const uint16_t own = GetOBJectClassID(kernel, object);
    if (own & CLASSBIT_LAYERTREE)
        return CLASS_LAYERS;
    if (own & CLASSBIT_GROUPTREE)
        return CLASS_GROUPS;
    return CLASS_ALLOBJECTS;
}

// A climb longer than the number of handles has met a cycle of back links
// (a damaged document can hold one).
uint64_t climbLimit(OBJectKernel *kernel) { return uint64_t(KernGiveAllObjectsAmount(kernel)) + 1; }

struct WindowDocument {
    OBJectKernel *kernel = nullptr;
    OBJHANDLE all = 0;
};

WindowDocument windowDocument(HWND window)
{
    const _WNDRES *record = GetWndRes(window);
    if (!record || !record->kernel || !record->rootObject ||
        GetOBJectClassID(record->kernel, record->rootObject) != CLASS_ALLOBJECTS)
        return {};
    return {record->kernel, record->rootObject};
}

// Procedures entered by the floors above the kernel for classes they own.
std::map<uint16_t, OBJectClassProc> &enteredProcs()
{
    static std::map<uint16_t, OBJectClassProc> procs;
    return procs;
}

std::mutex &enteredProcsMutex()
{
    static std::mutex m;
    return m;
}

OBJectClassProc procOf(const GraphClassRow &row)
{
    std::lock_guard lock(enteredProcsMutex());
    const auto it = enteredProcs().find(row.id);
    return it != enteredProcs().end() ? it->second : row.proc;
}

} // namespace

const GraphClassRow *GraphClassTable() { return kClassTable; }

void EnterGraphClassProc(uint16_t classId, OBJectClassProc proc)
{
    {
        std::lock_guard lock(enteredProcsMutex());
        enteredProcs()[classId] = proc;
    }
    if (IsClassRegistered(classId))
        SetOBJectClassFN(classId, proc);
}

int InitGraphClasses(HINSTANCE instance)
{
    (void)instance;
    int ok = 1;
    for (const GraphClassRow &row : kClassTable)
        if (RegisterOBJectClass(row.id, row.fixedSize, row.slots, row.reserve, row.compare, procOf(row),
                                row.mode, row.name) < 0)
            ok = 0;
    return ok;
}

OBJHANDLE CreateRootOBJects(OBJectKernel *kernel, HWND window, OBJHANDLE *layersOut, OBJHANDLE *groupsOut,
                            OBJHANDLE *undoOut, OBJHANDLE *selListOut, OBJHANDLE *idsListOut)
{
    if (!kernel)
        return 0;
    const OBJHANDLE all = CreateOBJect(kernel, CLASS_ALLOBJECTS);
    if (!all)
        return 0;
    char *p = OBJectLock(kernel, all);
    if (!p) {
        OBJectDelete(kernel, all);
        return 0;
    }
    StoreField<uint32_t>(p, ALL_WINDOW, window);

    const OBJHANDLE layers = CreateLayersRoot(kernel);
    const OBJHANDLE groups = CreateGroupsRoot(kernel);
    const OBJHANDLE undo = CreateOBJect(kernel, CLASS_UNDO);
    const OBJHANDLE selList = CreateSelList(kernel);
    const OBJHANDLE idsList = CreateOBJect(kernel, CLASS_IDSLIST);
    const OBJHANDLE gisList = CreateOBJect(kernel, CLASS_GISLIST);
    const OBJHANDLE presList = CreateOBJect(kernel, CLASS_PRESLIST);
    if (layersOut)
        *layersOut = layers;
    if (groupsOut)
        *groupsOut = groups;
    if (undoOut)
        *undoOut = undo;
    if (selListOut)
        *selListOut = selList;
    if (idsListOut)
        *idsListOut = idsList;
    if (!layers || !groups || !undo || !selList || !idsList)
        return 0;
    for (OBJHANDLE root : {layers, groups, undo, selList, idsList, gisList, presList})
        if (root)
            InsertRefInPos(kernel, all, REF_ROOT, root, -1, -1);
    // A window that already has its page gets it fitted to its set-up.
    if (window)
        UpperPageUpdate(window);
    ResetLayerGroups(kernel, all);
    return all;
}

OBJHANDLE GetRootOBJect(HWND window, uint16_t classId)
{
    const WindowDocument doc = windowDocument(window);
    if (!doc.kernel)
        return 0;
    if (classId & CLASSBIT_LAYERTREE)
        return rootOfClass(doc.kernel, doc.all, CLASS_LAYERS);
    if (classId & CLASSBIT_GROUPTREE)
        return rootOfClass(doc.kernel, doc.all, CLASS_GROUPS);
    if (classId == CLASS_ALLOBJECTS)
        return doc.all;
    return rootOfClass(doc.kernel, doc.all, classId);
}

OBJHANDLE SetRootOBJect(HWND window, OBJHANDLE object)
{
    _WNDRES *record = GetWndRes(window);
    if (!record || !record->kernel || !object)
        return 0;
    OBJectKernel *kernel = record->kernel;
    const uint16_t classId = GetOBJectClassID(kernel, object);
    if (!classId)
        return 0;
    if (classId == CLASS_ALLOBJECTS) {
        char *p = OBJectLock(kernel, object);
        if (!p)
            return 0;
        StoreField<uint32_t>(p, ALL_WINDOW, window);
        record->rootObject = object;
        return object;
    }
    const WindowDocument doc = windowDocument(window);
    if (!doc.kernel)
        return 0;
    const OBJHANDLE old = rootOfClass(kernel, doc.all, classId);
    if (old == object)
        return object; // already the root: deleting it would lose it
    if (old)
        OBJectDelete(kernel, old);
    if (InsertRefInPos(kernel, doc.all, REF_ROOT, object, -1, -1) == OBJ_INVALID)
        return 0;
    return object;
}

OBJHANDLE GetRootOBJectOf(OBJectKernel *kernel, OBJHANDLE object, uint16_t classId)
{
    if (!kernel || !GetOBJectClassID(kernel, object))
        return 0;
    classId = resolveRootClass(kernel, object, classId);
    OBJHANDLE current = object;
    for (uint64_t step = 0, limit = climbLimit(kernel); current && step < limit; ++step) {
        const uint16_t cls = GetOBJectClassID(kernel, current);
        if (cls == classId)
            return current;
        if (cls == CLASS_ALLOBJECTS)
            return rootOfClass(kernel, current, classId);
        current = FirstReference(kernel, current, REF_FILTER_BACK, nullptr);
    }
    return 0;
}

OBJHANDLE FindRootOBJect(OBJectKernel *kernel, OBJHANDLE object, uint16_t classId)
{
    if (!kernel || !GetOBJectClassID(kernel, object))
        return 0;
    classId = resolveRootClass(kernel, object, classId);
    OBJHANDLE current = object;
    for (uint64_t step = 0, limit = climbLimit(kernel); current && step < limit; ++step) {
        if (GetOBJectClassID(kernel, current) == CLASS_ALLOBJECTS)
            return classId == CLASS_ALLOBJECTS ? current : rootOfClass(kernel, current, classId);
        current = FirstReference(kernel, current, REF_FILTER_BACK, nullptr);
    }
    return 0;
}

HWND GetOBJectWnd(OBJectKernel *kernel, OBJHANDLE object)
{
    const OBJHANDLE all = GetRootOBJectOf(kernel, object, CLASS_ALLOBJECTS);
    const char *p = GraphHeadLock(kernel, all, ALL_WINDOW + 4);
    return p ? LoadField<uint32_t>(p, ALL_WINDOW) : 0;
}

int32_t GraphGetNumberOfLeafOBJS(HWND window)
{
    const WindowDocument doc = windowDocument(window);
    const OBJHANDLE layers = doc.kernel ? rootOfClass(doc.kernel, doc.all, CLASS_LAYERS) : 0;
    if (!layers)
        return int32_t(OBJ_INVALID);
    int64_t sum = 0;
    int32_t pos = -1;
    for (OBJHANDLE layer = GetReference(doc.kernel, layers, REF_LAYER_MEMBER, &pos); layer;
         layer = GetReference(doc.kernel, layers, REF_LAYER_MEMBER, &pos)) {
        // Only the layer's objects count: besides its back link to the
        // Layers root a layer also holds its link into the layer groups.
        const uint32_t held = GetNumberOfReferencesFrom(doc.kernel, layer, REF_LAYER_MEMBER);
        if (held != OBJ_INVALID)
            sum += held;
    }
    return int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

void SelListPointsGet(HWND window, _COORDPT *point1, _COORDPT *point2)
{
    const WindowDocument doc = windowDocument(window);
    if (!doc.kernel)
        return;
    const OBJHANDLE list = rootOfClass(doc.kernel, doc.all, CLASS_SELLIST);
    const char *p = GraphHeadLock(doc.kernel, list, SELLIST_POINT2 + 8);
    if (!p)
        return;
    if (point1)
        *point1 = LoadField<_COORDPT>(p, SELLIST_POINT1);
    if (point2)
        *point2 = LoadField<_COORDPT>(p, SELLIST_POINT2);
}

void SelListPointsSet(HWND window, const _COORDPT *point1, const _COORDPT *point2)
{
    const WindowDocument doc = windowDocument(window);
    if (!doc.kernel)
        return;
    const OBJHANDLE list = rootOfClass(doc.kernel, doc.all, CLASS_SELLIST);
    char *p = GraphHeadLock(doc.kernel, list, SELLIST_POINT2 + 8);
    if (!p)
        return;
    StoreField(p, SELLIST_POINT1, point1 ? *point1 : kEmptyPoint);
    StoreField(p, SELLIST_POINT2, point2 ? *point2 : kEmptyPoint);
}

void UndoWithSelection(HWND window)
{
    const WindowDocument doc = windowDocument(window);
    if (!doc.kernel)
        return;
    const OBJHANDLE list = rootOfClass(doc.kernel, doc.all, CLASS_SELLIST);
    const OBJHANDLE undo = rootOfClass(doc.kernel, doc.all, CLASS_UNDO);
    if (!list || !undo)
        return;
    _COORDPT point = kEmptyPoint;
    const LRESULT selected = SendOBJectMessage(doc.kernel, 0, list, 0, GRM_GETSELECTED, 0, LPARAM(&point));
    SendOBJectMessage(doc.kernel, 0, undo, 0, GRM_SETSELECTED, WPARAM(selected), LPARAM(&point));
    UndoUndo(doc.kernel, undo);
    ToUndoAddNew(doc.kernel, undo, 0);
}
