// The figure a mouse tool draws or edits, in map coordinates: its fixed
// points, the point under the cursor and the two before it, its running
// length and area, the object and vertex being edited, the axis locks and
// the windows that show the areas of the polygon parts a dragged line would
// cut. It draws itself as NOT-XOR rubber lines over the map, so that each
// paint erases what the paint before drew.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>
#include <vector>

struct EditFigure {
    std::vector<MAP_COORDPT> points;
    double length = 0.0;
    double area = 0.0;
    double restLength = 0.0; // the selection's length without the edited part
    double restArea = 0.0;
    OBJHANDLE editedObject = 0;
    int32_t vertexIndex = -1;
    int32_t closed = 0;
    int32_t rectangle = 0;
    // The current point is joined to the first point too (a vertex with two
    // neighbours).
    int32_t joinsFirst = 0;
    // The points are the neighbours of an edited vertex, not a chain.
    int32_t neighboursOnly = 0;
    // The points are a whole polyline being moved.
    int32_t wholePolyline = 0;
    MAP_COORDPT current{0, 0};
    MAP_COORDPT previous{0, 0};
    MAP_COORDPT third{0, 0};
    int32_t changed = 0;
    int32_t xLock = 0;
    int32_t yLock = 0;
    int32_t lockedX = 0;
    int32_t lockedY = 0;
    int32_t movedSinceTick = 0;
    HWND areaWindows[3] = {0, 0, 0};

    // Everything but the closed flag and the area windows back to the start.
    void Clear();

    // The running length; 0 without points, else 1.
    int ToolFigureLength(HWND window);
    // The running area of a closed figure or rectangle; 0 for an open figure
    // or fewer than 2 points, else 1.
    int ToolFigureArea(HWND window);

    // Draws the figure for the paint: with full the whole figure, else only
    // what changed since the last paint (the old rubber lines drawn again,
    // which erases them).
    void ToolDisplaySegments(HWND window, HDC dc, int full);
    void ToolDisplayFixedSegments(HWND window, HDC dc, int full, uint16_t firstMark, uint16_t lastMark);
    void ToolDisplayRectangle(HWND window, HDC dc);

    // The preview of the polygon parts that the figure would cut, for the
    // operation state (8 vertex drag, 9 edge drag, 13 polyline move; any
    // other closes the area windows); the engine's answer.
    int ToolPolygonCutStep(HWND window, int state);

    // The length of the chain of fixed points, kept as points are appended
    // (a figure of many clicks is not summed again at every step).
    double chainLength = 0.0;
    size_t chainCount = 0;

    // Axis locks at one step: a lock begins (recording the point's
    // coordinate) while its key is down and ends when it is up.
    void UpdateAxisLocks(const MAP_COORDPT &point);
};

// Draws one segment of the figure through the engine (flags of
// LinesegmentDisplay) under the surface's lock.
void DrawFigureSegment(HWND window, HDC dc, const MAP_COORDPT &a, const MAP_COORDPT &b, uint16_t flags);
