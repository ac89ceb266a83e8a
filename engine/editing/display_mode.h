// The display mode word: what the display pass and the painters of map
// objects draw. The pass hands it on unchanged except where a bit says.
#pragma once

#include <cstdint>

// Only objects flagged as selected (graph flag 0x1000); without it only
// unflagged objects that answer visible.
inline constexpr uint16_t DM_SELECTED_ONLY = 0x0001;
// Fills and outlines of polygons and polylines; without it only marks.
inline constexpr uint16_t DM_DRAW = 0x0004;
// Vertex marks (either bit); cleared when the window hides selected nodes.
inline constexpr uint16_t DM_VERTICES = 0x0008;
inline constexpr uint16_t DM_VERTICES_TOO = 0x0200;
// The midpoints of the edges next to the selected vertex.
inline constexpr uint16_t DM_EDGE_MIDPOINTS = 0x0010;
// Inverted (NOT-XOR) drawing that clears the drawn vertices from the
// vertex bitmap, and inverted drawing that leaves the bitmap alone.
inline constexpr uint16_t DM_INVERT_CLEAR = 0x0020;
inline constexpr uint16_t DM_INVERT = 0x0040;
inline constexpr uint16_t DM_INVERTED = DM_INVERT_CLEAR | DM_INVERT;
// Polyline start and end marks.
inline constexpr uint16_t DM_START_MARK = 0x0080;
inline constexpr uint16_t DM_END_MARK = 0x0100;
// Set by the pass for the elements of a list that is not selectable.
inline constexpr uint16_t DM_NOT_SELECTABLE = 0x0400;
// Outlines in the window's background colour (erasing).
inline constexpr uint16_t DM_ERASE = 0x0800;
// The painters leave the stock black pen and hollow brush selected.
inline constexpr uint16_t DM_STOCK_OBJECTS = 0x1000;
// Page objects (never on print-like devices).
inline constexpr uint16_t DM_PAGE = 0x4000;
// Set by the pass when it hands an element to the legend or raster painter.
inline constexpr uint16_t DM_WHOLE_OBJECT = 0x8000;

// The window painter's two runs: the map's objects, then the selection.
inline constexpr uint16_t DM_MAP_OBJECTS = 0x4004;
inline constexpr uint16_t DM_SELECTION = 0x421D;
