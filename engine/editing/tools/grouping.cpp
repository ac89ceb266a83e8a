#include "engine/editing/tools/grouping.h"

#include "engine/editing/set_geometry.h"
#include "engine/editing/tools/undo_helpers.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/identifiers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_children.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_identifiers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"

#include <new>
#include <vector>

namespace {

std::vector<OBJHANDLE> targets(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    std::vector<OBJHANDLE> out;
    int32_t pos = -1;
    for (OBJHANDLE h = FirstReference(kernel, holder, id, &pos); h;
         h = GetReference(kernel, holder, id, &pos))
        out.push_back(h);
    return out;
}

std::vector<OBJHANDLE> selected(HWND window, OBJectKernel *kernel)
{
    const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
    return list ? targets(kernel, list, REF_SELECTED) : std::vector<OBJHANDLE>{};
}

// Counts the members of the class in a group; without all the walk of one
// group stops after the first direct member of the class.
int32_t countInGroup(OBJectKernel *kernel, OBJHANDLE group, uint16_t classId, bool all, int depth)
{
    if (depth > kMaxSetDepth)
        return 0;
    int32_t n = 0;
    for (const OBJHANDLE m : targets(kernel, group, REF_GROUP_MEMBER)) {
        const uint16_t cls = GetOBJectClassID(kernel, m);
        if (cls == CLASS_GROUP) {
            n += countInGroup(kernel, m, classId, all, depth + 1);
        } else if (cls == classId) {
            ++n;
            if (!all)
                break;
        }
    }
    return n;
}

int32_t textsIn(OBJectKernel *kernel, OBJHANDLE h, bool all, int depth)
{
    if (depth > kMaxSetDepth)
        return 0;
    const uint16_t cls = GetOBJectClassID(kernel, h);
    if (cls == CLASS_TEXT)
        return all || !DoesTextContainId(kernel, h) ? 1 : 0;
    int32_t n = 0;
    if (cls == CLASS_GROUP)
        for (const OBJHANDLE m : targets(kernel, h, REF_GROUP_MEMBER))
            n += textsIn(kernel, m, all, depth + 1);
    return n;
}

bool holdsLine(OBJectKernel *kernel, OBJHANDLE h, int depth)
{
    if (depth > kMaxSetDepth)
        return false;
    const uint16_t cls = GetOBJectClassID(kernel, h);
    if (cls == CLASS_POLYGON || cls == CLASS_POLYLINE)
        return true;
    if (cls == CLASS_GROUP)
        for (const OBJHANDLE m : targets(kernel, h, REF_GROUP_MEMBER))
            if (holdsLine(kernel, m, depth + 1))
                return true;
    return false;
}

} // namespace

int DoesTextContainId(OBJectKernel *kernel, OBJHANDLE text)
{
    if (GetOBJectClassID(kernel, text) != CLASS_TEXT)
        return 0;
    int32_t pos = -1;
    return FirstReference(kernel, text, REF_ID, &pos) ||
                   FirstReference(kernel, text, REF_ID_TEXT1_BACK, &pos) ||
                   FirstReference(kernel, text, REF_ID_TEXT2_BACK, &pos)
               ? 1
               : 0;
}

int Tool_Group(HWND window, int undo)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return GROUP_BAD_SELECTION;
    const std::vector<OBJHANDLE> chosen = selected(window, rec->kernel);
    if (chosen.size() < 2)
        return GROUP_BAD_SELECTION;
    for (const OBJHANDLE h : chosen)
        if (map_object_group_Get(window, h))
            return GROUP_REFUSED;
    // The members and the aspect gain links: their blocks are recorded as
    // they were, so that undo gives them back byte for byte.
    const int position = Undo_GetPositionCurStep(rec->kernel);
    if (undo) {
        UndoRecordSelection(window);
        for (const OBJHANDLE h : chosen)
            Undo_ChangeObject(rec->kernel, h);
        const OBJHANDLE groups = GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_GROUPS);
        if (const OBJHANDLE aspect = GetActiveAspect(rec->kernel, groups))
            Undo_ChangeObject(rec->kernel, aspect);
    }
    OBJHANDLE group = 0;
    if (!map_group_Create(window, &group, chosen.data(), int32_t(chosen.size()), 0) || !group) {
        if (undo)
            UndoDropRecordsSince(rec->kernel, position);
        return GROUP_REFUSED;
    }
    SetSelection(window, &group, 1, 0, 1);
    if (undo) {
        Undo_AddNew(rec->kernel, group);
        Undo_SetNewStep(window, rec->kernel, UNDO_OP_GROUPING);
    }
    MarkMapModified(window);
    return GROUP_DONE;
}

int Tool_UnGroup(HWND window, int undo)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return GROUP_BAD_SELECTION;
    OBJectKernel *kernel = rec->kernel;
    const std::vector<OBJHANDLE> chosen = selected(window, kernel);
    if (chosen.size() != 1 || map_object_type_Get(window, chosen[0]) != MOT_GROUP)
        return GROUP_BAD_SELECTION;
    const OBJHANDLE group = chosen[0];
    const std::vector<OBJHANDLE> members = targets(kernel, group, REF_GROUP_MEMBER);
    if (members.empty()) {
        map_object_id_Set(window, group, "", "", 0, 0, 0);
        OBJectDelete(kernel, group);
        MarkMapModified(window);
        return GROUP_DONE;
    }
    if (undo) {
        UndoRecordSelection(window);
        if (const OBJHANDLE id = GetID(kernel, group))
            Undo_DeleteTree(kernel, id);
        Undo_DeleteOBJect(kernel, group);
    } else {
        map_object_id_Set(window, group, "", "", 0, 0, 0);
        OBJectDelete(kernel, group);
    }
    SetSelection(window, members.data(), uint32_t(members.size()), 1, 1);
    if (undo)
        Undo_SetNewStep(window, kernel, UNDO_OP_UNGROUPING);
    MarkMapModified(window);
    return GROUP_DONE;
}

int32_t NumberSelectedObjects(HWND window, uint16_t classId, int inGroups, int all)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    int32_t n = 0;
    for (const OBJHANDLE h : selected(window, rec->kernel)) {
        const uint16_t cls = GetOBJectClassID(rec->kernel, h);
        if (cls == classId)
            ++n;
        else if (inGroups && cls == CLASS_GROUP)
            n += countInGroup(rec->kernel, h, classId, all != 0, 0);
    }
    return n;
}

int32_t NumberSelectedTexts(HWND window, int all)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    int32_t n = 0;
    for (const OBJHANDLE h : selected(window, rec->kernel))
        n += textsIn(rec->kernel, h, all != 0, 0);
    return n;
}

int PerformMultiselectCut(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    int n = 0;
    for (const OBJHANDLE h : selected(window, rec->kernel))
        if (holdsLine(rec->kernel, h, 0) && ++n > 1)
            return 1;
    return 0;
}
