#include "engine/kernel/selection_list.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_measures.h"
#include "engine/kernel/unimplemented.h"
#include "platform/window.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

using namespace docmodel;

namespace {

char *listLock(OBJectKernel *kernel, OBJHANDLE list)
{
    if (!IsClass(kernel, list, CLASS_SELLIST))
        return nullptr;
    return GraphHeadLock(kernel, list, SELLIST_FIXED_SIZE);
}

bool isSelectedRef(uint16_t id) { return ((id ^ REF_SELECTED) & REF_IDMASK) == 0; }

// The current object field holds a handle, -1 when none.
OBJHANDLE currentObject(const char *p)
{
    const int32_t v = LoadField<int32_t>(p, GOH_SELSLOT);
    return v == -1 ? 0 : OBJHANDLE(uint32_t(v));
}

OBJHANDLE currentOf(OBJectKernel *kernel, OBJHANDLE list);

void setCurrentObject(char *p, OBJHANDLE object)
{
    StoreField<int32_t>(p, GOH_SELSLOT, object ? int32_t(object) : -1);
}

void markTree(OBJectKernel *kernel, OBJHANDLE object, bool drawnSelected)
{
    if (!IsListObject(kernel, object))
        SetGraphFlags(kernel, object, GF_DRAWNSELECTED, drawnSelected);
    else
        TraversTree(kernel, object, REF_GROUP_MEMBER, SetVisible, nullptr,
                    reinterpret_cast<void *>(intptr_t(drawnSelected ? 1 : 0)));
}

void onSelected(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE object, uint16_t subCode, LPARAM slot)
{
    const HWND window = GetOBJectWnd(kernel, list);
    GraphNotifyWindow(window, MAPNC_SELECTION, object);
    SelectionMeasuresUpdate(kernel, window, list, object, 1);
    {
        // The list default keeps the rectangle and data space; the current
        // object field is a handle, not a slot, so it is kept out of reach.
        const OBJHANDLE current = currentOf(kernel, list);
        DefGraphOBjectProc(kernel, object, list, subCode, OBJM_REFINSERTED, 0, slot);
        if (char *p = listLock(kernel, list))
            setCurrentObject(p, current);
    }
    if (GraphFlags(kernel, object) & GF_SELECTED)
        return;
    SetGraphFlags(kernel, object, GF_SELECTED, true);
    if (char *p = listLock(kernel, list))
        StoreField<uint32_t>(p, offsetof(SelList, lastDeselected), 0);
    if (GraphFlags(kernel, list) & GF_SELLISTCOPY) {
        SetGraphFlags(kernel, object, GF_SELLISTCOPY, true);
        if (window)
            SendMessageA(window, MAPN_LISTCHANGED, 0, LPARAM(object));
    }
    if (!IsClass(kernel, object, CLASS_GROUP))
        SendOBJectMessage(kernel, list, object, 0, GRM_SETSELECTED, 0, 0);
    markTree(kernel, object, true);
}

void onDeselected(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE object)
{
    const HWND window = GetOBJectWnd(kernel, list);
    SelectionMeasuresUpdate(kernel, window, list, object, 0);
    GraphNotifyWindow(window, MAPNC_SELECTION, object);
    const bool copyFlag = (GraphFlags(kernel, list) & GF_SELLISTCOPY) != 0;
    if (copyFlag) {
        if (window)
            SendMessageA(window, MAPN_LISTCHANGED, 0, LPARAM(object));
        SetGraphFlags(kernel, object, GF_SELLISTCOPY, false);
    }
    const char *p = listLock(kernel, list);
    if (p && currentObject(p) == object) {
        SendOBJectMessage(kernel, list, object, 0, GRM_CLEARSELECTED, 0, 0);
        int32_t pos = -1;
        OBJHANDLE next = LastReference(kernel, list, REF_SELECTED, &pos);
        const uint64_t limit = WalkLimit(kernel);
        for (uint64_t i = 0; next && IsClass(kernel, next, CLASS_GROUP) && i < limit; ++i) {
            int32_t memberPos = -1;
            const OBJHANDLE last = LastReference(kernel, next, REF_GROUP_MEMBER, &memberPos);
            if (!last)
                break;
            next = last;
        }
        if (next)
            SendOBJectMessage(kernel, list, next, 0, GRM_SETSELECTED, 0, 0);
        if (char *q = listLock(kernel, list)) {
            setCurrentObject(q, next);
            StoreField<uint32_t>(q, offsetof(SelList, lastDeselected), object);
        }
    }
    {
        const OBJHANDLE current = currentOf(kernel, list);
        DefGraphOBjectProc(kernel, list, list, REF_SELECTED, GRM_CALCBOUNDRECT, 0, 0);
        DefGraphOBjectProc(kernel, list, list, REF_SELECTED, GRM_CALCMAXDATASPACE, 0, 0);
        if (char *q = listLock(kernel, list))
            setCurrentObject(q, current);
    }
    SetGraphFlags(kernel, object, GF_SELECTED, false);
    markTree(kernel, object, false);
}

LRESULT selectionAttributes(OBJectKernel *kernel, OBJHANDLE list, WPARAM wParam, GraphDispl *record)
{
    const SelectionLook look = SelectionLookOf(GetOBJectWnd(kernel, list));
    GraphDispl own{};
    own.mask = GD_LINECOLOR | GD_FILLPATTERN;
    own.lineColor = look.colour;
    own.fillPattern = 0xFFFF;
    own.lineOptions = look.units;
    const int64_t style = int64_t(look.stylePlusOne) - 1;
    if (style >= 0 && style <= 74) {
        own.lineStyle = uint16_t(style);
        own.mask |= GD_LINESTYLE;
    }
    if (look.width != 0xFFFFFFFF) {
        own.lineWidth = look.width ? look.width : 1;
        own.mask |= GD_LINEWIDTH;
    }
    return MergeOwnGraphAttributes(&own, record, wParam != 0);
}

OBJHANDLE currentOf(OBJectKernel *kernel, OBJHANDLE list)
{
    const char *p = listLock(kernel, list);
    return p ? currentObject(p) : 0;
}

void removeFromList(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE object)
{
    const int32_t slot = FindReference(kernel, list, REF_SELECTED, object);
    if (SlotFound(slot))
        RemoveNthReference(kernel, list, slot);
}

} // namespace

