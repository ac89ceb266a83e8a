// libmap.so is made of the subsystem libraries linked whole; this file only
// gives the shared library a translation unit of its own.
#include "engine/map.h"
