#include "control/pending_engine.h"

#include "engine/kernel/unimplemented.h"
#include "engine/window/clipboard/clipboard_copy.h"
#include "engine/window/clipboard/clipboard_paste.h"
#include "engine/window/image_export/image_export.h"
#include "engine/window/image_export/map_image_render.h"
#include "engine/window/page_copy.h"

namespace pending {

int ExClipBitmapPgon(HWND window, const MAP_COORDRECT *rect, int size)
{
    return ::ExClipBitmapPgon(window, rect, size);
}

int DIBFileExportRect(HWND window, const char *file, const MAP_COORDRECT *rect, int size, int format,
                      const int16_t parameters[4])
{
    if (!parameters)
        return ::DIBFileExportRect(window, file, rect, size, format, nullptr);
    const _EXPORTPARAMS p{uint16_t(parameters[0]), uint16_t(parameters[1]), uint16_t(parameters[2]),
                          uint16_t(parameters[3])};
    return ::DIBFileExportRect(window, file, rect, size, format, &p);
}

int DstrEditCopy(HWND window, int mode) { return int(::DstrEditCopy(window, unsigned(mode))); }

int DstrEditPaste(HWND window) { return int(::DstrEditPaste(window)); }

int DstrEditRenderCopy(HWND window, UINT format, int flag)
{
    return int(::DstrEditRenderCopy(window, format, flag));
}

int DstrEditPasteSpecial(HWND window) { return int(::DstrEditPasteSpecial(window)); }

int PastePage(HWND window) { return ::PastePage(window); }

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
