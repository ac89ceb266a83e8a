#include "engine/window/window_queries.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"

#include <vector>

namespace {

OBJectKernel *kernelOf(const _WNDRES *window) { return window ? window->kernel : nullptr; }

OBJHANDLE rootOf(const _WNDRES *window, uint16_t classId)
{
    OBJectKernel *kernel = kernelOf(window);
    return kernel ? GetRootOBJKern(kernel, window->rootObject, classId) : 0;
}

bool inDocument(OBJectKernel *kernel, OBJHANDLE h)
{
    return GetOBJectClassID(kernel, h) != 0 && !IsUndoneObj(kernel, h) && !IsOBJectDeleted(kernel, h);
}

// The selection in selection order: the selection list's targets in slot
// order, each selected group followed (when deep) by its members depth
// first. Each object comes once, so that "the next after X" is always
// defined, and a group cycle of a damaged document ends the descent.
std::vector<OBJHANDLE> selectionOrder(OBJectKernel *kernel, OBJHANDLE selList, bool deep)
{
    std::vector<OBJHANDLE> order;
    std::vector<uint8_t> seen(size_t(KernGiveAllObjectsAmount(kernel)) + 1, 0);
    auto take = [&](OBJHANDLE h) {
        if (!h || h >= seen.size() || seen[h] || !inDocument(kernel, h))
            return false;
        seen[h] = 1;
        order.push_back(h);
        return true;
    };
    struct Frame {
        OBJHANDLE group;
        int32_t pos;
    };
    int32_t pos = -1;
    for (OBJHANDLE s = GetReference(kernel, selList, REF_SELECTED, &pos); s;
         s = GetReference(kernel, selList, REF_SELECTED, &pos)) {
        if (!take(s) || !deep || GetOBJectClassID(kernel, s) != CLASS_GROUP)
            continue;
        std::vector<Frame> stack{{s, -1}};
        while (!stack.empty()) {
            Frame &top = stack.back();
            const OBJHANDLE m = GetReference(kernel, top.group, REF_GROUP_MEMBER, &top.pos);
            if (!m || top.pos < 0) {
                stack.pop_back();
                continue;
            }
            if (take(m) && GetOBJectClassID(kernel, m) == CLASS_GROUP)
                stack.push_back({m, -1});
        }
    }
    return order;
}

template <class F>
void forEachTarget(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, F f)
{
    int32_t pos = -1;
    for (OBJHANDLE t = GetReference(kernel, holder, id, &pos); t; t = GetReference(kernel, holder, id, &pos))
        if (!f(t))
            return;
}

int32_t countRefs(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    if (!holder)
        return 0;
    const uint32_t n = GetNumberOfReferencesFrom(kernel, holder, id);
    return n == OBJ_INVALID ? 0 : int32_t(n);
}

} // namespace

OBJHANDLE GetNextHandle(_WNDRES *window, OBJHANDLE after, ObjTypeMask mask)
{
    if (mask & OTM_SELECTION)
        return GetNextHandleSel(window, after, mask);
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel)
        return 0;
    OBJHANDLE h = after;
    while ((h = KernelGetNextHandle(kernel, h)) != 0)
        if (CheckType(kernel, h, mask))
            return h;
    return 0;
}

OBJHANDLE GetNextHandleSel(_WNDRES *window, OBJHANDLE after, ObjTypeMask mask)
{
    OBJectKernel *kernel = kernelOf(window);
    const OBJHANDLE selList = rootOf(window, CLASS_SELLIST);
    if (!selList)
        return 0;
    const std::vector<OBJHANDLE> order = selectionOrder(kernel, selList, (mask & OTM_SELECTED_DEEP) != 0);
    size_t i = 0;
    if (after) {
        while (i < order.size() && order[i] != after)
            ++i;
        if (i == order.size())
            return 0;
        ++i;
    }
    for (; i < order.size(); ++i)
        if (CheckType(kernel, order[i], mask))
            return order[i];
    return 0;
}

int32_t GetHandlesCount(_WNDRES *window, ObjTypeMask mask)
{
    if (mask & OTM_SELECTION)
        return GetHandlesCountSel(window, mask);
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel)
        return 0;
    int32_t n = 0;
    for (OBJHANDLE h = KernelGetNextHandle(kernel, 0); h; h = KernelGetNextHandle(kernel, h))
        n += CheckType(kernel, h, mask);
    return n;
}

int32_t GetHandlesCountSel(_WNDRES *window, ObjTypeMask mask)
{
    if (!(mask & OTM_SELECTION) || !window || !window->hWnd)
        return 0;
    OBJectKernel *kernel = kernelOf(window);
    const OBJHANDLE selList = rootOf(window, CLASS_SELLIST);
    if (!selList)
        return 0;
    int32_t n = 0;
    for (const OBJHANDLE h : selectionOrder(kernel, selList, (mask & OTM_SELECTED_DEEP) != 0))
        n += CheckType(kernel, h, mask);
    return n;
}

int32_t GetGroup(_WNDRES *window, OBJHANDLE group, CMapObjArr *array)
{
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel)
        return 0;
    const int32_t n = countRefs(kernel, group, REF_GROUP_MEMBER);
    if (array && n > 0) {
        array->SetSize(0, 100);
        forEachTarget(kernel, group, REF_GROUP_MEMBER, [&](OBJHANDLE m) {
            array->Add(m);
            return true;
        });
    }
    return n;
}

int32_t GetObjectsType(_WNDRES *window, uint16_t classId, CMapObjArr *array)
{
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel)
        return 0;
    int32_t found = 0;
    for (OBJHANDLE h = KernelGetNextHandle(kernel, 0); h; h = KernelGetNextHandle(kernel, h)) {
        if (classId != 0 && GetOBJectClassID(kernel, h) != classId)
            continue;
        ++found;
        if (array)
            array->Add(h);
    }
    return array ? array->GetSize() : found;
}

int32_t GetLayersCount(_WNDRES *window)
{
    return countRefs(kernelOf(window), rootOf(window, CLASS_LAYERS), REF_LAYER_MEMBER);
}

OBJHANDLE GetNextLayer(_WNDRES *window, OBJHANDLE layer)
{
    OBJectKernel *kernel = kernelOf(window);
    const OBJHANDLE root = rootOf(window, CLASS_LAYERS);
    if (!root)
        return 0;
    OBJHANDLE next = 0;
    bool passed = layer == 0;
    forEachTarget(kernel, root, REF_LAYER_MEMBER, [&](OBJHANDLE t) {
        if (passed) {
            next = t;
            return false;
        }
        passed = t == layer;
        return true;
    });
    return next;
}

int32_t GetIDsCount(_WNDRES *window)
{
    return countRefs(kernelOf(window), rootOf(window, CLASS_IDSLIST), REF_IDLIST_MEMBER);
}
