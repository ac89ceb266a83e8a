// Window-level functions of layers: creating, styling, reading, finding and
// ordering the layers of a map window.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// Display flags of map_layer_Create, map_layer_Set and map_layer_Get.
inline constexpr uint16_t LDF_VISIBLE = 1;
inline constexpr uint16_t LDF_SELECTABLE = 2;
inline constexpr uint16_t LDF_ACTIVE = 4;
inline constexpr uint16_t LDF_KEEP_VISIBLE = 8;
inline constexpr uint16_t LDF_KEEP_SELECTABLE = 16;
inline constexpr uint16_t LDF_PREVIEW = 64;
inline constexpr uint16_t LDF_NO_FILL = 128;
// In map_layer_Set: the layer's own visible and selectable state.
inline constexpr uint16_t LDF_OWN_STATE = 2048;
// Layer flag word that leaves the layer flags as they are.
inline constexpr uint16_t LAYER_FLAGS_KEEP = 65535;

extern "C" {

// Makes a layer under the Layers root (a negative or taken number becomes
// the highest + 1; the page layer stays last) with the given look, adds the
// children and puts it under the layer-group root. *layer receives it. 1,
// or 0 when there is no Layers root or no layer could be made.
int map_layer_Create(HWND window, OBJHANDLE *layer, const OBJHANDLE *children, int32_t childCount,
                     int32_t number, const char *name, COLORREF colour, int32_t fill, int32_t lineStyle,
                     int32_t width, uint16_t displayFlags, uint16_t layerFlags, int replace);
// Changes a layer (0: the active layer) as map_layer_Create sets a new one;
// a number that another layer holds leaves number and name unchanged. 0
// unless the handle is a Layer.
int map_layer_Set(HWND window, OBJHANDLE layer, const OBJHANDLE *children, int32_t childCount, int32_t number,
                  const char *name, COLORREF colour, int32_t fill, int32_t lineStyle, int32_t width,
                  uint16_t displayFlags, uint16_t layerFlags, int replace, int unused);
// Reads a layer: its children as CHILDREN_Get, its number, name (cut and
// terminated inside nameSize), look, display flags and layer flags. The
// number of children copied; 0 unless the handle is a Layer.
int32_t map_layer_Get(HWND window, OBJHANDLE layer, int32_t *childCount, OBJHANDLE *children,
                      int32_t capacity, int32_t *number, char *name, uint16_t nameSize, COLORREF *colour,
                      int32_t *fill, int32_t *lineStyle, int32_t *width, uint16_t *displayFlags,
                      uint16_t *layerFlags);
// The first layer with the number (negative: any) and name (null: any);
// with both open the active layer; 0 when none.
OBJHANDLE map_layer_Search(HWND window, int32_t number, const char *name);
// Moves the layer in the drawing order to stand right after the
// predecessor; its new position. A layer that is its own predecessor stays
// where it is. -1 without Layers root, or when the predecessor or the layer
// is not an ordinary layer of the map (the page layer stays last).
int32_t map_layer_predecessor_Set(HWND window, OBJHANDLE layer, OBJHANDLE predecessor);
// The highest layer number, the page layer left out; 0 when none.
int32_t map_get_MaxLayNumber(HWND window);

} // extern "C"
