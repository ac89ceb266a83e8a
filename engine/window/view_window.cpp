#include "engine/window/view_window.h"

#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/unit_text.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/page.h"
#include "platform/window.h"

namespace {

PresentationManager *screenView(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    return rec ? rec->displayView : nullptr;
}

// The page rectangle and its printable area in world coordinates; false
// when the window has no page.
bool pageRects(HWND window, MAP_COORDRECT *page, MAP_COORDRECT *printable)
{
    _WNDRES *rec = GetWndRes(window);
    PageRecord record;
    if (!rec || !PageRead(rec->kernel, PageGetFromWindow(window), &record))
        return false;
    *page = record.page;
    *printable = record.printable;
    return true;
}

} // namespace

int PM_InitFromVer4(HWND window, int baseKind, int baseUnit, int transformedKind, int transformedUnit,
                    int areaUnit, int lengthUnit, const char *modulePath, const char *parameterText)
{
    PresentationManager *view = screenView(window);
    if (!view)
        return 0;
    PM_InitFromVer4Values(view, baseKind, baseUnit, transformedKind, transformedUnit, areaUnit, lengthUnit,
                          modulePath, parameterText);
    return 1;
}

int PM_EraseBackground(HWND window, const RECT *rect)
{
    PresentationManager *view = screenView(window);
    if (!view || !rect)
        return 0;
    PM_UnionErasedRect(view, rect);
    InvalidateRect(window, rect, FALSE);
    return 1;
}

int ScaleSetFindPointInDistance(HWND window, _COORDPT start, _COORDPT *end, double distance)
{
    const PresentationManager *view = screenView(window);
    if (!view || !end)
        return 0;
    PM_FindPointInDistance(view, start, end, distance);
    return 1;
}

int PM_MeasureToText(HWND window, const PresentationManager *view, int unit, double value, char *text)
{
    const _WNDRES *rec = GetWndRes(window);
    return PM_MeasureToTextIn(view, unit, value, rec ? rec->decimalChar : '.', text);
}

int PM_SetForPrint(PresentationManager *view, HWND window, const RECT *target, const POINT *offset,
                   const RECT *)
{
    MAP_COORDRECT page, printable;
    if (!view || !pageRects(window, &page, &printable))
        return 0;
    return PM_SetForPrintPage(view, window, target, offset, &page, &printable);
}

int PM_SetForMultiPagePrint(PresentationManager *view, HWND window, const RECT *whole, const RECT *sheet,
                            const POINT *offset, int sheetNumber, int *sheetCount)
{
    MAP_COORDRECT page, printable;
    if (!view || !pageRects(window, &page, &printable))
        return 0;
    return PM_SetForMultiPagePrintPage(view, window, whole, sheet, offset, sheetNumber, sheetCount, &page,
                                       &printable);
}
