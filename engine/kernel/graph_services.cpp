#include "engine/kernel/graph_services.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/unimplemented.h"

#include <algorithm>
#include <cmath>

void InitZB(Z_BOUNDS *range)
{
    if (range)
        *range = {INT32_MAX, -INT32_MAX};
}

int z_ToBounds(Z_BOUNDS *range, int32_t z)
{
    if (!range)
        return 0;
    int changed = 0;
    if (z < range->low) {
        range->low = z;
        changed = 1;
    }
    if (z > range->high) {
        range->high = z;
        changed = 1;
    }
    return changed;
}

int IsObject3d(OBJectKernel *kernel, OBJHANDLE object)
{
    const uint16_t cls = kernel ? GetOBJectClassID(kernel, object) : 0;
    size_t at;
    switch (cls) {
    case CLASS_POLYGON:
    case CLASS_POLYLINE:
        at = PS_ZFLAGS;
        break;
    case CLASS_TEXT:
        at = 180;
        break;
    case CLASS_BITMAP:
    case CLASS_PAGE:
    case CLASS_NAIL:
        at = 28;
        break;
    default:
        return 0;
    }
    const char *p = GraphHeadLock(kernel, object, uint32_t(at + 1));
    return p && (LoadField<uint8_t>(p, at) & 1);
}

namespace {

Z_BOUNDS askRange(OBJectKernel *kernel, OBJHANDLE from, OBJHANDLE object)
{
    Z_BOUNDS r;
    InitZB(&r);
    SendOBJectMessage(kernel, from, object, 0, GRM_GETZRANGE, 0, LPARAM(&r));
    return r;
}

bool validRange(const Z_BOUNDS &r) { return r.low <= r.high; }

void unite(Z_BOUNDS &a, const Z_BOUNDS &b)
{
    if (validRange(b)) {
        z_ToBounds(&a, b.low);
        z_ToBounds(&a, b.high);
    }
}

bool sameRange(const Z_BOUNDS &a, const Z_BOUNDS &b) { return a.low == b.low && a.high == b.high; }

void storeRange(OBJectKernel *kernel, OBJHANDLE object, const Z_BOUNDS &r)
{
    SendOBJectMessage(kernel, object, object, 0, GRM_SETZRANGE, 0, LPARAM(&r));
}

} // namespace

void z_CalculateBounds(OBJectKernel *kernel, OBJHANDLE object, uint16_t filter, uint16_t upFilter)
{
    if (!kernel || !GetOBJectClassID(kernel, object))
        return;
    Z_BOUNDS now;
    InitZB(&now);
    int32_t pos = -1;
    for (OBJHANDLE t = GetReference(kernel, object, filter, &pos); t;
         t = GetReference(kernel, object, filter, &pos))
        unite(now, askRange(kernel, object, t));
    const Z_BOUNDS prev = askRange(kernel, object, object);
    if (sameRange(now, prev))
        return;
    storeRange(kernel, object, now);
    z_UpdateChildrenBounds(kernel, object, upFilter, &prev);
}

void z_UpdateBounds(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE object, uint16_t subCode,
                    const Z_BOUNDS *previous)
{
    if (!kernel || !GetOBJectClassID(kernel, object) || !GetOBJectClassID(kernel, sender))
        return;
    const Z_BOUNDS mine = askRange(kernel, object, object);
    const Z_BOUNDS member = askRange(kernel, object, sender);
    const bool inward = previous && ((previous->low == mine.low && member.low > previous->low) ||
                                     (previous->high == mine.high && member.high < previous->high));
    if (inward) {
        z_CalculateBounds(kernel, object, subCode ? uint16_t(subCode ^ 1) : REF_FILTER_LINK_FORWARD,
                          REF_FILTER_LINK_BACK);
        return;
    }
    Z_BOUNDS now = mine;
    unite(now, member);
    if (sameRange(now, mine))
        return;
    storeRange(kernel, object, now);
    z_UpdateChildrenBounds(kernel, object, REF_FILTER_LINK_BACK, &mine);
}

LRESULT z_UpdateChildrenBounds(OBJectKernel *kernel, OBJHANDLE object, uint16_t filter, const Z_BOUNDS *range)
{
    if (!kernel || !object)
        return 0;
    return PropagateOBJectMessage(kernel, object, filter, GRM_UPDATEZBOUNDS, 0, LPARAM(range));
}

int CoordPtEqual(_COORDPT a, _COORDPT b) { return a.x == b.x && a.y == b.y; }

namespace {

} // namespace

LRESULT NailProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                 uint16_t message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case GRM_GETSELECTABLE:
        return kernel && GetOBJectClassID(kernel, receiver) ? 1 : 0;
    case GRM_GETANCHOR:
        if (const char *p = GraphHeadLock(kernel, receiver, NAIL_POINT + 8); p && lParam)
            *reinterpret_cast<_COORDPT *>(lParam) = LoadField<_COORDPT>(p, NAIL_POINT);
        return 0;
    case GRM_NAILSETPOINT:
        if (char *p = GraphHeadLock(kernel, receiver, NAIL_POINT + 8); p && lParam)
            StoreField(p, NAIL_POINT, *reinterpret_cast<const _COORDPT *>(lParam));
        return 0;
    case GRM_NAILRECALC:
        return 0;
    default:
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    }
}

LRESULT PresentationProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                         uint16_t message, WPARAM wParam, LPARAM lParam)
{
    if (message == GRM_GETSELECTABLE)
        return kernel && GetOBJectClassID(kernel, receiver) ? 1 : 0;
    return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
}

LRESULT ZOBjectProc(OBJectKernel *, OBJHANDLE, OBJHANDLE, uint16_t, uint16_t, WPARAM, LPARAM)
{
    // Height objects have no behaviour of their own yet; the call is
    // reported to the debug viewer like the other unimplemented entries.
    ReportUnimplemented("unsigned long __stdcall ZOBjectProc(void *,void *,unsigned short,unsigned "
                        "short,unsigned short,unsigned long)");
    return 0;
}

void FreeGraphClasses(HINSTANCE) {}
