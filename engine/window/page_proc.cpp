// The class procedure of the page object.

#include "engine/window/page.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"

#include <cinttypes>
#include <cstring>

namespace {

void storeSelection(char *p, MAP_COORDPT point, int32_t handle)
{
    StoreField(p, offsetof(PageRecord, selected), point);
    StoreField(p, offsetof(PageRecord, selectedHandle), handle);
}

// The first handle at exactly the point; -1 when none is.
int32_t handleAt(OBJectKernel *kernel, OBJHANDLE page, MAP_COORDPT point)
{
    for (int n = 0; n < PAGE_HANDLE_COUNT; ++n) {
        MAP_COORDPT h;
        if (PageHandlePosition(kernel, page, n, &h) && h.x == point.x && h.y == point.y)
            return n;
    }
    return -1;
}

} // namespace

LRESULT PageProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                 uint16_t message, WPARAM wParam, LPARAM lParam)
{
    char *p = GetOBJectClassID(kernel, receiver) == CLASS_PAGE
                  ? GraphHeadLock(kernel, receiver, PAGE_FIXED_SIZE)
                  : nullptr;
    if (!p)
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);

    switch (message) {
    case OBJM_CREATE:
        StoreField(p, offsetof(PageRecord, bound), kEmptyBoundRect);
        StoreField(p, offsetof(PageRecord, graphFlags), GF_INITIAL);
        storeSelection(p, kEmptyPoint, -1);
        return 0;
    case OBJM_UNREFERENCED:
        return 0;
    case OBJM_INFOLINE: {
        const MAP_COORDRECT r = LoadField<MAP_COORDRECT>(p, offsetof(PageRecord, printable));
        return docmodel::OwnInfoLines(kernel, sender, receiver, subCode, wParam, lParam,
                                      {"-- <Page> OBJECT INFORMATIONS -----------",
                                       docmodel::InfoText("Margins l/t/r/b: \t%12" PRId32 " / %12" PRId32
                                                          " / %12" PRId32 " / %12" PRId32,
                                                          r.x1, r.y1, r.x2, r.y2)});
    }
    case GRM_SETSELECTED: {
        if (lParam) {
            const MAP_COORDPT point = *reinterpret_cast<const MAP_COORDPT *>(lParam);
            const int32_t n = handleAt(kernel, receiver, point);
            if (n >= 0)
                storeSelection(p, point, n);
            else
                StoreField(p, offsetof(PageRecord, selectedHandle), int32_t(-1));
        }
        SendOneOBJectMessage(kernel, receiver, 0, REF_LAYER_BACK, GRM_SETSELECTEDREF, wParam, lParam);
        return 0;
    }
    case GRM_CLEARSELECTED:
        storeSelection(p, kEmptyPoint, -1);
        SendOneOBJectMessage(kernel, receiver, 0, REF_LAYER_BACK, GRM_CLEARSELECTED, wParam, lParam);
        return 0;
    case GRM_SETVISIBLE:
    case GRM_SETSELECTABLE:
        return 0;
    case GRM_GETSELECTABLE:
        return LRESULT(wParam);
    case GRM_GETATTRIBUTES: {
        auto *record = reinterpret_cast<GraphDispl *>(lParam);
        if (!record)
            return 0;
        GraphDispl own{};
        own.mask = 0xFF;
        own.lineColor = 0;
        own.lineStyle = 1;
        own.lineWidth = 1;
        own.fillColor = COLORREF(-1);
        own.fillPattern = 0xFFFF;
        return MergeOwnGraphAttributes(&own, record, wParam != 0);
    }
    default:
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    }
}
