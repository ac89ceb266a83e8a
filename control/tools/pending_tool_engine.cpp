#include "control/tools/pending_tool_engine.h"

#include "engine/kernel/unimplemented.h"

namespace pending {

int Text_Paste(HWND, int, const MAP_COORDPT *)
{
    ReportUnimplemented("int Text_Paste(HWND window, int flags, const MAP_COORDPT *point)");
    return 0;
}

int Bitmap_Paste(HWND, int, const MAP_COORDPT *)
{
    ReportUnimplemented("int Bitmap_Paste(HWND window, int flags, const MAP_COORDPT *point)");
    return 0;
}

int GormObjects_Paste(HWND, int, const MAP_COORDPT *)
{
    ReportUnimplemented("int GormObjects_Paste(HWND window, int flags, const MAP_COORDPT *point)");
    return 0;
}

int DlgCircle(HWND, OBJHANDLE, const MAP_COORDPT *)
{
    ReportUnimplemented("int DlgCircle(HWND window, OBJHANDLE circle, const MAP_COORDPT *point)");
    // The dialog reports success whatever it did.
    return 1;
}

OBJHANDLE LegendWizard(HWND, OBJHANDLE, const MAP_COORDPT *)
{
    ReportUnimplemented("OBJHANDLE LegendWizard(HWND window, OBJHANDLE legend, const MAP_COORDPT *point)");
    return 0;
}

} // namespace pending
