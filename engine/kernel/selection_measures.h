// Running measures of the selection: while the map window has area or length
// measuring switched on, its record keeps the total area and the total
// length of the selected objects. The selection list adds and subtracts an
// object's measures as it is selected and deselected, a selected object's
// new bound rectangle adds the change of its area, and clearing the
// selection sets both totals to 0.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"

// Bumps the engine's change counter, then adds (add non-zero) or subtracts
// the object's area and length through SelectionAreaAdd and
// SelectionLengthAdd. The kernel is the one that holds the selection list
// and the object. 1; 0 for a null kernel.
int SelectionMeasuresUpdate(OBJectKernel *kernel, HWND window, OBJHANDLE list, OBJHANDLE object, int add);

// Adds the area of the object's tree (GRM_SUMMEASURE, every kind of object)
// to the window's area total, or subtracts it when add is 0. 0 when the
// kernel, window or object is missing or area measuring is off; else 1.
int SelectionAreaAdd(OBJectKernel *kernel, HWND window, OBJHANDLE object, int add);
// The same for lengths and the length total.
int SelectionLengthAdd(OBJectKernel *kernel, HWND window, OBJHANDLE object, int add);

// After an object's bound rectangle changed: adds to the area total the area
// of its current rectangle less that of the old one (each counted only when
// its right edge lies right of its left edge; widths and heights in 64 bits).
// 0 for a text object, an object without a map window and a window without
// its view record; else 1. The total changes only while area measuring is
// on.
int SelectionAreaRectChanged(OBJectKernel *kernel, OBJHANDLE object, const _COORDRECT *old);

// What an invalidated object does for the measures: a selected object that
// is not a polygon or polyline bumps the change counter and, while area
// measuring is on, passes its rectangle change to SelectionAreaRectChanged.
void SelectionMeasuresObjectInvalidated(OBJectKernel *kernel, OBJHANDLE object, const _COORDRECT *old);

// Both totals to exactly 0 (the selection was cleared).
void SelectionMeasuresClear(HWND window);
