#include "editor/shell/standins/map_copier.h"

bool CopyPrintableArea(TPMap &, TPMap &) { return false; }
