// Copying the printable area of one map into another (the page copy). This
// form copies nothing: the new map opens empty, as it was made.
#pragma once

class TPMap;

// True when something was copied.
bool CopyPrintableArea(TPMap &target, TPMap &source);
