// The bridge between the typed automation objects (KrtPoly, KrtText,
// KrtRaster, KrtLayer, KrtGroup, KrtLegend) and the engine objects they
// stand for: creation when an object is added to a collection, update when
// one is written back, read-back into a new object, deletion and moves.
// Every operation works on the map the control shows now; those that change
// it stop the control's drawing thread first.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/automation_dispatch.h"

#include <cstdint>

class CMapCtrl;

// Type numbers of automation objects (the type library's MapObjectTypes,
// the same as the engine's object type codes).
enum AutomationObjectTypes : int {
    kObjectTypeNone = 0,
    kObjectTypePolyline = 1,
    kObjectTypePolygon = 2,
    kObjectTypeText = 3,
    kObjectTypeLegend = 4,
    kObjectTypeRaster = 5,
    kObjectTypePage = 6,
    kObjectTypeNail = 7,
    kObjectTypePresentation = 8,
    kObjectTypeLayer = 17,
    kObjectTypeGroup = 33,
};

// The type of a typed automation object: 1 (KrtPoly, for polygons too), 3,
// 4, 5, 8, 17 or 33; 0 for anything else (null, a KrtObject, a collection,
// a point, an object of another library).
int AutomationObjectType(IDispatch *object);
// The engine handle the object holds (its hObject); 0 for type 0.
OBJHANDLE AutomationObjectHandle(IDispatch *object);

// Creates the engine object a free-standing automation object describes,
// records it as one undo step and binds the object to the map (handle,
// layer, map). The new handle, or 0 when nothing was made. Throws the
// dispatch error 1003 for a polyline of fewer than two or a polygon of
// fewer than three points (nothing changed), and passes the engine's
// raster errors (1050 to 1052) through.
OBJHANDLE KrtObjectFromAutomation(CMapCtrl &control, IDispatch *object);
// Writes the object into the engine object its own hObject names. The
// handle written, or 0. The same errors as creation.
OBJHANDLE KrtObjectUpdateEngine(CMapCtrl &control, IDispatch *object);
// A new automation object of the engine object's type with its values, one
// reference for the caller; null for types the bridge does not read.
IDispatch *KrtObjectReadEngine(CMapCtrl &control, OBJHANDLE object);
// Deletes the object: a layer with its contents as undo step 102, others
// without an undo step of the bridge's own. Always 0.
int KrtObjectDeleteEngine(CMapCtrl &control, OBJHANDLE object);
// Moves the object by (dx, dy) map units; the engine's result.
int KrtObjectMoveEngine(CMapCtrl &control, OBJHANDLE object, int32_t dx, int32_t dy);

// Invalidates the object's bounding rectangle (4 pixels wider) in the
// control's window. Always 0.
int InvalidateObject(CMapCtrl &control, OBJHANDLE object);
// Moves an object into a layer, the layer's look kept (its preview flag
// cleared); the engine's result.
int MoveObjectToLayer(CMapCtrl &control, OBJHANDLE object, OBJHANDLE layer);
// Sets the map's modified bit.
void MarkMapModified(CMapCtrl &control);
