// The operation driver: one internal operation over a list of working rings,
// in internal units.
#pragma once

#include "engine/polygon/engine_operation.h"

class EnginePolygonList;

// Runs the internal operation code on the rings; on return the list holds
// the result rings (group A). Parameters are scaled for the run and put back
// on every path; an engine error passes out with the list's rings intact.
void RunEngineOperation(EnginePolygonList *list, int operation);
