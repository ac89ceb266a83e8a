// Engine functions the one-click tools call that the engine does not offer
// yet: pasting the clipboard's text, bitmap or map objects at a map point,
// the circle dialog and the legend wizard. Each has the engine function's
// name and arguments, reports itself to the debug viewer and gives the
// answer of "nothing made" (the wizard: no legend, as when cancelled).
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

namespace pending {

int Text_Paste(HWND window, int flags, const MAP_COORDPT *point);
int Bitmap_Paste(HWND window, int flags, const MAP_COORDPT *point);
int GormObjects_Paste(HWND window, int flags, const MAP_COORDPT *point);
int DlgCircle(HWND window, OBJHANDLE circle, const MAP_COORDPT *point);
OBJHANDLE LegendWizard(HWND window, OBJHANDLE legend, const MAP_COORDPT *point);

} // namespace pending
