#include "engine/editing/polyline_queue.h"

#include "engine/editing/handle_list.h"
#include "engine/editing/point_set.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/window/map_notifications.h"
#include "engine/window/wndres.h"
#include "platform/global_memory.h"
#include "platform/window.h"

namespace {

struct Chain {
    OBJectKernel *kernel = nullptr;
    OBJHANDLE list = 0;
    OBJHANDLE last = 0;     // L: the last selected object
    int32_t lastSlot = -1;  // its reference slot in the list
    OBJHANDLE taken = 0;    // D: the last deselected object
    MAP_COORDPT freeEnd{};  // P
    MAP_COORDRECT before{}; // the list's rectangle at the start
};

MAP_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, GOH_SIZE);
    return p ? LoadField<MAP_COORDRECT>(p, GOH_BOUND) : kEmptyBoundRect;
}

bool openChain(HWND window, Chain &c)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return false;
    c.kernel = rec->kernel;
    c.list = GetRootOBJKern(c.kernel, rec->rootObject, CLASS_SELLIST);
    if (!c.list)
        return false;
    c.before = boundOf(c.kernel, c.list);
    c.last = LastReference(c.kernel, c.list, REF_SELECTED, &c.lastSlot);
    c.taken =
        OBJHANDLE(SendOBJectMessage(c.kernel, c.list, c.list, 0, GRM_GETSELECTED, 1, LPARAM(&c.freeEnd)));
    return c.last != 0;
}

// The free end of the chain: the list's point when it is an end of L, else
// the end of L on the point's side.
bool findFreeEnd(Chain &c)
{
    if (GetOBJectClassID(c.kernel, c.last) != CLASS_POLYLINE)
        return false;
    if (SetOfLinesegmentIsEndPoint(c.kernel, c.last, &c.freeEnd))
        return true;
    const int32_t n = SetOfLinesegmentPointsCount(c.kernel, c.last);
    if (n <= 0)
        return false;
    const int32_t i = SetOfLinesegmentPointIndex(c.kernel, c.last, &c.freeEnd);
    return SetOfLinesegmentPointGet(c.kernel, c.last, (i >= 0 && i < n / 2) ? 0 : -1, &c.freeEnd) != nullptr;
}

OBJHANDLE chooseCandidate(HGLOBAL list, uint32_t count, OBJHANDLE taken)
{
    for (uint32_t i = 0; taken && i + 1 < count; ++i)
        if (HandleListAt(list, count, i) == taken) {
            const OBJHANDLE next = HandleListAt(list, count, i + 1);
            return next ? next : HandleListAt(list, count, 0);
        }
    return HandleListAt(list, count, 0);
}

void finish(HWND window, const Chain &c)
{
    InvalidateGraphRect(window, &c.before, 1);
    const MAP_COORDRECT now = boundOf(c.kernel, c.list);
    InvalidateGraphRect(window, &now, 1);
    const uint32_t selected = GetNumberOfReferencesFrom(c.kernel, c.list, REF_SELECTED);
    SendMessageA(window, MAPN_SELCOUNT, WPARAM(selected), 0);
}

void addToQueue(HWND window, bool nearest)
{
    Chain c;
    if (!openChain(window, c) || !findFreeEnd(c))
        return;
    HGLOBAL candidates = 0;
    uint32_t count = 0;
    if (nearest) {
        candidates = HandleListNew();
        if (!candidates)
            return;
        const OBJHANDLE layer = GetOBJectLayer(c.kernel, c.last);
        if (!layer || !CollectNearestPolylines(window, &c.freeEnd, layer, &count, &candidates))
            count = 0;
    } else {
        ObjectListCollect(window, COLLECT_AT_POINT, &c.freeEnd,
                          COLLECT_NO_FLAG8 | COLLECT_POLYLINES | COLLECT_ENDPOINT, &count, &candidates);
    }
    const OBJHANDLE next = count ? chooseCandidate(candidates, count, c.taken) : 0;
    if (candidates)
        GlobalFree(candidates);
    if (!next)
        return;
    AddToSelectionWithoutRemoving(c.kernel, c.list, next);
    MAP_COORDPT end = c.freeEnd;
    if (!nearest) {
        MAP_COORDPT first{};
        if (SetOfLinesegmentPointGet(c.kernel, next, 0, &first))
            SetOfLinesegmentPointGet(c.kernel, next, CoordPtEqual(first, c.freeEnd) ? -1 : 0, &end);
        SendOBJectMessage(c.kernel, c.list, c.last, 0, GRM_CLEARSELECTED, 0, 0);
    }
    SendOBJectMessage(c.kernel, c.list, c.list, 0, GRM_SETSELECTED, WPARAM(next), LPARAM(&end));
    SendOBJectMessage(c.kernel, c.list, next, 0, GRM_SETSELECTED, 0, LPARAM(&end));
    finish(window, c);
}

} // namespace

void AddPolylineToQueue(HWND window) { addToQueue(window, false); }

void AddNearestPolylineToQueue(HWND window) { addToQueue(window, true); }

void RemovePolylineFromQueue(HWND window)
{
    Chain c;
    if (!openChain(window, c))
        return;
    const OBJHANDLE removed = c.last;
    const MAP_COORDRECT removedRect = boundOf(c.kernel, removed);
    SendOBJectMessage(c.kernel, c.list, removed, 0, GRM_CLEARSELECTED, 0, 0);
    RemoveNthReference(c.kernel, c.list, c.lastSlot);
    InvalidateGraphRect(window, &removedRect, 1);
    int32_t slot = -1;
    if (const OBJHANDLE now = LastReference(c.kernel, c.list, REF_SELECTED, &slot)) {
        MAP_COORDPT common{};
        const bool keep = GetOBJectClassID(c.kernel, removed) == CLASS_POLYLINE &&
                          GetOBJectClassID(c.kernel, now) == CLASS_POLYLINE &&
                          SetOfLinesegmentIsEndPoint(c.kernel, removed, &c.freeEnd) &&
                          SetOfLinesegmentCommonEndPoint(c.kernel, removed, now, &common) &&
                          !CoordPtEqual(common, c.freeEnd);
        SendOBJectMessage(c.kernel, c.list, now, 0, GRM_SETSELECTED, WPARAM(int32_t(-2)),
                          keep ? LPARAM(&common) : 0);
        SendOBJectMessage(c.kernel, c.list, c.list, 0, GRM_SETSELECTED, WPARAM(now),
                          keep ? LPARAM(&common) : 0);
    }
    finish(window, c);
}
