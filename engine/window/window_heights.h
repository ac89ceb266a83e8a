// Heights of objects: the 3-D point and cube of the interface, the helpers
// that keep height ranges, and the window-level functions of objects with
// heights.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

extern "C" {

// The empty cube: minimums 0x7FFFFFFF, maximums -2147483647.
void Init3dBoundRect(MAP3D_COORDCUBE *cube);
// The empty range (0x7FFFFFFF, -2147483647); the same as InitZB.
void z_InitBounds(Z_BOUNDS *range);
// Widens the range to include the other one; 1 when it changed. An empty
// other range changes nothing.
int z_SumBounds(Z_BOUNDS *range, const Z_BOUNDS *other);
// 1 when the object carries heights.
int map3d_is_object_3d(HWND window, OBJHANDLE object);

} // extern "C"
