#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/view/text/text_object.h"

#include <cstring>

char *TextObjectLock(OBJectKernel *kernel, OBJHANDLE text)
{
    if (!kernel || GetOBJectClassID(kernel, text) != CLASS_TEXT)
        return nullptr;
    return OBJectLock(kernel, text);
}

LRESULT TextProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                 uint16_t message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case OBJM_CREATE:
        // Zeroed before the default procedure puts the graphical head's
        // initial values in.
        if (char *p = OBJectLock(kernel, receiver)) {
            TextObjectData d{};
            d.ownColor = 0xFFFFFFFFu;
            d.textLength = 0;
            TextRecordStore(p, d);
        }
        break;
    case GRM_GETATTRIBUTES:
        if (const char *p = TextObjectLock(kernel, receiver); p && lParam) {
            const TextObjectData d = TextRecordLoad(p);
            GraphDispl own{};
            if (d.colorMode & 1) {
                own.mask = GD_LINECOLOR | GD_FILLCOLOR;
                own.lineColor = d.ownColor;
                own.fillColor = 0xFF000000u;
            }
            MergeOwnGraphAttributes(&own, reinterpret_cast<GraphDispl *>(lParam), wParam != 0);
        }
        break;
    case GRM_GETANCHOR:
        if (const char *p = TextObjectLock(kernel, receiver); p && lParam) {
            const TextObjectData d = TextRecordLoad(p);
            const int32_t anchor[2] = {d.anchorX, d.anchorY};
            std::memcpy(reinterpret_cast<void *>(lParam), anchor, sizeof anchor);
        }
        return 0;
    default:
        break;
    }
    return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
}
