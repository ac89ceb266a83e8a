// Registration of the geometry, layer and legend automation classes with
// the library's server module: each creatable by its ProgID ("KrtLib."
// followed by the class name, any case) and described in the library's
// type library.
#pragma once

#include "platform/automation_server.h"

#include <vector>

// The member tables of the classes, for the type library.
std::vector<const MemberTable *> GeometryClassTables();
// Adds a class factory for each class.
void AddGeometryClasses(ServerModule &module);