OBJHANDLE CreateSelList(OBJectKernel *kernel) { return kernel ? CreateOBJect(kernel, CLASS_SELLIST) : 0; }

int CompareSelected(OBJectKernel *kernel, uint16_t, OBJHANDLE a, uint16_t, OBJHANDLE b)
{
    const bool aList = IsListObject(kernel, a);
    const bool bList = IsListObject(kernel, b);
    if (aList != bList)
        return aList ? 1 : -1;
    if (!aList) {
        const int32_t la = GetOBJectLayerNumber(kernel, a);
        const int32_t lb = GetOBJectLayerNumber(kernel, b);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    return a > b ? 1 : a < b ? -1 : 0;
}

OBJHANDLE SelListClear(OBJectKernel *kernel, OBJHANDLE list)
{
    if (!listLock(kernel, list))
        return 0;
    const HWND window = GetOBJectWnd(kernel, list);
    const SelectionMeasureState m = MeasuresOf(window);
    int32_t savedArea = 0, savedLength = 0;
    if (m.areaOn) {
        savedArea = *m.areaOn;
        savedLength = *m.lengthOn;
        *m.areaOn = 0;
        *m.lengthOn = 0;
    }
    for (int64_t i = int64_t(HeldCount(kernel, list)) - 1; i >= 0; --i)
        if (isSelectedRef(GetNthReferenceID(kernel, list, int32_t(i))))
            RemoveNthReference(kernel, list, int32_t(i));
    SendOBJectMessage(kernel, list, list, 0, GRM_CLEARSELECTED, 0, 0);
    // The handler may have closed the window; look the record up again.
    const SelectionMeasureState after = MeasuresOf(window);
    if (after.areaOn) {
        SelectionMeasuresClear(window);
        *after.areaOn = savedArea;
        *after.lengthOn = savedLength;
    }
    return list;
}

int GetNumberOfSelected(OBJectKernel *kernel, OBJHANDLE list)
{
    if (!listLock(kernel, list))
        return 0;
    const size_t n = RefTargets(kernel, list, REF_SELECTED).size();
    return n > 1 ? 2 : int(n);
}

OBJHANDLE SelectNextGroupLevel(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE object, const _COORDPT *point)
{
    if (!listLock(kernel, list) || !object || !ClassOf(kernel, object))
        return 0;
    if (GraphFlags(kernel, object) & GF_SELECTED)
        removeFromList(kernel, list, object);

    OBJHANDLE candidate = object;
    OBJHANDLE parent = GroupParentGet(kernel, object);
    OBJHANDLE stoppedAt = 0;
    const uint64_t limit = WalkLimit(kernel);
    for (uint64_t steps = 0; IsClass(kernel, parent, CLASS_GROUP) && steps < limit; ++steps) {
        if (SendOBJectMessage(kernel, list, parent, 0, GRM_GETSELECTED, 0, 0) != 0 ||
            (GraphFlags(kernel, parent) & GF_SELECTED)) {
            stoppedAt = parent;
            break;
        }
        candidate = parent;
        parent = GroupParentGet(kernel, parent);
    }
    if (stoppedAt && (GraphFlags(kernel, stoppedAt) & GF_SELECTED))
        removeFromList(kernel, list, stoppedAt);
    if (candidate != object && (GraphFlags(kernel, candidate) & GF_SELECTED))
        removeFromList(kernel, list, candidate);

    InsertRefInPos(kernel, list, REF_SELECTED, candidate, -1, -1);

    _COORDPT keep = kEmptyPoint;
    if (point && RefTargets(kernel, list, REF_SELECTED).size() < 2)
        keep = *point;
    // The whole handle travels: objects above 0xFFFF exist in large documents.
    SendOBJectMessage(kernel, list, list, 0, GRM_SETSELECTED, WPARAM(object), LPARAM(&keep));
    SendOBJectMessage(kernel, list, object, 0, GRM_SETSELECTED, 0, LPARAM(&keep));
    return candidate;
}

uint32_t SetSelection(HWND window, const OBJHANDLE *handles, uint32_t count, int add, int invalidate)
{
    const DocWindow doc = DocOfWindow(window);
    if (!doc.kernel)
        return 0;
    OBJectKernel *kernel = doc.kernel;
    const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
    if (!listLock(kernel, list))
        return 0;
    if (!add) {
        _COORDRECT before = kEmptyBoundRect;
        if (invalidate)
            SendOBJectMessage(kernel, list, list, 0, GRM_GETBOUNDRECT, 0, LPARAM(&before));
        SelListClear(kernel, list);
        if (invalidate)
            InvalidateGraphRect(window, &before, 1);
    }
    uint32_t selected = 0;
    const uint64_t limit = WalkLimit(kernel);
    for (uint32_t i = 0; handles && i < count; ++i) {
        const OBJHANDLE h = handles[i];
        if (!h || !ClassOf(kernel, h))
            continue;
        OBJHANDLE start = h;
        if (IsClass(kernel, h, CLASS_GROUP)) {
            if (SendOBJectMessage(kernel, list, h, 0, GRM_GETSELECTED, 0, 0) != 0 ||
                !FirstTarget(kernel, h, REF_GROUP_MEMBER))
                continue;
            for (uint64_t d = 0; d < limit; ++d) {
                const OBJHANDLE member = FirstTarget(kernel, start, REF_GROUP_MEMBER);
                if (!member)
                    break;
                start = member;
            }
        }
        for (uint64_t tries = 0; tries < limit; ++tries) {
            const OBJHANDLE got = SelectNextGroupLevel(kernel, list, start, nullptr);
            if (got == h) {
                ++selected;
                break;
            }
            if (!got)
                break;
        }
    }
    if (invalidate) {
        _COORDRECT after = kEmptyBoundRect;
        SendOBJectMessage(kernel, list, list, 0, GRM_GETBOUNDRECT, 0, LPARAM(&after));
        InvalidateGraphRect(window, &after, 1);
    }
    return selected;
}

void AddToSelectionWithoutRemoving(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE object)
{
    if (!listLock(kernel, list) || !object || !ClassOf(kernel, object))
        return;
    if (InsertRefInPos(kernel, list, REF_SELECTED, object, -1, -1) == OBJ_INVALID)
        return;
    _COORDPT empty = kEmptyPoint;
    SendOBJectMessage(kernel, list, list, 0, GRM_SETSELECTED, WPARAM(object), LPARAM(&empty));
    SendOBJectMessage(kernel, list, object, 0, GRM_SETSELECTED, 0, LPARAM(&empty));
}

LRESULT SelListOBjectProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                          uint16_t message, WPARAM wParam, LPARAM lParam)
{
    char *p = listLock(kernel, receiver);
    if (!p)
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    switch (message) {
    case OBJM_CREATE: {
        SelList init{};
        init.head.bound = kEmptyBoundRect;
        init.head.flags = GF_INITIAL;
        init.head.selected = kEmptyPoint;
        init.head.selectedSlot = -1;
        init.points[0] = kEmptyPoint;
        init.points[1] = kEmptyPoint;
        std::memcpy(p, &init, sizeof init);
        return 0;
    }
    case OBJM_REFINSERTED:
    case OBJM_REFREMOVED:
        if (!isSelectedRef(subCode) || GetOBJectFlag(kernel, receiver, OBJF_UNDOCOPY))
            return 0;
        if (message == OBJM_REFINSERTED)
            onSelected(kernel, receiver, sender, subCode, lParam);
        else
            onDeselected(kernel, receiver, sender);
        return 0;
    case GRM_GETSELECTED: {
        const OBJHANDLE h =
            wParam ? LoadField<uint32_t>(p, offsetof(SelList, lastDeselected)) : currentObject(p);
        if (lParam)
            *reinterpret_cast<_COORDPT *>(lParam) = LoadField<_COORDPT>(p, GOH_SELPOINT);
        return h ? LRESULT(h) : (wParam ? 0 : -1);
    }
    case GRM_SETSELECTED:
        if (lParam)
            StoreField(p, GOH_SELPOINT, *reinterpret_cast<const _COORDPT *>(lParam));
        setCurrentObject(p, OBJHANDLE(wParam));
        return 0;
    case GRM_CLEARSELECTED:
        setCurrentObject(p, 0);
        StoreField(p, GOH_SELPOINT, kEmptyPoint);
        return 0;
    case GRM_SETSELECTEDREF:
        return 0;
    case GRM_GETVISIBLE:
    case GRM_GETSELECTABLE:
        return 1;
    case GRM_SETFLAGS:
        if (wParam & GF_SELLISTCOPY)
            if (const OBJHANDLE first = FirstTarget(kernel, receiver, REF_SELECTED))
                SendOBJectMessage(kernel, receiver, first, 0, GRM_SETFLAGS, wParam, lParam);
        break;
    case GRM_GETATTRIBUTES:
        if (lParam && GetOBJectWnd(kernel, receiver))
            return selectionAttributes(kernel, receiver, wParam, reinterpret_cast<GraphDispl *>(lParam));
        break;
    case GRM_SELLIST_KEEPRECT: {
        int32_t r[4];
        std::memcpy(r, p + GOH_BOUND, sizeof r);
        std::memcpy(p + offsetof(SelList, keptRect), r, sizeof r);
        return 0;
    }
    case GRM_SELLIST_GETKEPTRECT:
        if (lParam)
            std::memcpy(reinterpret_cast<void *>(lParam), p + offsetof(SelList, keptRect),
                        sizeof(_COORDRECT));
        return 0;
    case OBJM_INFOLINE: {
        const OBJHANDLE current = currentObject(p);
        const _COORDPT pt = LoadField<_COORDPT>(p, GOH_SELPOINT);
        return OwnInfoLines(kernel, sender, receiver, subCode, wParam, lParam,
                            {InfoText("Selected OBJect / point: \t%4X (%5u) / (%6" PRId32 ",%6" PRId32 ")",
                                      current, current, pt.x, pt.y)});
    }
    default:
        break;
    }
    return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
}
