#include "control/tools/pending_tool_engine.h"

#include "engine/kernel/unimplemented.h"

namespace pending {

OBJHANDLE LegendWizard(HWND, OBJHANDLE, const MAP_COORDPT *)
{
    ReportUnimplemented("OBJHANDLE LegendWizard(HWND window, OBJHANDLE legend, const MAP_COORDPT *point)");
    return 0;
}

} // namespace pending
