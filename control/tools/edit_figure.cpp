#include "control/tools/edit_figure.h"

#include "engine/editing/line_segment.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/area_labels/area_labels.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/window_objects.h"
#include "engine/window/wndres.h"
#include "platform/key_state.h"
#include "platform/window_dc.h"

#include <cmath>

namespace {

// Flags of the rubber lines and marks.
constexpr uint16_t kRubber = SEGMENT_DOTTED | SEGMENT_LINE; // 0x44
constexpr uint16_t kOpenFirstMark = SEGMENT_FIRST_TRIANGLE;
constexpr uint16_t kOpenLastMark = SEGMENT_SECOND_TRIANGLE;
constexpr uint16_t kClosedFirstMark = SEGMENT_FIRST_CIRCLE;
constexpr uint16_t kClosedLastMark = SEGMENT_SECOND_CIRCLE;

// The object of the area preview is a temporary one of no layer.
void DeleteTemporary(HWND window, OBJHANDLE object)
{
    if (object)
        map_objects_Delete(window, &object, 1, 0);
}

bool KeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

} // namespace

void DrawFigureSegment(HWND window, HDC dc, const MAP_COORDPT &a, const MAP_COORDPT &b, uint16_t flags)
{
    const Linesegment s{a.x, a.y, b.x, b.y};
    SurfaceDrawLock lock(dc);
    LinesegmentDisplay(window, dc, &s, flags, 0);
}

void EditFigure::Clear()
{
    length = area = restLength = restArea = 0.0;
    editedObject = 0;
    vertexIndex = -1;
    rectangle = joinsFirst = neighboursOnly = wholePolyline = changed = 0;
    xLock = yLock = 0;
    points.clear();
    chainLength = 0.0;
    chainCount = 0;
}

void EditFigure::UpdateAxisLocks(const MAP_COORDPT &point)
{
    if (KeyHeld('X')) {
        if (!xLock)
            lockedX = point.x;
        xLock = 1;
    } else {
        xLock = 0;
    }
    if (KeyHeld('Y')) {
        if (!yLock)
            lockedY = point.y;
        yLock = 1;
    } else {
        yLock = 0;
    }
}

int EditFigure::ToolFigureLength(HWND window)
{
    if (points.empty())
        return 0;
    double sum = restLength;
    const MAP_COORDPT &first = points.front();
    const MAP_COORDPT &last = points.back();
    if (neighboursOnly) {
        if (joinsFirst)
            sum += SetOfLineLength(window, first, current);
        sum += SetOfLineLength(window, last, current);
    } else {
        // The rectangle tool replaces its first point: no kept sum there.
        if (rectangle || chainCount == 0 || chainCount > points.size()) {
            chainLength = 0.0;
            chainCount = 1;
        }
        for (size_t i = chainCount; i < points.size(); ++i)
            chainLength += SetOfLineLength(window, points[i - 1], points[i]);
        chainCount = points.size();
        sum += chainLength;
        sum += SetOfLineLength(window, last, current);
        if (closed || rectangle)
            sum += SetOfLineLength(window, current, first);
    }
    length = sum < 0 ? -sum : sum;
    return 1;
}

int EditFigure::ToolFigureArea(HWND window)
{
    if (!closed && !rectangle)
        return 0;
    area = restArea;
    if (points.size() < 2)
        return 0;
    std::vector<MAP_COORDPT> ring(points);
    ring.push_back(current);
    double a = std::fabs(SetOfLinesegmentArea(uint32_t(ring.size()), ring.data()));
    // On geographic coordinates: square metres on the sphere, scaled by the
    // cosine of the first point's latitude.
    const _WNDRES *record = GetWndRes(window);
    const PresentationManager *view = record ? record->displayView : nullptr;
    if (view && view->projection.baseKind == 4) {
        const tagUnitInfo *unit = FindUnitInfo(view->projection.baseUnit);
        if (unit && unit->factor > 0) {
            constexpr double k = 0.017453292519943278;
            constexpr double r = 6378137.0;
            const double f = unit->factor;
            a = std::cos(points.front().y / f * k) * (a / f * k / f * k) * r * r;
        }
    }
    area = restArea + a;
    return 1;
}

