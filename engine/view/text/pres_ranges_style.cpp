#include "engine/view/text/pres_ranges_style.h"

int PresRangesObjectStyle(OBJectKernel *, OBJHANDLE, GraphDispl *) { return 0; }
