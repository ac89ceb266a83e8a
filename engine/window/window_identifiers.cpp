#include "engine/window/window_identifiers.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/identifiers.h"
#include "engine/kernel/window_record.h"

int map_object_id_Set(HWND window, OBJHANDLE object, const char *code, const char *name, int showCode,
                      int showName, int)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!window || !object || !rec || !rec->kernel)
        return 0;
    const OBJHANDLE id = SetID(rec->kernel, GetRootOBJect(window, CLASS_IDSLIST),
                               GetRootOBJect(window, CLASS_LAYERS), GetRootOBJect(window, CLASS_GROUPS),
                               window, object, code, name, showCode, showName, nullptr, 0);
    return id ? 1 : 0;
}
