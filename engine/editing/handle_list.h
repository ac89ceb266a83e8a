// Handle lists: movable, zero-filled global memory blocks of 32-bit object
// handles whose element count the caller keeps. A new list has 200 bytes;
// an append that finds it full grows it to count x 4 + 200 bytes (the block
// handle may change). The caller frees the block.
//
// The collections fill such lists: every selectable object, the polygons and
// polylines with a vertex at a point, the objects in a rectangle, the
// objects enclosed by or touching a polygon or polyline, and the polylines
// whose ends lie nearest to a point.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

inline constexpr uint32_t kHandleListInitialBytes = 200;

// Collection flags.
inline constexpr uint32_t COLLECT_ENCLOSED = 0x0001;  // mode 3 enclosed; mode 4 enclosed by the object
inline constexpr uint32_t COLLECT_CROSSING = 0x0002;  // mode 3 must cross the border; mode 4 touching
inline constexpr uint32_t COLLECT_ENDPOINT = 0x0004;  // mode 2: end points only
inline constexpr uint32_t COLLECT_POLYLINES = 0x0100; // type filter
inline constexpr uint32_t COLLECT_POLYGONS = 0x0200;
inline constexpr uint32_t COLLECT_TEXTS = 0x0400;
inline constexpr uint32_t COLLECT_LEGENDS = 0x0800;
inline constexpr uint32_t COLLECT_WITH_ID = 0x1000;
inline constexpr uint32_t COLLECT_ID_LINKS = 0x2000;
inline constexpr uint32_t COLLECT_FLAG8 = 0x4000;
inline constexpr uint32_t COLLECT_NO_FLAG8 = 0x8000;

// Collection modes of ObjectListCollect.
inline constexpr int COLLECT_ALL = 1;
inline constexpr int COLLECT_AT_POINT = 2;
inline constexpr int COLLECT_IN_RECT = 3;
inline constexpr int COLLECT_BY_OBJECT = 4;

// A new empty list of 200 bytes; 0 when the memory cannot be had.
HGLOBAL HandleListNew();
// Appends one handle; returns the new count, or 0 (count unchanged) when the
// block cannot be allocated, grown or locked.
uint32_t HandleListAppend(OBJHANDLE handle, HGLOBAL *list, uint32_t *count);
// The handle at index; 0 when out of range or the block is bad.
OBJHANDLE HandleListAt(HGLOBAL list, uint32_t count, uint32_t index);

// 1 when an edge of the object (the closing edge of a polygon included)
// meets the rectangle; with crossing set an edge lying wholly inside does not
// count. 0 for an empty or inverted rectangle.
int SetOfLinesegmentMeetsRect(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDRECT *rect,
                              int crossing);
// 1 when candidate lies inside container (a polygon, or a text, legend,
// raster or presentation by its bounding ring), its edges not crossing the
// container's ring.
int ObjectEnclosedBy(OBJectKernel *kernel, OBJHANDLE container, OBJHANDLE candidate);
// 1 when candidate touches object (their edges cross; see the collection).
int ObjectTouches(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE candidate);

// mode: COLLECT_ALL; COLLECT_AT_POINT (where a MAP_COORDPT); COLLECT_IN_RECT
// (where a MAP_COORDRECT); COLLECT_BY_OBJECT (where an OBJHANDLE). With *list
// 0 a list is made here, filtered (no duplicates, the flag filters) and
// completed by the enclosing groups; an empty result is freed. 1 with the
// count, 0 for a failed allocation or a missing list argument.
int ObjectListCollect(HWND window, int mode, const void *where, uint32_t flags, uint32_t *count,
                      HGLOBAL *list);
// Runs the by-object collection for each of n objects (they themselves are
// never in the result); 1 when the count is not 0.
int ObjectsListCollect(HWND window, const OBJHANDLE *objects, uint32_t n, uint32_t flags, uint32_t *count,
                       HGLOBAL *list);
// The same for the children of an object (the references the selector
// matches).
int ObjectChildrenListCollect(HWND window, OBJHANDLE object, uint16_t selector, uint32_t flags,
                              uint32_t *count, HGLOBAL *list);
// A new list of the objects enclosed by / touching the object: 1 with the
// list, 1 with no list and count 0 when nothing was found, 0 for an
// unsuitable object or a failed allocation.
int ObjectEnclosedCollect(HWND window, OBJHANDLE object, uint32_t *count, HGLOBAL *list);
int ObjectTouchingCollect(HWND window, OBJHANDLE object, uint32_t *count, HGLOBAL *list);
// Appends the (at most five) polylines of the list object that are not
// selected, nearest end first; 1 when at least one was found.
int CollectNearestPolylines(HWND window, const MAP_COORDPT *point, OBJHANDLE listObject, uint32_t *count,
                            HGLOBAL *list);
