// Window-level functions of groups: making a group of objects in the active
// aspect, changing its members and dissolving memberships.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

extern "C" {

// A new group of the members in the active aspect; *group receives it (0
// first, and 0 when no group could be made, which still answers 1). 0
// without members.
int map_group_Create(HWND window, OBJHANDLE *group, const OBJHANDLE *members, int32_t count, int unused);
// Adds the members to the group (with replace: in place of its present
// ones); a null group makes a new one as map_group_Create. 0 when the handle
// is not a Group.
int map_group_Set(HWND window, OBJHANDLE group, const OBJHANDLE *members, int32_t count, int replace,
                  int unused);
// Takes each object out of the group or aspect that holds it. 1; 0 for a
// null window or array.
int map_objects_Ungroup(HWND window, const OBJHANDLE *objects, int32_t count, int unused);

} // extern "C"
