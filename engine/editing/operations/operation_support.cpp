#include "engine/editing/operations/operation_support.h"

#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/window/window_access.h"
#include "engine/window/window_selection.h"
#include "engine/window/window_view.h"

#include <unordered_set>

std::vector<OBJHANDLE> SelectedObjects(HWND window)
{
    const MapDoc doc(window);
    std::vector<OBJHANDLE> out;
    const OBJHANDLE list = doc.root(CLASS_SELLIST);
    if (!list)
        return out;
    int32_t pos = -1;
    while (OBJHANDLE h = GetReference(doc.kernel, list, REF_SELECTED, &pos))
        out.push_back(h);
    return out;
}

std::vector<OBJHANDLE> GroupLeaves(OBJectKernel *kernel, OBJHANDLE group)
{
    std::vector<OBJHANDLE> out(GetChildrenOBJS(kernel, group, REF_GROUP_MEMBER, 0, nullptr, 1));
    if (!out.empty())
        out.resize(GetChildrenOBJS(kernel, group, REF_GROUP_MEMBER, int32_t(out.size()), out.data(), 1));
    return out;
}

std::vector<OBJHANDLE> SelectedLeaves(HWND window)
{
    const MapDoc doc(window);
    std::vector<OBJHANDLE> out;
    std::unordered_set<OBJHANDLE> seen;
    for (OBJHANDLE h : SelectedObjects(window)) {
        const std::vector<OBJHANDLE> leaves =
            doc.classOf(h) == CLASS_GROUP ? GroupLeaves(doc.kernel, h) : std::vector<OBJHANDLE>{h};
        for (OBJHANDLE leaf : leaves)
            if (seen.insert(leaf).second)
                out.push_back(leaf);
    }
    return out;
}

bool SelectionBounds(HWND window, MAP_COORDRECT &rect)
{
    int32_t count = 0;
    rect = kEmptyBoundRect;
    if (!map_selection_Get(window, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, &rect, 0))
        return false;
    return count > 0;
}

void InvalidateMapArea(HWND window, const MAP_COORDRECT &rect)
{
    if (rect.x1 <= rect.x2 && rect.y1 <= rect.y2)
        map_rect_Invalidate(window, &rect);
}

int EngineSettingInt(const char *name, int missing)
{
    int value = 0;
    return m_RegValueGet("Settings", name, &value) ? value : missing;
}

UndoStepScope::UndoStepScope(HWND window) : window_(window), kernel_(MapDoc(window).kernel)
{
    position_ = kernel_ ? Undo_GetPositionCurStep(kernel_) : 0;
}

bool UndoStepScope::moved() const { return kernel_ && Undo_GetPositionCurStep(kernel_) != position_; }

bool UndoStepScope::Close(uint16_t code)
{
    if (!moved())
        return false;
    Undo_SetNewStep(window_, kernel_, code);
    SetMapModified(window_);
    position_ = Undo_GetPositionCurStep(kernel_);
    return true;
}

void SetMapModified(HWND window)
{
    if (_WNDRES *rec = window ? GetWndRes(window) : nullptr)
        rec->flags |= WNDRES_MODIFIED;
}

void SendProgress(HWND window, WPARAM kind, LPARAM value)
{
    SendMessageA(window, MAPN_PROGRESS, kind, value);
}
