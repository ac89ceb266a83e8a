#include "engine/editing/tools/undo_helpers.h"

#include "engine/editing/operations/operation_support.h"
#include "engine/kernel/bank.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_access.h"

#include <algorithm>
#include <vector>

void UndoDropRecordsSince(OBJectKernel *kernel, int position) { Undo_DropSince(kernel, position); }

void MarkMapModified(HWND window)
{
    if (_WNDRES *rec = GetWndRes(window))
        rec->flags |= WNDRES_MODIFIED;
}

void RecomputeSelectionMeasures(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return;
    const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
    if (!list)
        return;
    double length = 0, area = 0;
    SendOBJectMessage(rec->kernel, list, list, REF_FILTER_FORWARD, GRM_SUMMEASURE,
                      SUMMEASURE_ALL | SUMMEASURE_LENGTH, LPARAM(&length));
    SendOBJectMessage(rec->kernel, list, list, REF_FILTER_FORWARD, GRM_SUMMEASURE,
                      SUMMEASURE_ALL | SUMMEASURE_AREA, LPARAM(&area));
    rec->selLength = length;
    rec->selArea = area;
}

void UndoForgetObject(OBJectKernel *kernel, OBJHANDLE object)
{
    if (!kernel || !kernel->bank || !object)
        return;
    for (void *record : kernel->bank->undoRecords) {
        const uint16_t kind = UndoRecordKind(record);
        if (kind != UNDO_ADDED && kind != UNDO_DELETED)
            continue;
        auto *r = static_cast<UndoObjectRecord *>(record);
        if (r->handle == object)
            r->handle = 0;
    }
}

void UndoRecordSelection(HWND window)
{
    const MapDoc doc(window);
    if (!doc)
        return;
    const OBJHANDLE layers = doc.root(CLASS_LAYERS);
    std::vector<OBJHANDLE> changed{layers, doc.root(CLASS_SELLIST), GetActiveLayer(doc.kernel, layers)};
    std::vector<OBJHANDLE> selected = SelectedObjects(window);
    const std::vector<OBJHANDLE> leaves = SelectedLeaves(window);
    selected.insert(selected.end(), leaves.begin(), leaves.end());
    for (OBJHANDLE h : selected) {
        changed.push_back(h);
        changed.push_back(GetOBJectLayer(doc.kernel, h));
    }
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    for (OBJHANDLE h : changed)
        if (h)
            Undo_ChangeObject(doc.kernel, h);
}
