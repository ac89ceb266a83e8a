// Painting the map of a window: the visible objects that are not selected,
// then the selection with its marks, limited to the map area under a window
// rectangle and stopped half-way by the window's stop event; the repaint of
// the whole map; and the right-button click on the map.
#pragma once

#include "engine/kernel/window_record.h"
#include "platform/types.h"

// 1 when drawn to the end, -1 when the stop event ended the drawing (the
// selection is then not drawn), 0 without a record, context or Layers root,
// or when the drawn set is not visible. With selectionOnly only the
// selected objects are drawn. The display pass is limited to the map area
// under rect (cut to what the window displays); that limit is this call's
// own: one left by another rendering does not narrow it and is back as it
// was when the call ends.
long OnDstrPaint(_WNDRES *rec, HDC dc, const RECT *rect, int selectionOnly);

// Invalidates the map's stored extent (with a 4-pixel margin) and the whole
// client area.
void RefreshMapWindow(HWND window);

// The right button on the map: a click on the nail shows the nail's popup
// menu. Raster objects, which answer it with a dialog, have no such
// handling yet. Always 1.
long OnDstrRBD(HWND window, POINT point);
