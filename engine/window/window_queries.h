// Queries of a map window's document: objects by type mask, with or without
// the selection, group members, objects of a class, layers and identifiers.
// The window record names the kernel and the AllOBJects object; a record
// without kernel (or a missing root) makes every query return 0.
#pragma once

#include "engine/kernel/map_obj_arr.h"
#include "engine/kernel/object_queries.h"

#include <cstdint>

struct _WNDRES;

// The next object after `after` (0: from the start) in handle order that
// matches the mask; a mask with a selection bit goes to GetNextHandleSel.
OBJHANDLE GetNextHandle(_WNDRES *window, OBJHANDLE after, ObjTypeMask mask);
// The next object after `after` (0: from the start) in selection order that
// matches the mask. With OTM_SELECTED_DEEP each selected group is followed
// by its members, depth first. Every object comes once in that order.
OBJHANDLE GetNextHandleSel(_WNDRES *window, OBJHANDLE after, ObjTypeMask mask);
int32_t GetHandlesCount(_WNDRES *window, ObjTypeMask mask);
// 0 when the mask has no selection bit or the record has no window.
int32_t GetHandlesCountSel(_WNDRES *window, ObjTypeMask mask);
// Number of the group's members; with an array, the array holds exactly the
// members in order afterwards (growth step 100).
int32_t GetGroup(_WNDRES *window, OBJHANDLE group, CMapObjArr *array);
// Appends every object of the class (0: every object) in handle order; the
// array's count afterwards. Without an array, the number of such objects.
int32_t GetObjectsType(_WNDRES *window, uint16_t classId, CMapObjArr *array);
int32_t GetLayersCount(_WNDRES *window);
// The layer after the given one in drawing order (0: the first layer); 0
// after the last or when the layer is not found.
OBJHANDLE GetNextLayer(_WNDRES *window, OBJHANDLE layer);
int32_t GetIDsCount(_WNDRES *window);
