#include "engine/window/window_groups.h"

#include "engine/kernel/references.h"
#include "engine/window/object_wrappers.h"
#include "engine/window/window_access.h"
#include "engine/window/window_children.h"

namespace {

// The group worker: members into an existing group, or a new group of them.
int groupWorker(HWND window, OBJHANDLE *io, const OBJHANDLE *members, int32_t count, int replace)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    if (*io) {
        if (members && count > 0)
            CHILDREN_Add(window, *io, members, count, replace, 0);
        return 1;
    }
    if (!members || count <= 0)
        return 0;
    const OBJHANDLE group = CreateGroupWnd(window);
    *io = group;
    if (group)
        CHILDREN_Add(window, group, members, count, replace, 0);
    return 1;
}

} // namespace

extern "C" {

int map_group_Create(HWND window, OBJHANDLE *group, const OBJHANDLE *members, int32_t count, int)
{
    if (group)
        *group = 0;
    OBJHANDLE made = 0;
    const int result = groupWorker(window, &made, members, count, 0);
    if (group)
        *group = made;
    return result;
}

int map_group_Set(HWND window, OBJHANDLE group, const OBJHANDLE *members, int32_t count, int replace, int)
{
    const MapDoc doc(window);
    if (group && !doc.is(group, CLASS_GROUP))
        return 0;
    return groupWorker(window, &group, members, count, replace);
}

int map_objects_Ungroup(HWND window, const OBJHANDLE *objects, int32_t count, int)
{
    const MapDoc doc(window);
    if (!doc || !objects)
        return 0;
    for (int32_t i = 0; i < count; ++i) {
        const OBJHANDLE object = objects[i];
        if (!doc.classOf(object))
            continue;
        int32_t pos = -1;
        const OBJHANDLE parent = GetReference(doc.kernel, object, REF_GROUP_PARENT, &pos);
        const uint16_t cls = doc.classOf(parent);
        if (cls == CLASS_GROUP || cls == CLASS_ASPECT)
            RemoveReference(doc.kernel, parent, REF_GROUP_MEMBER, object);
    }
    return 1;
}

} // extern "C"
