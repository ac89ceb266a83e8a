// Switching the layer that new objects go into.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

extern "C" {

// Makes a layer the active layer, visible and selectable: the object's own
// layer when an object is given (a layer
// stands for itself), else the layer with the number (-1: the
// active layer). Its other properties stay as they are. 1, or 0 when there
// is no such layer (nothing changes). The first and third arguments are not
// used.
int SetActLayers(void *unused, int32_t number, int flag, HWND window, OBJHANDLE object);

} // extern "C"

// The number of the window's active layer; -1 when there is none.
int32_t ActiveLayerNumber(HWND window);
