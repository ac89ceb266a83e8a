// The query methods: each reports the objects it finds as events of the
// caller's query id, between a begin and an end marker.
#include "control/krt_geometry.h"
#include "control/map_ctrl.h"

#include "engine/editing/object_finders.h"
#include "engine/kernel/map_obj_arr.h"
#include "engine/window/window_children.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_selection.h"

#include <memory>
#include <new>
#include <vector>

namespace {

// The handles a counting call of the engine reports, fetched by a second
// call; empty when the count is 0 or the memory is not there.
template <class Fetch>
std::vector<OBJHANDLE> Fetched(Fetch fetch)
{
    int32_t count = 0;
    fetch(&count, nullptr, 0);
    std::vector<OBJHANDLE> handles;
    if (count <= 0)
        return handles;
    try {
        handles.resize(size_t(count));
    } catch (const std::bad_alloc &) {
        return {};
    }
    int32_t got = 0;
    const int32_t copied = fetch(&got, handles.data(), count);
    handles.resize(size_t(std::clamp(std::min(copied, got), 0, count)));
    return handles;
}

} // namespace

int32_t CMapCtrl::QuerySelection(int32_t queryId)
{
    SetWaitCursor(true);
    FireQueryEvent(EVENT_QUERYSELECTION, queryId, 0, mc_BeginOfObjects);
    const std::vector<OBJHANDLE> selected = Fetched([&](int32_t *count, OBJHANDLE *array, int32_t capacity) {
        const int32_t n = map_selection_Get(m_hWnd, count, array, capacity, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, 0);
        return array ? std::min(n, *count) : n;
    });
    int32_t n = 0;
    for (OBJHANDLE h : selected)
        FireQueryEvent(EVENT_QUERYSELECTION, queryId, h, ++n);
    FireQueryEvent(EVENT_QUERYSELECTION, queryId, 0, mc_EndOfObjects);
    SetWaitCursor(false);
    return n;
}

int32_t CMapCtrl::QueryAllObjects(int32_t queryId)
{
    SetWaitCursor(true);
    FireQueryEvent(EVENT_QUERYALLOBJECTS, queryId, 0, mc_BeginOfObjects);
    int32_t n = 0;
    // Groups, each followed by the groups nested in it.
    auto reportGroup = [&](auto &self, OBJHANDLE group, int depth) -> void {
        FireQueryEvent(EVENT_QUERYALLOBJECTS, queryId, group, ++n);
        if (depth > 256) // a cycle of groups in a damaged document
            return;
        const std::vector<OBJHANDLE> members =
            Fetched([&](int32_t *count, OBJHANDLE *array, int32_t capacity) {
                return map_group_Get(m_hWnd, group, count, array, capacity, 0);
            });
        for (OBJHANDLE m : members)
            if (map_object_type_Get(m_hWnd, m) == MOT_GROUP)
                self(self, m, depth + 1);
    };
    for (OBJHANDLE g : Fetched([&](int32_t *count, OBJHANDLE *array, int32_t capacity) {
             return map_groups_Get(m_hWnd, count, array, capacity);
         }))
        reportGroup(reportGroup, g, 0);
    for (OBJHANDLE layer : Fetched([&](int32_t *count, OBJHANDLE *array, int32_t capacity) {
             return map_layers_Get(m_hWnd, count, array, capacity);
         })) {
        FireQueryEvent(EVENT_QUERYALLOBJECTS, queryId, layer, ++n);
        const std::vector<OBJHANDLE> members =
            Fetched([&](int32_t *count, OBJHANDLE *array, int32_t capacity) {
                return map_layer_Get(m_hWnd, layer, count, array, capacity, nullptr, nullptr, 0, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr);
            });
        for (OBJHANDLE o : members)
            FireQueryEvent(EVENT_QUERYALLOBJECTS, queryId, o, ++n);
    }
    FireQueryEvent(EVENT_QUERYALLOBJECTS, queryId, 0, mc_EndOfObjects);
    SetWaitCursor(false);
    return n;
}

int32_t CMapCtrl::QueryFound(DISPID event, int32_t queryId, const MAP_COORDRECT *mapRect,
                             const RECT *windowRect, bool enclosed)
{
    SetWaitCursor(true);
    // The finders convert objects in the window's scratch buffers, which a
    // drawing thread uses too.
    StopDrawingThread();
    FireQueryEvent(event, queryId, 0, mc_BeginOfObjects);
    std::unique_ptr<CMapObjArr> found(mapRect ? GetObjByMap(m_hWnd, mapRect, enclosed ? 1 : 0, 3)
                                              : GetObjByDevice(m_hWnd, windowRect, enclosed ? 1 : 0, 3, -1));
    int32_t n = 0;
    if (found)
        for (int32_t i = 0; i < found->GetSize(); ++i)
            FireQueryEvent(event, queryId, found->GetAt(i), ++n);
    FireQueryEvent(event, queryId, 0, mc_EndOfObjects);
    SetWaitCursor(false);
    return n;
}

int32_t CMapCtrl::QueryByMapPoint(int32_t queryId, IDispatch *point)
{
    const KrtPoint *p = AsKrtPoint(point);
    if (!p)
        return 0;
    const MAP_COORDRECT r{p->x, p->y, p->x, p->y};
    return QueryFound(EVENT_QUERYBYMAPPOINT, queryId, &r, nullptr, false);
}

int32_t CMapCtrl::QueryByWndPoint(int32_t queryId, IDispatch *point)
{
    const KrtPoint *p = AsKrtPoint(point);
    if (!p)
        return 0;
    const RECT r{p->x, p->y, p->x, p->y};
    return QueryFound(EVENT_QUERYBYWNDPOINT, queryId, nullptr, &r, false);
}

int32_t CMapCtrl::QueryByMapRect(int32_t queryId, IDispatch *rect, bool enclosed)
{
    const KrtRect *k = AsKrtRect(rect);
    if (!k)
        return 0;
    const MAP_COORDRECT r{k->left, k->top, k->right, k->bottom};
    return QueryFound(EVENT_QUERYBYMAPRECT, queryId, &r, nullptr, enclosed);
}

int32_t CMapCtrl::QueryByWndRect(int32_t queryId, IDispatch *rect, bool enclosed)
{
    const KrtRect *k = AsKrtRect(rect);
    if (!k)
        return 0;
    const RECT r{k->left, k->top, k->right, k->bottom};
    return QueryFound(EVENT_QUERYBYWNDRECT, queryId, nullptr, &r, enclosed);
}
