// Window-level functions of the selection: setting, reading and clearing the
// selected objects of a map window and the look they are drawn with.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "engine/kernel/window_record.h"
#include "platform/types.h"

#include <cstdint>

extern "C" {

// Selects the objects (with replace: in place of the present selection; a
// group from its first leaf up to the group itself), then stores the look:
// line flags always, colour unless -1, style when 0 or more, width unless
// -1, show nodes when non-zero (1 positive, 0 negative), pick radius when
// 0 or more. Vertex mode: negative clears the vertex bitmap, positive
// clears it and repaints at once. 1; 0 without selection list.
int map_selection_Set(HWND window, const OBJHANDLE *objects, int32_t count, uint8_t lineFlags,
                      COLORREF colour, int32_t lineStyle, int32_t width, int32_t showNodes,
                      int32_t vertexMode, int32_t pickRadius, int replace, int unused);
// The selected objects as CHILDREN_Get on the selection list, the look and
// the selection's bounding rectangle. 0 without selection list.
int32_t map_selection_Get(HWND window, int32_t *count, OBJHANDLE *objects, int32_t capacity,
                          uint8_t *lineFlags, COLORREF *colour, int32_t *lineStyle, int32_t *width,
                          int32_t *showNodes, int32_t *noSelectionCursor, uint16_t *pickRadius,
                          MAP_COORDRECT *bounds, int leavesOnly);
int map_selection_Clear(HWND window, int unused);
// Unselects each listed object that is selected, without repainting.
int map_objects_Unselect(HWND window, const OBJHANDLE *objects, int32_t count, int unused);
// 1 when the object is selected and not hidden by undo.
int map_IsInSelection(_WNDRES *record, OBJHANDLE object);
int map_RemoveFromSel(_WNDRES *record, OBJHANDLE object);
int map_AddToSel(_WNDRES *record, OBJHANDLE object);
// 1 when the object or a group that encloses it is selected.
int map_object_selection_Get(HWND window, OBJHANDLE object);

} // extern "C"
