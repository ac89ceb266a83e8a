#include "engine/polygon/buffer/buffer_commands.h"

#include "engine/editing/operations/operation_support.h"
#include "engine/editing/operations/polygon_boolean.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/editing/tools/grouping.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/buffer/buffering_dialog.h"
#include "platform/message_box.h"
#include "platform/window.h"

#include <algorithm>
#include <vector>

namespace {

void Progress(HWND window, WPARAM kind, LPARAM value) { SendMessageA(window, MAPN_PROGRESS, kind, value); }

void SendSelectionCount(HWND window)
{
    SendMessageA(window, MAPN_SELCOUNT, WPARAM(SelectedObjects(window).size()), 0);
}

OBJHANDLE LayersRoot(_WNDRES *rec) { return GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_LAYERS); }

// Taking the selection away before the first zone is made: the selection
// list, the layers and the selected objects are recorded first, so that
// undoing the run gives the selection back as it was. A run that makes
// nothing takes the selection away without an undo record.
class RunSelection {
public:
    explicit RunSelection(HWND window) : window_(window), rec_(GetWndRes(window)) {}
    void open()
    {
        if (opened_ || !rec_ || !rec_->kernel)
            return;
        opened_ = true;
        OBJectKernel *kernel = rec_->kernel;
        std::vector<OBJHANDLE> containers{LayersRoot(rec_),
                                          GetRootOBJKern(kernel, rec_->rootObject, CLASS_SELLIST)};
        for (OBJHANDLE item : SelectedObjects(window_))
            containers.push_back(item);
        for (OBJHANDLE leaf : SelectedLeaves(window_)) {
            containers.push_back(leaf);
            containers.push_back(GetOBJectLayer(kernel, leaf));
        }
        std::sort(containers.begin(), containers.end());
        containers.erase(std::unique(containers.begin(), containers.end()), containers.end());
        for (OBJHANDLE container : containers)
            if (container)
                Undo_ChangeObject(kernel, container);
        SetOfObjectsUnSelect(window_, LayersRoot(rec_));
    }
    void finish()
    {
        if (!opened_ && rec_ && rec_->kernel)
            SetOfObjectsUnSelect(window_, LayersRoot(rec_));
        opened_ = true;
    }

private:
    HWND window_;
    _WNDRES *rec_;
    bool opened_ = false;
};

// Hands a zone to the polygon creation (new polygons of the active layer,
// recorded as added and selected), which frees it.
void CreateZone(HWND window, RunSelection &selection, PlgOpResult *set)
{
    if (set && set->numPolygons > 0) {
        selection.open();
        DisplaySelectAndDelPolygonStruct(window, set, nullptr, 1, 1);
    } else {
        DeletePlgOpResult(set);
    }
}

std::vector<MAP_COORDPT> ReadPoints(OBJectKernel *kernel, OBJHANDLE object)
{
    std::vector<MAP_COORDPT> points;
    PointSetAccess access;
    if (LockPointSet(kernel, object, access)) {
        points.reserve(access.count);
        for (uint32_t i = 0; i < access.count; ++i)
            points.push_back(access.at(i));
    }
    return points;
}

void TextBuffer(HWND window, RunSelection &selection, OBJectKernel *kernel, OBJHANDLE text, int64_t size,
                int32_t segments)
{
    int32_t anchor[2] = {0, 0};
    SendOBJectMessage(kernel, text, text, 0, GRM_GETANCHOR, 0, LPARAM(anchor));
    const BufferResult zone = TextBufferOutline({anchor[0], anchor[1]}, size, segments);
    if (zone.outcome == BufferOutcome::Made)
        CreateZone(window, selection, zone.set);
}

// Steps 10 and 11 of every run: the undo step closed when something was
// recorded, the old and the new selection areas repainted.
void FinishRun(HWND window, UndoStepScope &step, const MAP_COORDRECT *before)
{
    step.Close(UNDO_CODE_BUFFERING);
    if (before)
        InvalidateMapArea(window, *before);
    MAP_COORDRECT after{};
    if (SelectionBounds(window, after))
        InvalidateMapArea(window, after);
}

bool ValidEnums(int32_t endings, int32_t corners, int32_t type, int32_t calculation)
{
    return endings >= mc_EndingsNo && endings <= mc_EndingsRounded && corners >= mc_CornerSharped &&
           corners <= mc_CornerRounded && type >= mc_BufferInner && type <= mc_BufferBoth &&
           calculation >= mc_CalculationDefault && calculation <= mc_CalculationEx;
}

} // namespace

namespace {

BufferOutcome BufferOne(HWND window, RunSelection &selection, OBJHANDLE object,
                        const BufferParameters &parameters, int calculation)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return BufferOutcome::Failed;
    const uint16_t classId = GetOBJectClassID(rec->kernel, object);
    if (classId != CLASS_POLYGON && classId != CLASS_POLYLINE)
        return BufferOutcome::TooFew;
    const std::vector<MAP_COORDPT> points = ReadPoints(rec->kernel, object);
    if (points.empty())
        return BufferOutcome::TooFew;

    WaitCursorScope wait;
    Progress(window, MAPN_KIND_BUFFER, MAPN_PROGRESS_START);
    Progress(window, MAPN_KIND_RUNNING, 0);
    const BufferProgress progress = [window](double percent) {
        Progress(window, MAPN_KIND_RUNNING, LPARAM(int32_t(percent)));
    };
    const bool polygon = classId == CLASS_POLYGON;
    const BufferResult zone = calculation == mc_CalculationEx
                                  ? ExtendedBufferOutline(points, polygon, parameters, progress)
                                  : DefaultBufferOutline(points, polygon, parameters, progress);
    if (zone.outcome == BufferOutcome::Made)
        CreateZone(window, selection, zone.set);
    // Every object's run ends its progress, whatever became of it.
    Progress(window, MAPN_KIND_RUNNING, MAPN_PROGRESS_END);
    SendSelectionCount(window);
    return zone.outcome;
}

} // namespace