void EditFigure::ToolDisplaySegments(HWND window, HDC dc, int full)
{
    const size_t n = points.size();
    if (n == 0)
        return;
    if (rectangle && n >= 2) {
        ToolDisplayRectangle(window, dc);
        return;
    }
    if (wholePolyline) {
        for (size_t i = 0; i + 1 < n; ++i)
            DrawFigureSegment(window, dc, points[i], points[i + 1], kRubber);
        return;
    }
    const bool joined = (closed || joinsFirst) && n > 1;
    if (!full) {
        DrawFigureSegment(window, dc, points.back(), previous, kRubber);
        if (joined)
            DrawFigureSegment(window, dc, points.front(), previous, kRubber);
    }
    // The neighbours of a dragged vertex are not joined to one another.
    if (!neighboursOnly) {
        if (closed || joinsFirst)
            ToolDisplayFixedSegments(window, dc, full, kClosedFirstMark, kClosedLastMark);
        else
            ToolDisplayFixedSegments(window, dc, full, kOpenFirstMark, kOpenLastMark);
    }
    DrawFigureSegment(window, dc, points.back(), current, kRubber);
    if (joined)
        DrawFigureSegment(window, dc, points.front(), current, kRubber);
    changed = 0;
}

void EditFigure::ToolDisplayFixedSegments(HWND window, HDC dc, int full, uint16_t firstMark,
                                          uint16_t lastMark)
{
    const size_t n = points.size();
    if (n < 2)
        return;
    if (!full) {
        if (!changed)
            return;
        if (n == 2) {
            DrawFigureSegment(window, dc, points[0], points[1], firstMark | lastMark | SEGMENT_LINE);
            return;
        }
        // The former last segment loses its end mark; the new one gets it.
        DrawFigureSegment(window, dc, points[n - 3], points[n - 2], lastMark | SEGMENT_INVERT);
        DrawFigureSegment(window, dc, points[n - 2], points[n - 1], lastMark | 0x84);
        return;
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        uint16_t flags = 0x104;
        if (i == 0)
            flags = firstMark | 0x104;
        else if (i + 2 == n)
            flags = lastMark | SEGMENT_LINE;
        DrawFigureSegment(window, dc, points[i], points[i + 1], flags);
    }
}

void EditFigure::ToolDisplayRectangle(HWND window, HDC dc)
{
    if (points.size() == 2) {
        DrawFigureSegment(window, dc, points[0], points[1], 0x184);
        return;
    }
    if (points.size() != 3)
        return;
    const MAP_COORDPT &q = points[0];
    const MAP_COORDPT &a = points[1];
    const MAP_COORDPT &b = points[2];
    // The moving sides of the step before, drawn again to erase them.
    DrawFigureSegment(window, dc, b, previous, kRubber);
    DrawFigureSegment(window, dc, previous, third, kRubber);
    DrawFigureSegment(window, dc, third, a, kRubber);
    DrawFigureSegment(window, dc, b, current, kRubber);
    DrawFigureSegment(window, dc, current, q, kRubber);
    DrawFigureSegment(window, dc, q, a, kRubber);
    DrawFigureSegment(window, dc, a, b, 0x184);
}

int EditFigure::ToolPolygonCutStep(HWND window, int state)
{
    _WNDRES *record = GetWndRes(window);
    OBJectKernel *kernel = record ? record->kernel : nullptr;
    OBJHANDLE temporary = 0;
    switch (state) {
    case 8:
    case 9: {
        if (!kernel || !editedObject)
            return 0;
        // A copy without the original's links.
        const uint16_t cls = GetOBJectClassID(kernel, editedObject);
        if (!SetOfLinesegmentDuplicate(kernel, editedObject, &temporary, cls))
            return 0;
        if (state == 8) {
            ObjectSetPoint(kernel, temporary, &current, vertexIndex, cls);
        } else if (points.size() >= 2) {
            const Linesegment edge{points[0].x, points[0].y, points[1].x, points[1].y};
            const Linesegment first{points[0].x, points[0].y, current.x, current.y};
            const Linesegment second{points[1].x, points[1].y, current.x, current.y};
            ObjectExpand(kernel, &temporary, &edge, &first, &second, cls);
        }
        break;
    }
    case 13:
        if (points.size() < 2)
            return 0;
        // A polyline on no layer: the document does not see it.
        if (!kernel || !(temporary = CreateOBJect(kernel, CLASS_POLYLINE)))
            return 0;
        if (!PointSetReplacePoints(kernel, &temporary, points.data(), uint32_t(points.size()))) {
            DeleteTemporary(window, temporary);
            return 0;
        }
        break;
    default:
        return CalculatePartsOfPolygonArea(window, 0, areaWindows);
    }
    const int result = CalculatePartsOfPolygonArea(window, temporary, areaWindows);
    DeleteTemporary(window, temporary);
    return result;
}
