// What the drawing of texts asks of the thematic presentations: the colour
// of the range an object falls into. The presentations subsystem replaces
// this least form with its full one.
#pragma once

#include "engine/kernel/kernel_types.h"

struct GraphDispl;

// 1 after setting the record's colours from the object's ranges
// presentation; 0 when the object carries none (always, until presentations
// exist).
int PresRangesObjectStyle(OBJectKernel *kernel, OBJHANDLE object, GraphDispl *record);
