// The outline of the selection while the object move tool drags it: the
// corners of the selection's bounding rectangle as the drag would place
// them, shifted, or turned and scaled about the nail when the nail's
// switches say so. The paint draws it as a dotted NOT-XOR outline.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

#include <cstdint>

class CMapCtrl;

struct MovePreview {
    int32_t moveX = 0;
    int32_t moveY = 0;
    MAP_COORDPT startCorners[4]{};
    MAP_COORDPT movedCorners[4]{};
    POINT windowCorners[5]{};
    // The single selected object is the page: points are world coordinates.
    uint16_t pageMode = 0;
    MAP_COORDPT start{0, 0};
    MAP_COORDPT current{0, 0};
    HWND window = 0;
    int32_t xLock = 0;
    int32_t yLock = 0;
    int32_t lockedX = 0;
    int32_t lockedY = 0;

    // Fills the record for a drag from s (map coordinates); 0 without a
    // window or selection.
    int MovePreviewStart(HWND window, const MAP_COORDPT &s);
    // The outline for the drag point p; 1.
    int MovePreviewStep(const MAP_COORDPT &p);
    // Draws the outline (NOT-XOR, dotted) for the paint.
    void ToolDrawRubberBand(HDC dc) const;
};
