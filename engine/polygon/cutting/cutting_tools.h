// The cutting tools: the selected polylines, polygons and groups cut against
// each other or by one cutter, replaced by their pieces. The pieces are
// made as new objects (recorded for undo and selected), each in the layer of
// the object it came from; the cut objects are deleted for undo unless the
// setting "Delete Objects After Cliping" is 0.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/kernel/map_obj_arr.h"
#include "platform/types.h"

#include <cstdint>

// Undo step code of the multi-object cut ("Clip").
inline constexpr uint16_t UNDO_CODE_CLIP = 215;

extern "C" {

// Cuts every selected item by every other one and closes one undo step. 0
// when fewer than two items are selected (nothing changes), else 1.
int ToolMultiselectCut(HWND window);
// Cuts every selected item by the cutter, into the undo step the caller
// closes. 0 when the cutter is not a polygon or polyline, else 1.
int ToolSingleCut(HWND window, OBJHANDLE cutter);

} // extern "C"

// The object cut by the cutter through the cutting engine; the pieces are
// appended to the results, or an unlinked copy of the object when there are
// none.
void PolygonCutPolyline(HWND window, OBJHANDLE cutter, OBJHANDLE object, CMapObjArr *results);
// A polygon cut by a polygon through the Boolean engine: the object minus
// the cutter, then their intersection, each ring a new polygon of the
// active layer appended to the results. When the engine does not finish
// completely, or gives nothing at all, an unlinked copy of the object is
// appended instead, so that nothing of it is lost.
void PolygonCutPolygon(HWND window, OBJHANDLE cutter, OBJHANDLE object, CMapObjArr *results);
// A polygon cut by a polyline into the polygons of the faces of its outline
// and the part of the line inside it, new polygons of the active layer (not
// selected, not recorded) appended to the results. The one road of the tools
// and the area labels to this cut.
void CutPolygonAlongPolyline(HWND window, OBJHANDLE polygon, OBJHANDLE polyline, CMapObjArr *results);
