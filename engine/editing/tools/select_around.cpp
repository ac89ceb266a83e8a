// The neighbour and enclosure selection commands.
#include "engine/editing/handle_list.h"
#include "engine/editing/set_geometry.h"
#include "engine/editing/tools/transform.h"
#include "engine/editing/tools/undo_helpers.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_queries.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/window_record.h"
#include "platform/global_memory.h"
#include "platform/key_state.h"
#include "platform/window.h"

#include <vector>

namespace {

using Finder = int (*)(HWND, OBJHANDLE, uint32_t *, HGLOBAL *);

std::vector<OBJHANDLE> targets(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    std::vector<OBJHANDLE> out;
    int32_t pos = -1;
    for (OBJHANDLE h = FirstReference(kernel, holder, id, &pos); h;
         h = GetReference(kernel, holder, id, &pos))
        out.push_back(h);
    return out;
}

// The selected objects, the members of selected groups at every depth.
void leaves(OBJectKernel *kernel, OBJHANDLE h, std::vector<OBJHANDLE> &out, int depth)
{
    if (depth > kMaxSetDepth)
        return;
    if (GetOBJectClassID(kernel, h) == CLASS_GROUP) {
        for (const OBJHANDLE m : targets(kernel, h, REF_GROUP_MEMBER))
            leaves(kernel, m, out, depth + 1);
    } else {
        out.push_back(h);
    }
}

bool accepted(uint16_t cls, bool polylines)
{
    return cls == CLASS_POLYGON || (polylines && cls == CLASS_POLYLINE) || cls == CLASS_TEXT ||
           cls == CLASS_LEGEND || cls == CLASS_BITMAP || cls == CLASS_PRESENT;
}

int selectAround(HWND window, Finder finder, bool polylines)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
    if (!list)
        return 0;
    MAP_COORDRECT before = kEmptyBoundRect;
    SendOBJectMessage(kernel, list, list, 0, GRM_GETBOUNDRECT, 0, LPARAM(&before));
    MarkMapModified(window);
    const bool keep = GetKeyState(VK_CONTROL) < 0;
    std::vector<bool> flagged(KernGiveAllObjectsAmount(kernel) + 1, false);
    std::vector<OBJHANDLE> selected;
    for (const OBJHANDLE h : targets(kernel, list, REF_SELECTED))
        leaves(kernel, h, selected, 0);
    for (const OBJHANDLE h : selected) {
        if (!accepted(GetOBJectClassID(kernel, h), polylines))
            continue;
        HGLOBAL found = 0;
        uint32_t count = 0;
        if (!finder(window, h, &count, &found) || !found)
            continue;
        if (const auto *p = static_cast<const OBJHANDLE *>(GlobalLock(found))) {
            for (uint32_t i = 0; i < count; ++i)
                if (p[i] < flagged.size())
                    flagged[p[i]] = true;
            GlobalUnlock(found);
        }
        GlobalFree(found);
    }
    // A selected object is never its own neighbour.
    for (const OBJHANDLE h : selected)
        if (h < flagged.size())
            flagged[h] = false;
    HGLOBAL result = 0;
    uint32_t n = 0;
    for (OBJHANDLE h = 1; h < flagged.size(); ++h)
        if (flagged[h] && !HandleListAppend(h, &result, &n)) {
            if (result)
                GlobalFree(result);
            return 0;
        }
    int32_t count = int32_t(n);
    if (result && count > 0)
        AddEnclosingGroups(kernel, &result, &count, 1, 1);
    if (!keep)
        SetOfObjectsUnSelect(window, GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS));
    if (result) {
        if (const auto *p = static_cast<const OBJHANDLE *>(GlobalLock(result))) {
            for (int32_t i = 0; i < count; ++i)
                AddToSelectionWithoutRemoving(kernel, list, p[i]);
            GlobalUnlock(result);
        }
        GlobalFree(result);
    }
    InvalidateGraphRect(window, &before, 1);
    MAP_COORDRECT after = kEmptyBoundRect;
    SendOBJectMessage(kernel, list, list, 0, GRM_GETBOUNDRECT, 0, LPARAM(&after));
    InvalidateGraphRect(window, &after, 1);
    SendMessageA(window, MAPN_SELCOUNT, WPARAM(targets(kernel, list, REF_SELECTED).size()), 0);
    return 1;
}

} // namespace

int map_select_neighbours(HWND window) { return selectAround(window, ObjectTouchingCollect, true); }
int map_select_enclosed(HWND window) { return selectAround(window, ObjectEnclosedCollect, false); }
