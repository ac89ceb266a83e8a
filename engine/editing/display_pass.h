// The display pass: the engine's one drawing walk. It draws a set of map
// objects (the layers tree, a layer, a group, the selection list or one
// object) into a device context of a map window, in drawing order, asking
// every element whether it is visible, where it lies and which attributes
// apply, and hands it to the painter of its class. It stops as soon as the
// window's stop event is signalled.
#pragma once

#include "engine/editing/display_mode.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/kernel_types.h"
#include "engine/kernel/window_record.h"
#include "platform/types.h"

// 1 when the set was walked (also when empty), 0 when the set is invisible,
// outside its layer's scale range or outside the clip rectangle, or cannot
// be drawn (no record, no context), -1 when the stop event was found
// signalled. inherited may be null; pointBlock is not read. wholeRaster is
// handed to the raster painter; preview makes polygons and polylines thin
// and unfilled (the pass turns it on for a layer in preview on screens).
int SetOfObjectsDisplay(_WNDRES *rec, HDC dc, OBJHANDLE set, uint16_t mode, const GraphDispl *inherited,
                        const void *pointBlock, int wholeRaster, int preview);

// While a pass runs on a window record it is marked running there. Stops
// every pass of the record: signals the stop event, waits until none runs
// (a pass of the calling thread itself is not waited for) and resets the
// event. Whatever changes the map, the view or the vertex bitmap's block
// calls it first. 1; 0 for a null record.
int StopAndWaitDrawing(_WNDRES *rec);
// The number of passes running on the record now (for tests).
int DisplayPassesRunning(const _WNDRES *rec);