BufferOutcome BufferObject(HWND window, OBJHANDLE object, const BufferParameters &parameters, int calculation)
{
    RunSelection selection(window);
    const BufferOutcome outcome = BufferOne(window, selection, object, parameters, calculation);
    selection.finish();
    return outcome;
}

int map_create_buffer2(HWND window, int32_t size, int32_t segments, int32_t endings, int32_t corners,
                       int32_t type, int32_t parallelLength, int32_t calculation)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || size == 0 || segments < 1 || segments > kBufferMaxCircleSegments ||
        !ValidEnums(endings, corners, type, calculation))
        return 0;
    OBJectKernel *kernel = rec->kernel;
    UndoStepScope step(window);
    MAP_COORDRECT before{};
    const bool haveBefore = SelectionBounds(window, before);

    const std::vector<OBJHANDLE> leaves = SelectedLeaves(window);
    int polygons = 0, others = 0;
    for (OBJHANDLE h : leaves) {
        const uint16_t classId = GetOBJectClassID(kernel, h);
        polygons += classId == CLASS_POLYGON;
        others += classId == CLASS_POLYLINE || classId == CLASS_TEXT;
    }
    if (polygons + others == 0)
        return 0;

    // 64 bits: the most negative size has no positive 32-bit partner.
    int64_t s = size;
    if (s < 0) {
        s = -s;
        if (type == mc_BufferOuter)
            type = mc_BufferInner;
    }
    std::vector<OBJHANDLE> lines, texts;
    for (OBJHANDLE h : leaves) {
        const uint16_t classId = GetOBJectClassID(kernel, h);
        if (classId == CLASS_POLYGON || (classId == CLASS_POLYLINE && type != mc_BufferInner))
            lines.push_back(h);
        else if (classId == CLASS_TEXT && type != mc_BufferInner && !DoesTextContainId(kernel, h))
            texts.push_back(h);
    }
    RunSelection selection(window);
    if (polygons == 0 && type == mc_BufferInner) {
        selection.finish();
        return 0;
    }

    for (OBJHANDLE text : texts)
        TextBuffer(window, selection, kernel, text, s, segments - 1);
    BufferParameters parameters;
    parameters.size = s;
    parameters.segments = segments - 1;
    parameters.corners = corners;
    parameters.endings = endings;
    parameters.times = parallelLength;
    parameters.type = type;
    for (OBJHANDLE h : lines)
        BufferOne(window, selection, h, parameters, calculation);
    selection.finish();
    FinishRun(window, step, haveBefore ? &before : nullptr);
    return 1;
}

namespace {

// The dialog's answer as a run's size and type; false on Cancel or a size
// of 0.
bool AskParameters(HWND window, CBufferingDlg &dialog, int64_t *size, int32_t *type)
{
    dialog.Initialize(GetWndRes(window));
    if (dialog.DoModal(window) != IDOK || dialog.bufferSize == 0)
        return false;
    int64_t s = dialog.bufferSize;
    if (dialog.bothSides) {
        *type = mc_BufferBoth;
        s = s < 0 ? -s : s;
    } else if (s < 0) {
        *type = mc_BufferInner;
        s = -s;
    } else {
        *type = mc_BufferOuter;
    }
    *size = s;
    return true;
}

} // namespace

int map_create_buffer(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    bool any = false;
    for (OBJHANDLE h : SelectedLeaves(window)) {
        const uint16_t classId = GetOBJectClassID(rec->kernel, h);
        any = any || classId == CLASS_POLYGON || classId == CLASS_POLYLINE || classId == CLASS_TEXT;
    }
    if (!any)
        return 0;
    CBufferingDlg dialog;
    int64_t size = 0;
    int32_t type = 0;
    if (!AskParameters(window, dialog, &size, &type))
        return 0;
    return map_create_buffer2(window, int32_t(size), dialog.circleSegments, dialog.endingsType,
                              dialog.cornersType, type, dialog.times, dialog.calculationType);
}

int map_create_buffer_single(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    const std::vector<OBJHANDLE> selected = SelectedObjects(window);
    if (selected.empty())
        return 0;
    const OBJHANDLE object = selected.front();
    const uint16_t classId = GetOBJectClassID(rec->kernel, object);
    if (classId != CLASS_POLYGON && classId != CLASS_POLYLINE)
        return 0;
    CBufferingDlg dialog;
    int64_t size = 0;
    int32_t type = 0;
    if (!AskParameters(window, dialog, &size, &type) || dialog.circleSegments < 1 ||
        dialog.circleSegments > kBufferMaxCircleSegments ||
        !ValidEnums(dialog.endingsType, dialog.cornersType, type, dialog.calculationType))
        return 0;
    UndoStepScope step(window);
    MAP_COORDRECT before{};
    const bool haveBefore = SelectionBounds(window, before);
    RunSelection selection(window);
    BufferParameters parameters;
    parameters.size = size;
    parameters.segments = dialog.circleSegments - 1;
    parameters.corners = dialog.cornersType;
    parameters.endings = dialog.endingsType;
    parameters.times = dialog.times;
    // The type matters only for polygons.
    parameters.type = classId == CLASS_POLYLINE ? mc_BufferInner : type;
    BufferOne(window, selection, object, parameters, dialog.calculationType);
    selection.finish();
    FinishRun(window, step, haveBefore ? &before : nullptr);
    return 1;
}
