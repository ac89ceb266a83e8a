// The polygon doctor: cleans a polygon of repeated points (zero-length
// edges) and back loops (an edge followed by its own reverse) without
// asking, and asks whether to delete a polygon left with too few points.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

extern "C" {

// 0 when *polygon is 0, not a polygon or cannot be read; else 1, also when
// the user chose to delete the polygon (*polygon is then set to 0). The
// deletion marks the map modified and records no undo.
int PolygonDoctor(OBJHANDLE *polygon, HWND window);

} // extern "C"
