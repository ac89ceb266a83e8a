// View operations that take the map window: they find the window's screen
// view (and what else they need: the page, the decimal character) through
// the window record.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

struct PresentationManager;

// Applies the projection values of a version-4 document to the window's
// screen view; 1 (0 for a window without a record).
int PM_InitFromVer4(HWND window, int baseKind, int baseUnit, int transformedKind, int transformedUnit,
                    int areaUnit, int lengthUnit, const char *modulePath, const char *parameterText);
// Records the rectangle in the screen view's erased rectangle and
// invalidates it without erasing; 1.
int PM_EraseBackground(HWND window, const RECT *rect);
// Moves the end point's x until the ground length from the start equals the
// distance, in the window's screen view; 1.
int ScaleSetFindPointInDistance(HWND window, _COORDPT start, _COORDPT *end, double distance);
// A length or an area of the view in the target unit, with the window's
// decimal character; 0 for an unknown unit.
int PM_MeasureToText(HWND window, const PresentationManager *view, int unit, double value, char *text);
// The print set-ups of a view for the window's page; 0 when the window has
// no page.
int PM_SetForPrint(PresentationManager *view, HWND window, const RECT *target, const POINT *offset,
                   const RECT *unused);
int PM_SetForMultiPagePrint(PresentationManager *view, HWND window, const RECT *whole, const RECT *sheet,
                            const POINT *offset, int sheetNumber, int *sheetCount);
