#include "engine/window/window_children.h"

#include "engine/kernel/groups.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/window/window_access.h"

#include <algorithm>

uint16_t ContainerChildKind(uint16_t classId)
{
    switch (classId) {
    case CLASS_LAYERS:
    case CLASS_LAYER:
        return REF_LAYER_MEMBER;
    case CLASS_ASPECT:
    case CLASS_GROUP:
        return REF_GROUP_MEMBER;
    case CLASS_SELLIST:
        return REF_FILTER_LINK_FORWARD;
    case CLASS_IDSLIST:
        return REF_IDLIST_MEMBER;
    default:
        return 0;
    }
}

namespace {

// The container holding the object through the kind (its back reference),
// 0 when none.
OBJHANDLE containerOf(OBJectKernel *kernel, OBJHANDLE object, uint16_t kind)
{
    int32_t pos = -1;
    return GetReference(kernel, object, uint16_t(kind ^ 1), &pos);
}

// True when the object is the group or one of the groups above it, so that
// adding it would close a loop of memberships.
bool holdsGroup(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE group)
{
    const uint64_t limit = uint64_t(KernGiveAllObjectsAmount(kernel)) + 1;
    OBJHANDLE g = group;
    for (uint64_t step = 0; g && step < limit; ++step) {
        if (g == object)
            return true;
        g = GroupParentGet(kernel, g);
    }
    return false;
}

bool accepts(OBJectKernel *kernel, OBJHANDLE container, uint16_t containerClass, OBJHANDLE object)
{
    const uint16_t cls = GetOBJectClassID(kernel, object);
    if (!cls || IsUndoneObj(kernel, object))
        return false;
    switch (containerClass) {
    case CLASS_LAYER:
        return !IsListClass(cls);
    case CLASS_ASPECT:
        return cls == CLASS_GROUP;
    case CLASS_GROUP:
        return (!IsListClass(cls) || cls == CLASS_GROUP) && !holdsGroup(kernel, object, container);
    default:
        return false;
    }
}

} // namespace

extern "C" {

int32_t CHILDREN_Get(HWND window, OBJHANDLE container, int32_t *count, OBJHANDLE *array, int32_t capacity,
                     int leavesOnly)
{
    const MapDoc doc(window);
    const uint16_t kind = ContainerChildKind(doc.classOf(container));
    if (!kind)
        return 0;
    int32_t copied = 0;
    if (array && capacity > 0) {
        const uint32_t all = GetChildrenOBJS(doc.kernel, container, kind, capacity, array, leavesOnly);
        copied = int32_t(std::min<uint32_t>(all, uint32_t(capacity)));
    }
    if (count)
        *count = int32_t(GetChildrenOBJS(doc.kernel, container, kind, 0, nullptr, leavesOnly));
    return copied;
}

int CHILDREN_Add(HWND window, OBJHANDLE container, const OBJHANDLE *objects, int32_t count, int replace,
                 OBJHANDLE undoRoot)
{
    const MapDoc doc(window);
    const uint16_t cls = doc.classOf(container);
    if (cls != CLASS_LAYER && cls != CLASS_ASPECT && cls != CLASS_GROUP)
        return 0;
    const uint16_t kind = ContainerChildKind(cls);
    OBJectKernel *kernel = doc.kernel;
    if (replace) {
        int32_t pos = -1;
        while (OBJHANDLE child = LastReference(kernel, container, kind, &pos)) {
            if (RemoveReference(kernel, container, kind, child) == OBJ_INVALID)
                break;
            pos = -1;
        }
    }
    for (int32_t i = 0; objects && i < count; ++i) {
        const OBJHANDLE object = objects[i];
        if (!object || !accepts(kernel, container, cls, object))
            continue;
        const OBJHANDLE current = containerOf(kernel, object, kind);
        if (current == container)
            continue;
        if (current)
            RemoveReference(kernel, current, kind, object);
        InsertRefInPos(kernel, container, kind, object, -1, -1);
    }
    if (undoRoot)
        ToUndoAddNew(kernel, undoRoot, container);
    return 1;
}

int32_t map_layers_Get(HWND window, int32_t *count, OBJHANDLE *array, int32_t capacity)
{
    const MapDoc doc(window);
    const OBJHANDLE root = doc.root(CLASS_LAYERS);
    return root ? CHILDREN_Get(window, root, count, array, capacity, 0) : 0;
}

int32_t map_groups_Get(HWND window, int32_t *count, OBJHANDLE *array, int32_t capacity)
{
    const MapDoc doc(window);
    const OBJHANDLE root = doc.root(CLASS_GROUPS);
    const OBJHANDLE aspect = root ? GetActiveAspect(doc.kernel, root) : 0;
    return aspect ? CHILDREN_Get(window, aspect, count, array, capacity, 0) : 0;
}

int32_t map_group_Get(HWND window, OBJHANDLE group, int32_t *count, OBJHANDLE *array, int32_t capacity,
                      int leavesOnly)
{
    const MapDoc doc(window);
    if (!doc.is(group, CLASS_GROUP))
        return 0;
    return CHILDREN_Get(window, group, count, array, capacity, leavesOnly);
}

int32_t map_identified_Get(HWND window, int32_t *count, OBJHANDLE *array, int32_t capacity)
{
    const MapDoc doc(window);
    const OBJHANDLE list = doc.root(CLASS_IDSLIST);
    if (!list)
        return 0;
    int32_t total = 0;
    const int32_t copied = CHILDREN_Get(window, list, &total, array, capacity, 0);
    if (count)
        *count = total;
    if (copied == 0)
        return 0;
    for (int32_t i = 0; i < copied; ++i) {
        int32_t pos = -1;
        array[i] = GetReference(doc.kernel, array[i], REF_ID_USER, &pos);
    }
    return total;
}

int map_object_type_Get(HWND window, OBJHANDLE object)
{
    switch (MapDoc(window).classOf(object)) {
    case CLASS_POLYLINE:
        return MOT_POLYLINE;
    case CLASS_POLYGON:
        return MOT_POLYGON;
    case CLASS_TEXT:
        return MOT_TEXT;
    case CLASS_LEGEND:
        return MOT_LEGEND;
    case CLASS_BITMAP:
        return MOT_RASTER;
    case CLASS_PAGE:
        return MOT_PAGE;
    case CLASS_NAIL:
        return MOT_NAIL;
    case CLASS_PRESDESCR:
        return MOT_PRESDESCR;
    case CLASS_PRESENT:
        return MOT_PRESENTATION;
    case CLASS_LAYER:
        return MOT_LAYER;
    case CLASS_GROUP:
        return MOT_GROUP;
    default:
        return MOT_NONE;
    }
}

} // extern "C"
