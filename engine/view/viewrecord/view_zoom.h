// Which part of the world a view shows and at which scale: sizing, zooming,
// scale 1:N, scroll bars, scrolling and panning, and the set-up for the
// clipboard and for printing one page or one sheet of a page.
#pragma once

#include "engine/view/viewrecord/presentation_manager.h"

#include <functional>

// What these operations need of the map window record that owns the view.
// The window record installs them; each may be left empty.
struct ViewWindowServices {
    // Signals the window's stop event so that a drawing pass stops.
    std::function<void(HWND)> stopDrawing;
    // Replaces the vertex bitmap for a client rectangle (a size change).
    std::function<void(HWND, const RECT &)> resizeVertexBitmap;
    // Shifts the vertex bitmap with the picture.
    std::function<void(HWND, int dx, int dy)> shiftVertexBitmap;
    // The page's origin and extent in map units; false when there is no page.
    std::function<bool(HWND, MAP_COORDPT *origin, MAP_COORDPT *extent)> pageOrgExt;
    // Fills an uncovered strip with white; with paintNow, paints the map into it.
    std::function<void(HWND, const RECT &, bool paintNow)> fillStrip;
};
void PM_SetWindowServices(ViewWindowServices services);

#include "engine/kernel/map_notify_codes.h" // MAPN_REPAINT

int PM_OnWndSize(PresentationManager *view, HWND window, int sizeType, const RECT *target);
int PM_Zoom(PresentationManager *view, HWND window, const RECT *windowRect, int zoomIn);
int PM_ZoomWorld(PresentationManager *view, HWND window, const MAP_COORDRECT *target, int zoomIn);
int PM_DisplaySet(PresentationManager *view, HWND window, const MAP_COORDRECT *mapRect);
int PM_SetAllObjectsRect(PresentationManager *view, HWND window, MAP_COORDRECT *mapRect);
int PM_SetWorldRect(PresentationManager *view, HWND window, MAP_COORDRECT *mapRect, int redraw);
// Shows the map rectangle wholly (the page for an empty one, as
// PM_SetWorldRect): grown by marginUnits world units on every side, then so
// far that marginPixels stay free between it and every edge of the window's
// picture at the scale it comes out at (less in a window too small for
// them). The visible world rectangle fits the display's proportions around
// it, the scale follows and the scroll bars are redrawn. 1; 0 when neither
// rectangle nor page exists.
int PM_SetWorldRectWithin(PresentationManager *view, HWND window, const MAP_COORDRECT *mapRect,
                          int marginPixels, int32_t marginUnits);
int PM_ScaleWordToDisplayUpdate(PresentationManager *view, HWND window);
int PM_ScaleWordToDisplaySet(PresentationManager *view, HWND window, double denominator);
// Moves the end point's x until the ground length from the start equals the
// distance, on the view's world coordinates; 1. The doubling stops after 64
// steps or at the 32-bit limit, leaving the farthest point reached.
int PM_FindPointInDistance(const PresentationManager *view, MAP_COORDPT start, MAP_COORDPT *end,
                           double distance);
// The length of a segment of world points: on the ellipsoid (metres) when both
// unit systems are angular, else the plane length in world units.
double PM_WorldLineLength(const PresentationManager *view, MAP_COORDPT a, MAP_COORDPT b);
int PM_UpdateScale(PresentationManager *view, HWND window);
void PM_WorldRectFromDisplay(PresentationManager *view);
void PM_UpdateClipRect(PresentationManager *view);
int PM_PrepareToClipboard(PresentationManager *view, HWND window, const RECT *target,
                          const MAP_COORDRECT *world);
// The print set-ups, given the page rectangle and its printable area (world
// coordinates) that the window's page object holds.
int PM_SetForPrintPage(PresentationManager *view, HWND window, const RECT *target, const POINT *offset,
                       const MAP_COORDRECT *page, const MAP_COORDRECT *printable);
int PM_SetForMultiPagePrintPage(PresentationManager *view, HWND window, const RECT *whole, const RECT *sheet,
                                const POINT *offset, int sheetNumber, int *sheetCount,
                                const MAP_COORDRECT *page, const MAP_COORDRECT *printable);
int PM_ScrollsShow(PresentationManager *view, HWND window, int show, int redraw);
int PM_CalculateScrolls(PresentationManager *view, HWND window, int redraw);
int PM_ScrollWindowToPosition(PresentationManager *view, HWND window, int hPos, int vPos);
int PM_PanMap(PresentationManager *view, HWND window, int dx, int dy);
int PM_ScrollWindowToPoint(PresentationManager *view, HWND window, MAP_COORDPT worldPoint);
int PM_OnVScroll(PresentationManager *view, HWND window, int code, int thumb);
int PM_OnHScroll(PresentationManager *view, HWND window, int code, int thumb);
