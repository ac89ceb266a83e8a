// Labels with the areas of the parts into which a line being drawn would
// divide a polygon. Each label is a child window of the map window that
// keeps the pixels of the map window's surface under it and puts them back
// when it goes, so that labels come and go without a repaint of the map.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <string>

// A label with the text centred on the window point (x, y), sized to the
// text in the window's context. 0 when it cannot be made.
HWND AreaLabelCreate(HWND parent, int x, int y, const std::string &text);
// Changes the label's text in place when (x, y) lies inside it and the text
// keeps its length; otherwise replaces it by a new label at (x, y). Nothing
// happens when *label is not a window.
void AreaLabelUpdate(HWND *label, int x, int y, const std::string &text);
// Where a part's label goes: the centroid of the polygon's points that lie
// in the view's clipping area (its first point when fewer than 3 do), in
// window coordinates. False for a bad window or polygon.
bool PolygonVisibleCentroid(HWND window, OBJHANDLE polygon, POINT *point);

extern "C" {

// While the polyline is drawn across a polygon: shows the areas of its three
// largest parts in labels[0..2] (largest first; 0 where none), reusing the
// labels that still fit. 1 when the labels were brought up to date; 0 when
// the setting "Calculate Parts of Dividing Polygon Area" is off (the labels
// are not touched), or when there is nothing to show (the labels are
// removed).
int CalculatePartsOfPolygonArea(HWND window, OBJHANDLE polyline, HWND labels[3]);

} // extern "C"
