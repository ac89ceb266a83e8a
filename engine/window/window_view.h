// Window-level functions of the view and the page: invalidating, repainting
// and zooming map rectangles, converting points between the window and the
// map, the map's projection, its page set-up and page placement, the display
// options, and appending trace text to a file.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

extern "C" {

// Invalidates the map rectangle widened by the 4-pixel margin (null: the
// whole window). 1; 0 for a window without record.
int map_rect_Invalidate(HWND window, const MAP_COORDRECT *rect);
// As map_rect_Invalidate; a null rectangle repaints the whole window at once.
int map_rect_Repaint(HWND window, const MAP_COORDRECT *rect);
// Zooms the display view to the map rectangle and invalidates the window.
int map_rect_Zoom(HWND window, const MAP_COORDRECT *rect);
// 1 and the common part when the rectangles meet (edges count); else 0 and
// an all-zero result.
int map_rect_Intersect(MAP_COORDRECT *result, const MAP_COORDRECT *a, const MAP_COORDRECT *b);
int map_screen_to_map(HWND window, MAP_COORDPT *map, const POINT *points, int32_t count);
int map_map_to_screen(HWND window, POINT *points, const MAP_COORDPT *map, int32_t count);
// Applies a projection to the display view: module and parameter text (null:
// empty; cut to their fields) and six units; the datums stay.
int map_projection_Set(HWND window, const char *module, const char *parameters, int32_t sourceKind,
                       int32_t sourceUnit, int32_t targetKind, int32_t targetUnit, int32_t areaUnit,
                       int32_t lengthUnit);
// Reads the display view's projection. A text whose buffer is not larger
// than its length is cut to size - 2 characters and makes the result 0; the
// length outputs receive the full lengths.
int map_projection_Get(HWND window, char *module, int32_t *moduleLength, int32_t moduleSize, char *parameters,
                       int32_t *parametersLength, int32_t parametersSize, int32_t *sourceKind,
                       int32_t *sourceUnit, int32_t *targetKind, int32_t *targetUnit, int32_t *areaUnit,
                       int32_t *lengthUnit);
// Changes the page set-up (each value when given) and places the page: its
// lower-left corner at the origin, its size from the paper size and the
// scale (a scale that is 0, negative, not finite or too small for 32-bit
// sizes is skipped). 1; 0 without page set-up.
int map_page_Set(HWND window, const char *paperName, int32_t paperNumber, int32_t landscape, uint16_t width,
                 uint16_t height, const RECT *margins, const MAP_COORDPT *origin, double scale);
int map_page_Get(HWND window, char *paperName, int32_t nameSize, int32_t *paperNumber, int32_t *landscape,
                 uint16_t *width, uint16_t *height, RECT *margins, MAP_COORDPT *origin, double *scale);
// Display option bits of the interface, kept in the record's own order.
int map_presentation_Set(HWND window, uint32_t bits);
int map_presentation_Get(HWND window, uint32_t *bits);
// Appends the text to the file (created when missing). 1, 0 when the file
// cannot be opened.
int TraceGorm(const char *fileName, const char *text);

} // extern "C"
