#include "engine/kernel/window_record.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "platform/window.h"

_WNDRES *GetWndRes(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    auto *rec = reinterpret_cast<_WNDRES *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    // A record detached for re-attachment (hWnd cleared) is not the
    // window's until it is attached again.
    return rec && rec->hWnd == hwnd ? rec : nullptr;
}

OBJHANDLE GetRootOBJKern(OBJectKernel *kernel, OBJHANDLE rootObject, uint16_t classId)
{
    if (!kernel || !rootObject)
        return 0;
    if (classId & 0x1000)
        classId = CLASS_LAYERS;
    else if (classId & 0x2000)
        classId = CLASS_GROUPS;
    if (classId == CLASS_ALLOBJECTS)
        return rootObject;
    int32_t pos = 0;
    for (OBJHANDLE h = FirstReference(kernel, rootObject, REF_ROOT, &pos); h;
         h = GetReference(kernel, rootObject, REF_ROOT, &pos))
        if (GetOBJectClassID(kernel, h) == classId)
            return h;
    return 0;
}

UINT map_notification_Set(HWND window, HWND target, UINT message)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec)
        return 0;
    const UINT previous = (rec->notifyMsg << 16) | (rec->notifyWnd & 0xFFFF);
    rec->notifyWnd = target;
    rec->notifyMsg = message;
    return previous;
}
