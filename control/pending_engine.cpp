#include "control/pending_engine.h"

#include "engine/kernel/unimplemented.h"

namespace pending {

int ExClipBitmapPgon(HWND, const MAP_COORDRECT *, int)
{
    ReportUnimplemented("int ExClipBitmapPgon(HWND window, const MAP_COORDRECT *rect, int size)");
    return 0;
}

int DIBFileExportRect(HWND, const char *, const MAP_COORDRECT *, int, int, const int16_t *)
{
    ReportUnimplemented("int DIBFileExportRect(HWND window, const char *file, const MAP_COORDRECT *rect, int "
                        "size, int format, const int16_t parameters[4])");
    return 0;
}

int DstrEditCopy(HWND, int)
{
    ReportUnimplemented("int DstrEditCopy(HWND window, int mode)");
    return 0;
}

int DstrEditPaste(HWND)
{
    ReportUnimplemented("int DstrEditPaste(HWND window)");
    return 0;
}

int DstrEditRenderCopy(HWND, UINT, int)
{
    ReportUnimplemented("int DstrEditRenderCopy(HWND window, UINT format, int flag)");
    return 0;
}

int DstrEditPasteSpecial(HWND)
{
    ReportUnimplemented("int DstrEditPasteSpecial(HWND window)");
    return 0;
}

int PastePage(HWND)
{
    ReportUnimplemented("int PastePage(HWND window)");
    return 0;
}

int ReDefLegend(HWND)
{
    ReportUnimplemented("int ReDefLegend(HWND window)");
    return 0;
}

int PresentationWizard(HWND)
{
    ReportUnimplemented("int PresentationWizard(HWND window)");
    return 0;
}

int genCSVfile(HWND)
{
    ReportUnimplemented("int genCSVfile(HWND window)");
    return 0;
}

int PresOnSheetChange(HWND, WPARAM, LPARAM)
{
    ReportUnimplemented("int PresOnSheetChange(HWND window, WPARAM wParam, LPARAM lParam)");
    return 0;
}

} // namespace pending
