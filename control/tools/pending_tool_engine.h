// The engine function the legend tool calls that the engine does not offer
// yet: the legend wizard. It has the engine function's name and arguments,
// reports itself to the debug viewer and gives no legend, as when
// cancelled.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

namespace pending {

OBJHANDLE LegendWizard(HWND window, OBJHANDLE legend, const MAP_COORDPT *point);

} // namespace pending
