// Window-level function of identifiers.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

// Sets the object's identifier (SetID without undo): the code and the name
// (null keeps the current one, both empty remove the identifier) and the
// show flags of their texts. 1 when the object has an identifier afterwards;
// 0 for a window without document, a null object, a removal or a refusal.
int map_object_id_Set(HWND window, OBJHANDLE object, const char *code, const char *name, int showCode,
                      int showName, int unused);
