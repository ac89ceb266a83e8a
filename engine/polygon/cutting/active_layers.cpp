#include "engine/polygon/cutting/active_layers.h"

#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_layers.h"

int SetActLayers(void *, int32_t number, int, HWND window, OBJHANDLE object)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    OBJHANDLE layer = map_layer_Search(window, number, nullptr);
    if (object)
        layer = GetOBJectClassID(rec->kernel, object) == CLASS_LAYER ? object
                                                                     : GetOBJectLayer(rec->kernel, object);
    if (!layer || GetOBJectClassID(rec->kernel, layer) != CLASS_LAYER)
        return 0;
    int32_t own = 0;
    uint16_t display = 0;
    map_layer_Get(window, layer, nullptr, nullptr, 0, &own, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                  &display, nullptr);
    // Visible, selectable and active; a preview layer stays one.
    const uint16_t flags = uint16_t(LDF_VISIBLE | LDF_SELECTABLE | LDF_ACTIVE | (display & LDF_PREVIEW));
    return map_layer_Set(window, layer, nullptr, 0, own, nullptr, 0xFFFFFFFFu, -1, -1, -1, flags,
                         LAYER_FLAGS_KEEP, 0, 0);
}

int32_t ActiveLayerNumber(HWND window)
{
    const OBJHANDLE layer = map_layer_Search(window, -1, nullptr);
    int32_t number = -1;
    if (layer)
        map_layer_Get(window, layer, nullptr, nullptr, 0, &number, nullptr, 0, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr);
    return number;
}
