// The procedures of the graphical family: the default procedure that keeps
// bound rectangles and the largest data space up to date along the
// reference tree, the AllOBJects and Undo list procedures and the
// BlockList order.
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/graph_window.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/upper_services.h"
#include "engine/kernel/selection_measures.h"

#include "platform/window.h"

#include <algorithm>
#include <cfloat>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Messages climb and fan out along references, and a damaged document can
// link objects in a cycle: nested deliveries deeper than any real tree stop.
constexpr int kMaxNesting = 256;
thread_local int t_nesting = 0;

struct NestingGuard {
    bool ok;
    NestingGuard() : ok(++t_nesting <= kMaxNesting) {}
    ~NestingGuard() { --t_nesting; }
    NestingGuard(const NestingGuard &) = delete;
    NestingGuard &operator=(const NestingGuard &) = delete;
};

bool isList(uint16_t cls) { return (cls & CLASSBIT_LIST) != 0; }

// The Undo list keeps a list's head (selected member, largest data space)
// though its class id has no list bit.
bool keepsMembers(uint16_t cls) { return isList(cls) || cls == CLASS_UNDO; }

bool isPointSet(uint16_t cls) { return cls == CLASS_POLYGON || cls == CLASS_POLYLINE; }

bool isUndoCopy(OBJectKernel *kernel, OBJHANDLE h) { return GetOBJectFlag(kernel, h, OBJF_UNDOCOPY) != 0; }

_COORDRECT storedBound(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, GOH_SIZE);
    return p ? LoadField<_COORDRECT>(p, GOH_BOUND) : kEmptyBoundRect;
}

uint16_t storedFlags(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, GOH_SIZE);
    return p ? LoadField<uint16_t>(p, GOH_FLAGS) : 0;
}

void storeFlags(OBJectKernel *kernel, OBJHANDLE h, uint16_t flags)
{
    if (char *p = GraphHeadLock(kernel, h, GOH_SIZE))
        StoreField(p, GOH_FLAGS, flags);
}

void storePoint(OBJectKernel *kernel, OBJHANDLE h, const _COORDPT &pt)
{
    if (char *p = GraphHeadLock(kernel, h, GOH_SIZE))
        StoreField(p, GOH_SELPOINT, pt);
}

int32_t storedSlot(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, GOH_LIST_SIZE);
    return p ? LoadField<int32_t>(p, GOH_SELSLOT) : -1;
}

void storeSlot(OBJectKernel *kernel, OBJHANDLE h, int32_t slot)
{
    if (char *p = GraphHeadLock(kernel, h, GOH_LIST_SIZE))
        StoreField(p, GOH_SELSLOT, slot);
}

uint32_t storedMax(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, GOH_LIST_SIZE);
    return p ? LoadField<uint32_t>(p, GOH_MAXDATA) : 0;
}

bool sameRect(const _COORDRECT &a, const _COORDRECT &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

_COORDRECT askBound(OBJectKernel *kernel, OBJHANDLE from, OBJHANDLE member)
{
    _COORDRECT r = kEmptyBoundRect;
    SendOBJectMessage(kernel, from, member, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

uint32_t askMax(OBJectKernel *kernel, OBJHANDLE from, OBJHANDLE member)
{
    return uint32_t(SendOBJectMessage(kernel, from, member, 0, GRM_GETMAXDATASPACE, 0, 0));
}

// Stores a new rectangle through the object's own procedure (a layer passes
// it on to its linked layers) and tells the holders what it was.
void replaceBound(OBJectKernel *kernel, OBJHANDLE h, const _COORDRECT &now, const _COORDRECT &prev)
{
    SendOBJectMessage(kernel, h, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&now));
    PropagateOBJectMessage(kernel, h, REF_FILTER_LINK_BACK, GRM_CHILDBOUNDRECT, 0, LPARAM(&prev));
}

void widenBound(OBJectKernel *kernel, OBJHANDLE h, const _COORDRECT &member)
{
    const _COORDRECT prev = storedBound(kernel, h);
    _COORDRECT now = prev;
    if (SumBoundRect(&now, &member))
        replaceBound(kernel, h, now, prev);
}

void recomputeBound(OBJectKernel *kernel, OBJHANDLE h, uint16_t filter)
{
    _COORDRECT now = kEmptyBoundRect;
    if (keepsMembers(GetOBJectClassID(kernel, h))) {
        int32_t pos = -1;
        for (OBJHANDLE m = GetReference(kernel, h, filter, &pos); m;
             m = GetReference(kernel, h, filter, &pos)) {
            const _COORDRECT r = askBound(kernel, h, m);
            SumBoundRect(&now, &r);
        }
    }
    const _COORDRECT prev = storedBound(kernel, h);
    if (!sameRect(now, prev))
        replaceBound(kernel, h, now, prev);
}

void replaceMax(OBJectKernel *kernel, OBJHANDLE h, uint32_t now, uint32_t prev)
{
    SendOBJectMessage(kernel, h, h, 0, GRM_SETDATASPACE, 0, LPARAM(now));
    PropagateOBJectMessage(kernel, h, REF_FILTER_LINK_BACK, GRM_DATASPACECHANGED, 0, LPARAM(prev));
}

void recomputeMax(OBJectKernel *kernel, OBJHANDLE h, uint16_t filter)
{
    uint32_t now = 0;
    int32_t pos = -1;
    for (OBJHANDLE m = GetReference(kernel, h, filter, &pos); m; m = GetReference(kernel, h, filter, &pos))
        now = std::max(now, askMax(kernel, h, m));
    const uint32_t prev = storedMax(kernel, h);
    if (now != prev)
        replaceMax(kernel, h, now, prev);
}

// The member links of a list, from the id a member's message travelled by.
uint16_t memberFilter(uint16_t subCode) { return subCode ? uint16_t(subCode ^ 1) : REF_FILTER_LINK_FORWARD; }

void notifyFor(OBJectKernel *kernel, OBJHANDLE receiver, OBJHANDLE sender, WPARAM code, OBJHANDLE object,
               bool onlyLiveWindow)
{
    // While a link is being made or undone the receiver may not yet (or no
    // longer) reach its document; the holder still does.
    HWND wnd = GetOBJectWnd(kernel, receiver);
    if (!wnd)
        wnd = GetOBJectWnd(kernel, sender);
    if (!wnd || (onlyLiveWindow && !IsWindow(wnd)))
        return;
    GraphNotifyWindow(wnd, code, object);
}

void onCreate(OBJectKernel *kernel, OBJHANDLE h, bool list)
{
    char *p = GraphHeadLock(kernel, h, GOH_SIZE);
    if (!p)
        return;
    StoreField(p, GOH_BOUND, kEmptyBoundRect);
    StoreField<uint16_t>(p, GOH_FLAGS, GF_INITIAL);
    StoreField<uint16_t>(p, GOH_FLAGS + 2, 0);
    StoreField(p, GOH_SELPOINT, kEmptyPoint);
    if (list && GraphHeadLock(kernel, h, GOH_LIST_SIZE)) {
        StoreField<int32_t>(p, GOH_SELSLOT, -1);
        StoreField<uint32_t>(p, GOH_MAXDATA, 0);
    }
}

bool isIdLink(uint16_t id) { return (id & REF_IDMASK) == (REF_ID & REF_IDMASK); }

bool isMemberLinkFamily(uint16_t id) { return (id & 0x0800) || (id & 0x4000); }

void memberInserted(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE member)
{
    widenBound(kernel, list, askBound(kernel, list, member));
    const uint32_t m = askMax(kernel, list, member);
    const uint32_t prev = storedMax(kernel, list);
    if (m > prev)
        replaceMax(kernel, list, m, prev);
}

void memberRemoved(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE member, uint16_t id)
{
    if (!member || !GetOBJectClassID(kernel, member))
        return;
    const _COORDRECT m = askBound(kernel, list, member);
    const _COORDRECT r = storedBound(kernel, list);
    if (m.x1 == r.x1 || m.y1 == r.y1 || m.x2 == r.x2 || m.y2 == r.y2)
        recomputeBound(kernel, list, id);
    const uint32_t mm = askMax(kernel, list, member);
    if (mm != 0 && mm == storedMax(kernel, list))
        recomputeMax(kernel, list, id);
}

int infoLine(OBJectKernel *kernel, OBJHANDLE h, WPARAM line, char *buffer)
{
    if (!buffer)
        return 0;
    const char *p = GraphHeadLock(kernel, h, GOH_SIZE);
    if (!p)
        return 0;
    const bool list =
        keepsMembers(GetOBJectClassID(kernel, h)) && GraphHeadLock(kernel, h, GOH_LIST_SIZE) != nullptr;
    const _COORDRECT r = LoadField<_COORDRECT>(p, GOH_BOUND);
    const _COORDPT pt = LoadField<_COORDPT>(p, GOH_SELPOINT);
    // The browser's line buffer holds 128 characters.
    constexpr size_t room = 128;
    const size_t blank = list ? 5 : 3;
    if (line == 0)
        std::snprintf(buffer, room, "-- GRAPHICAL OBJECT INFORMATIONS -----------");
    else if (line == 1)
        std::snprintf(buffer, room,
                      "Bound.Rect: \t\t((%6" PRId32 ",%6" PRId32 "), (%6" PRId32 ",%6" PRId32 "))", r.x1,
                      r.y1, r.x2, r.y2);
    else if (line == 2)
        std::snprintf(buffer, room, "Graph. Flags:\t\t%4X", unsigned(LoadField<uint16_t>(p, GOH_FLAGS)));
    else if (list && line == 3)
        std::snprintf(buffer, room, "Selected OBJect / point: \t%6" PRId32 " / (%6" PRId32 ",%6" PRId32 ")",
                      LoadField<int32_t>(p, GOH_SELSLOT), pt.x, pt.y);
    else if (list && line == 4)
        std::snprintf(buffer, room, "Max. data space: \t\t%8" PRIu32, LoadField<uint32_t>(p, GOH_MAXDATA));
    else if (line == blank)
        buffer[0] = 0;
    else
        return 0;
    return 1;
}

// ---- heights --------------------------------------------------------------

struct PointLayout {
    uint32_t count = 0;
    uint32_t stride = 8;
};

// The points of a point set that fit its data space.
PointLayout pointLayout(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, PS_FIXED_SIZE);
    if (!p)
        return {};
    PointLayout l;
    l.stride = (LoadField<uint16_t>(p, PS_ZFLAGS) & 1) ? 12 : 8;
    const uint64_t fit = DataSpaceSize(kernel, h) / l.stride;
    l.count = uint32_t(std::min<uint64_t>(LoadField<uint32_t>(p, PS_COUNT), fit));
    return l;
}

// Offset of the height range in a record; 0 when the class keeps none.
size_t zRangeOffset(uint16_t cls)
{
    if (isPointSet(cls))
        return PS_ZRANGE;
    if (cls == CLASS_TEXT)
        return 184;
    if (cls == CLASS_BITMAP || cls == CLASS_PAGE || cls == CLASS_NAIL)
        return 32;
    if ((cls & (CLASSBIT_LAYERTREE | CLASSBIT_GROUPTREE)) || cls == CLASS_SELLIST || cls == CLASS_UNDO)
        return 40;
    return 0;
}

LRESULT getZ(OBJectKernel *kernel, OBJHANDLE h, uint16_t cls, WPARAM n)
{
    if (!IsObject3d(kernel, h))
        return 0;
    if (isPointSet(cls)) {
        const PointLayout l = pointLayout(kernel, h);
        if (l.stride != 12 || n >= l.count)
            return 0;
        const char *fixed = OBJectLock(kernel, h);
        return LoadField<int32_t>(DataSpaceBegin(const_cast<char *>(fixed)), n * 12 + 8);
    }
    const char *p = OBJectLock(kernel, h);
    if (cls == CLASS_TEXT)
        return LoadField<int32_t>(p, 192);
    if (cls == CLASS_BITMAP || cls == CLASS_NAIL)
        return LoadField<int32_t>(p, 40);
    return 0;
}

void widenStoredRange(char *p, size_t offset, int32_t z)
{
    Z_BOUNDS range = LoadField<Z_BOUNDS>(p, offset);
    z_ToBounds(&range, z);
    StoreField(p, offset, range);
}

LRESULT setZ(OBJectKernel *kernel, OBJHANDLE h, uint16_t cls, WPARAM n, int32_t z)
{
    if (isPointSet(cls)) {
        PointLayout l = pointLayout(kernel, h);
        if (!GraphHeadLock(kernel, h, PS_FIXED_SIZE))
            return 0;
        if (l.stride == 8) {
            // Room for a height per point, then the points spread from the
            // last to the first so that none is overwritten before it moves.
            const uint64_t need = uint64_t(l.count) * 12;
            const uint32_t have = DataSpaceSize(kernel, h);
            if (need > have && !ReSizeOBJect(kernel, h, int32_t(std::min<uint64_t>(need - have, INT32_MAX))))
                return 0;
            char *fixed = OBJectLock(kernel, h);
            char *data = DataSpaceBegin(fixed);
            for (uint32_t i = l.count; i-- > 0;) {
                const _COORDPT pt = LoadField<_COORDPT>(data, size_t(i) * 8);
                StoreField(data, size_t(i) * 12, pt);
                StoreField<int32_t>(data, size_t(i) * 12 + 8, 0);
            }
            StoreField<uint16_t>(fixed, PS_ZFLAGS, uint16_t(LoadField<uint16_t>(fixed, PS_ZFLAGS) | 1));
            StoreField<uint32_t>(fixed, PS_COUNT, l.count);
            l.stride = 12;
        }
        if (n >= l.count)
            return 0;
        char *fixed = OBJectLock(kernel, h);
        StoreField<int32_t>(DataSpaceBegin(fixed), n * 12 + 8, z);
        widenStoredRange(fixed, PS_ZRANGE, z);
        return 1;
    }
    if (cls == CLASS_BITMAP || cls == CLASS_NAIL || cls == CLASS_TEXT) {
        const bool text = cls == CLASS_TEXT;
        char *p = GraphHeadLock(kernel, h, text ? 196 : 44);
        if (!p)
            return 0;
        const size_t zAt = text ? 192 : 40, bitAt = text ? 180 : 28, rangeAt = text ? 184 : 32;
        StoreField<int32_t>(p, zAt, z);
        StoreField<uint8_t>(p, bitAt, uint8_t(LoadField<uint8_t>(p, bitAt) | 1));
        widenStoredRange(p, rangeAt, z);
        return 1;
    }
    return 0;
}

LRESULT findZ(OBJectKernel *kernel, OBJHANDLE h, uint16_t cls, const _COORDPT *pt)
{
    if (!pt || !isPointSet(cls))
        return 0;
    const PointLayout l = pointLayout(kernel, h);
    if (l.stride != 12)
        return 0;
    const char *data = DataSpaceBegin(OBJectLock(kernel, h));
    for (uint32_t i = 0; i < l.count; ++i)
        if (CoordPtEqual(LoadField<_COORDPT>(data, size_t(i) * 12), *pt))
            return LoadField<int32_t>(data, size_t(i) * 12 + 8);
    return 0;
}

// ---- measures -------------------------------------------------------------

// Objects on the current fan-out path of GRM_SUMMEASURE: a cycle of forward
// links in a damaged document must not add an object into itself again.
thread_local std::vector<OBJHANDLE> t_measurePath;

void sumMeasure(OBJectKernel *kernel, OBJHANDLE h, uint16_t cls, WPARAM wParam, double *total)
{
    if (std::find(t_measurePath.begin(), t_measurePath.end(), h) != t_measurePath.end())
        return;
    const uint32_t kind = wParam & 0xFF;
    const bool all = wParam & SUMMEASURE_ALL;
    const bool polygons = all || (wParam & SUMMEASURE_POLYGONS);
    if (kind == SUMMEASURE_AREA) {
        if (cls == CLASS_POLYGON && polygons) {
            const double a = UpperPolygonArea(kernel, h);
            if (a != -1.0)
                *total += a;
        } else if (all && (cls == CLASS_LEGEND || cls == CLASS_BITMAP || cls == CLASS_PAGE)) {
            const _COORDRECT r = storedBound(kernel, h);
            *total += double(std::llabs(int64_t(r.x2) - r.x1)) * double(std::llabs(int64_t(r.y2) - r.y1));
        }
    } else if (kind == SUMMEASURE_LENGTH) {
        if (cls == CLASS_POLYGON && polygons)
            *total += UpperPointSetLength(kernel, h, 1);
        else if (cls == CLASS_POLYLINE && all)
            *total += UpperPointSetLength(kernel, h, 0);
    }
    t_measurePath.push_back(h);
    PropagateOBJectMessage(kernel, h, REF_FILTER_FORWARD, GRM_SUMMEASURE, wParam, LPARAM(total));
    t_measurePath.pop_back();
}

// ---- selection ------------------------------------------------------------

void setSelected(OBJectKernel *kernel, OBJHANDLE h, uint16_t cls, WPARAM wParam, LPARAM lParam)
{
    const int32_t slot = int32_t(wParam);
    const auto *pt = reinterpret_cast<const _COORDPT *>(lParam);
    if (pt)
        storePoint(kernel, h, *pt);
    if (isList(cls)) {
        if (slot != -2)
            storeSlot(kernel, h, slot);
        if ((cls & (CLASSBIT_LAYERTREE | CLASSBIT_GROUPTREE)) && pt && slot >= 0)
            storePoint(kernel, GetNthReferenced(kernel, h, slot), *pt);
    }
    SendOneOBJectMessage(kernel, h, 0, REF_LAYER_BACK, GRM_SETSELECTEDREF, wParam, lParam);
}

LRESULT visibility(OBJectKernel *kernel, OBJHANDLE h, uint16_t cls, uint16_t subCode, uint16_t message,
                   bool testFlag)
{
    if (testFlag && !(storedFlags(kernel, h) & GF_SHOWN))
        return 0;
    if (subCode == REF_LAYER_MEMBER || isList(cls))
        return 1;
    const OBJHANDLE layer = FirstReferenceOfClass(kernel, h, REF_LAYER_BACK, CLASS_LAYER);
    return layer ? SendOBJectMessage(kernel, h, layer, REF_LAYER_BACK, message, 0, 0) : 0;
}

LRESULT getAttributes(OBJectKernel *kernel, OBJHANDLE h, uint16_t cls, uint16_t subCode, WPARAM wParam,
                      GraphDispl *record)
{
    if (!record)
        return 0;
    if (!isList(cls)) {
        if (subCode != REF_GROUP_MEMBER)
            SendOneOBJectMessage(kernel, h, 0, REF_GROUP_PARENT, GRM_GETATTRIBUTES, 1, LPARAM(record));
        if (subCode != REF_LAYER_MEMBER)
            SendOneOBJectMessage(kernel, h, 0, REF_LAYER_BACK, GRM_GETATTRIBUTES, 0, LPARAM(record));
    } else if (cls != CLASS_GROUP) {
        return record->mask;
    }
    GraphDispl fromId{};
    SendOneOBJectMessage(kernel, h, 0, REF_ID, GRM_GETATTRIBUTES, 1, LPARAM(&fromId));
    return MergeOwnGraphAttributes(&fromId, record, wParam != 0);
}

} // namespace

char *GraphHeadLock(OBJectKernel *kernel, OBJHANDLE object, uint32_t need)
{
    if (!kernel || !object)
        return nullptr;
    const OBJectClassDescr *d = GetOBJectClassDescr(kernel, object);
    if (!d || d->fixedEnd < OBJ_HEAD_SIZE + need)
        return nullptr;
    return OBJectLock(kernel, object);
}

uint32_t MergeGraphAttributes(const GraphDispl *a, const GraphDispl *b, GraphDispl *c)
{
    if (!a || !b || !c)
        return 0;
    const GraphDispl A = *a, B = *b;
    auto pick = [&](uint32_t bit, auto GraphDispl::*field) {
        if (A.mask & bit)
            c->*field = A.*field;
        else if (B.mask & bit)
            c->*field = B.*field;
    };
    pick(GD_LINECOLOR, &GraphDispl::lineColor);
    pick(GD_LINESTYLE, &GraphDispl::lineStyle);
    pick(GD_LINEWIDTH, &GraphDispl::lineWidth);
    pick(GD_FILLCOLOR, &GraphDispl::fillColor);
    pick(GD_FILLPATTERN, &GraphDispl::fillPattern);
    c->lineOptions = uint8_t(A.lineOptions | B.lineOptions);
    c->mask = (A.mask | B.mask) & 0xFF;
    return c->mask;
}

LRESULT DefGraphOBjectProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                           uint16_t message, WPARAM wParam, LPARAM lParam)
{
    if (!kernel)
        return 0;
    const uint16_t cls = GetOBJectClassID(kernel, receiver);
    if (!cls)
        return 0;
    const NestingGuard guard;
    if (!guard.ok)
        return 0;
    const bool list = isList(cls);
    const OBJHANDLE h = receiver;

    switch (message) {
    case OBJM_CREATE:
        onCreate(kernel, h, keepsMembers(cls));
        return 0;
    case OBJM_REFINSERTED:
        if (isIdLink(subCode))
            storeFlags(kernel, h, storedFlags(kernel, h) | GF_HASID);
        if (keepsMembers(cls) && !isUndoCopy(kernel, h) && isMemberLinkFamily(subCode) && (subCode & 1))
            memberInserted(kernel, h, sender);
        return 0;
    case OBJM_REFREMOVED:
        if (isIdLink(subCode))
            storeFlags(kernel, h, uint16_t(storedFlags(kernel, h) & ~GF_HASID));
        if (keepsMembers(cls) && !isUndoCopy(kernel, h) && isMemberLinkFamily(subCode)) {
            const int32_t removed = int32_t(lParam);
            const int32_t selected = storedSlot(kernel, h);
            if (removed == selected) {
                storeSlot(kernel, h, -1);
                storePoint(kernel, h, kEmptyPoint);
                PropagateOBJectMessage(kernel, h, REF_FILTER_LINK_BACK, GRM_CLEARSELECTED, 0, 0);
            } else if (selected >= 0 && removed < selected) {
                storeSlot(kernel, h, selected - 1);
            }
            if (subCode & 1)
                memberRemoved(kernel, h, sender, subCode);
        }
        return 0;
    case OBJM_REFERENCED:
        if (subCode == REF_LAYER_MEMBER)
            notifyFor(kernel, h, sender, MAPNC_PUT_INTO, h, false);
        else if (subCode == REF_GROUP_MEMBER)
            cls == CLASS_GROUP ? notifyFor(kernel, h, sender, MAPNC_PUT_INTO, h, false)
                               : notifyFor(kernel, h, sender, MAPNC_GROUP_CHANGED, sender, false);
        return 0;
    case OBJM_UNREFERENCED:
        if (subCode == REF_LAYER_MEMBER)
            notifyFor(kernel, h, sender, MAPNC_TAKEN_FROM, h, true);
        else if (subCode == REF_GROUP_MEMBER)
            cls == CLASS_GROUP ? notifyFor(kernel, h, sender, MAPNC_TAKEN_FROM, h, true)
                               : notifyFor(kernel, h, sender, MAPNC_GROUP_CHANGED, sender, true);
        return 0;
    case OBJM_RESIZED:
        if (!list) {
            const int64_t before = int64_t(DataSpaceSize(kernel, h)) - int64_t(lParam);
            PropagateOBJectMessage(kernel, h, REF_FILTER_LINK_BACK, GRM_DATASPACECHANGED, 0,
                                   LPARAM(std::max<int64_t>(before, 0)));
        }
        return 0;
    case OBJM_INFOLINE:
        return infoLine(kernel, h, wParam, reinterpret_cast<char *>(lParam));
    case OBJM_PACKEDCOPY:
        storeFlags(kernel, h, uint16_t(storedFlags(kernel, h) & ~GF_SELECTED));
        if (lParam > 0 && list) {
            recomputeBound(kernel, h, REF_FILTER_LINK_FORWARD);
            recomputeMax(kernel, h, REF_FILTER_LINK_FORWARD);
        }
        return 0;

    case GRM_GETBOUNDRECT:
        if (lParam && GraphHeadLock(kernel, h, GOH_SIZE))
            *reinterpret_cast<_COORDRECT *>(lParam) = storedBound(kernel, h);
        return 0;
    case GRM_CALCBOUNDRECT:
        recomputeBound(kernel, h, subCode);
        return 0;
    case GRM_CHILDBOUNDRECT: {
        if (!keepsMembers(cls) || !GraphHeadLock(kernel, h, GOH_SIZE))
            return 0;
        const _COORDRECT before = storedBound(kernel, h);
        const _COORDRECT n = askBound(kernel, h, sender);
        const auto *prev = reinterpret_cast<const _COORDRECT *>(lParam);
        const bool movedInward = !prev || (prev->x1 == before.x1 && n.x1 > prev->x1) ||
                                 (prev->y1 == before.y1 && n.y1 > prev->y1) ||
                                 (prev->x2 == before.x2 && n.x2 < prev->x2) ||
                                 (prev->y2 == before.y2 && n.y2 < prev->y2);
        if (movedInward)
            recomputeBound(kernel, h, memberFilter(subCode));
        else
            widenBound(kernel, h, n);
        if (cls == CLASS_GROUP && !sameRect(before, storedBound(kernel, h)))
            if (const HWND wnd = GetOBJectWnd(kernel, h))
                SendMessageA(wnd, MAPN_LISTCHANGED, 0, LPARAM(h));
        return 0;
    }
    case GRM_SETBOUNDRECT:
        if (lParam)
            if (char *p = GraphHeadLock(kernel, h, GOH_SIZE))
                StoreField(p, GOH_BOUND, *reinterpret_cast<const _COORDRECT *>(lParam));
        return 0;
    case GRM_INVALIDATE:
        PropagateOBJectMessage(kernel, h, REF_FILTER_LINK_BACK, GRM_CHILDBOUNDRECT, 0, lParam);
        if (const HWND wnd = GetOBJectWnd(kernel, h))
            SendMessageA(wnd, MAPN_LISTCHANGED, 0, LPARAM(h));
        SelectionMeasuresObjectInvalidated(kernel, h, reinterpret_cast<const _COORDRECT *>(lParam));
        return 0;
    case GRM_GETSELECTED: {
        if (!list)
            return -2;
        const int32_t slot = storedSlot(kernel, h);
        if (lParam && slot != -1)
            if (const char *p = GraphHeadLock(kernel, h, GOH_SIZE))
                *reinterpret_cast<_COORDPT *>(lParam) = LoadField<_COORDPT>(p, GOH_SELPOINT);
        return slot;
    }
    case GRM_SETSELECTED:
        setSelected(kernel, h, cls, wParam, lParam);
        return 0;
    case GRM_CLEARSELECTED:
        storePoint(kernel, h, kEmptyPoint);
        if (list) {
            if (!(cls & CLASSBIT_GROUPTREE) && storedSlot(kernel, h) == -1)
                return 0;
            storeSlot(kernel, h, -1);
        }
        SendOneOBJectMessage(kernel, h, 0, REF_LAYER_BACK, GRM_CLEARSELECTED, wParam, lParam);
        return 0;
    case GRM_SETSELECTEDREF: {
        const int32_t slot = FindReference(kernel, h, memberFilter(subCode), sender);
        if (slot < 0 || uint32_t(slot) == OBJ_INVALID)
            return 0;
        setSelected(kernel, h, cls, WPARAM(slot), lParam);
        return 0;
    }
    case GRM_SETVISIBLE:
    case GRM_SETSELECTABLE:
        return 0;
    case GRM_GETVISIBLE:
        return visibility(kernel, h, cls, subCode, message, true);
    case GRM_GETSELECTABLE:
        return visibility(kernel, h, cls, subCode, message, false);
    case GRM_GETFLAGS:
        return storedFlags(kernel, h) & uint16_t(wParam);
    case GRM_SETFLAGS: {
        if (!GraphHeadLock(kernel, h, GOH_SIZE))
            return 0;
        const uint16_t mask = uint16_t(wParam);
        const uint16_t flags = uint16_t((storedFlags(kernel, h) & ~mask) | (mask & uint16_t(lParam)));
        storeFlags(kernel, h, flags);
        return flags;
    }
    case GRM_GETATTRIBUTES:
        return getAttributes(kernel, h, cls, subCode, wParam, reinterpret_cast<GraphDispl *>(lParam));
    case GRM_SETATTRIBUTES:
        SendOneOBJectMessage(kernel, h, 0, REF_ID, message, wParam, lParam);
        return 0;
    case GRM_GETVALUE:
        if (lParam) {
            const double none = DBL_MAX;
            std::memcpy(reinterpret_cast<void *>(lParam), &none, sizeof none);
        }
        return 0;
    case GRM_SETVALUE:
        if (!list || (cls & CLASSBIT_GROUPTREE))
            SendOneOBJectMessage(kernel, h, 0, REF_ID, message, wParam, lParam);
        return 0;
    case GRM_GETMAXDATASPACE:
        return keepsMembers(cls) ? storedMax(kernel, h) : DataSpaceSize(kernel, h);
    case GRM_CALCMAXDATASPACE:
        if (keepsMembers(cls))
            recomputeMax(kernel, h, subCode);
        return 0;
    case GRM_DATASPACECHANGED: {
        if (!keepsMembers(cls) || !GraphHeadLock(kernel, h, GOH_LIST_SIZE))
            return 0;
        const uint32_t before = uint32_t(lParam);
        const uint32_t now = askMax(kernel, h, sender);
        const uint32_t mine = storedMax(kernel, h);
        if (before == mine && now < mine)
            recomputeMax(kernel, h, memberFilter(subCode));
        else if (now > mine)
            replaceMax(kernel, h, now, mine);
        return 0;
    }
    case GRM_SETDATASPACE:
        if (keepsMembers(cls))
            if (char *p = GraphHeadLock(kernel, h, GOH_LIST_SIZE))
                StoreField(p, GOH_MAXDATA, uint32_t(lParam));
        return 0;
    case GRM_DESCRIBE:
        return LRESULT(GraphDescribe(kernel, h));
    case GRM_GETANCHOR:
        if (lParam && GraphHeadLock(kernel, h, GOH_SIZE)) {
            const _COORDRECT r = storedBound(kernel, h);
            *reinterpret_cast<_COORDPT *>(lParam) = {r.x1, r.y1};
        }
        return 0;
    case GRM_REMOVED:
        notifyFor(kernel, h, 0, MAPNC_GROUP_CHANGED, h, false);
        return 0;
    case GRM_GETLINEOPTIONS:
        return 0;

    case GRM_ZCHANGED:
        z_UpdateChildrenBounds(kernel, h, REF_FILTER_LINK_BACK, reinterpret_cast<const Z_BOUNDS *>(lParam));
        return 1;
    case GRM_GETZRANGE: {
        auto *out = reinterpret_cast<Z_BOUNDS *>(lParam);
        InitZB(out);
        const size_t at = zRangeOffset(cls);
        const bool lists = at == 40 && !isPointSet(cls);
        if (out && at && (lists || IsObject3d(kernel, h)))
            if (const char *p = GraphHeadLock(kernel, h, uint32_t(at + sizeof(Z_BOUNDS))))
                *out = LoadField<Z_BOUNDS>(p, at);
        return getZ(kernel, h, cls, wParam);
    }
    case GRM_SETZRANGE: {
        const auto *in = reinterpret_cast<const Z_BOUNDS *>(lParam);
        const size_t at = zRangeOffset(cls);
        char *p = at ? GraphHeadLock(kernel, h, uint32_t(at + sizeof(Z_BOUNDS))) : nullptr;
        if (!in || !p || cls == CLASS_TEXT)
            return 0;
        StoreField(p, at, *in);
        if (isPointSet(cls))
            StoreField<uint16_t>(p, PS_ZFLAGS, uint16_t(LoadField<uint16_t>(p, PS_ZFLAGS) | 1));
        else if (cls == CLASS_BITMAP || cls == CLASS_PAGE || cls == CLASS_NAIL)
            StoreField<uint8_t>(p, 28, uint8_t(LoadField<uint8_t>(p, 28) | 1));
        return 1;
    }
    case GRM_CALCZBOUNDS:
        z_CalculateBounds(kernel, h, subCode, REF_FILTER_LINK_BACK);
        return 1;
    case GRM_UPDATEZBOUNDS:
        z_UpdateBounds(kernel, sender, h, subCode, reinterpret_cast<const Z_BOUNDS *>(lParam));
        return 1;
    case GRM_GETZ:
        return getZ(kernel, h, cls, wParam);
    case GRM_SETZ:
        return setZ(kernel, h, cls, wParam, int32_t(lParam));
    case GRM_FINDZ:
        return findZ(kernel, h, cls, reinterpret_cast<const _COORDPT *>(lParam));
    case GRM_SUMMEASURE:
        // lParam is the caller's accumulator; members add into it too.
        if (lParam)
            sumMeasure(kernel, h, cls, wParam, reinterpret_cast<double *>(lParam));
        return 0;
    default:
        return 0;
    }
}

LRESULT AllOBjectsProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                       uint16_t message, WPARAM wParam, LPARAM lParam)
{
    (void)sender, (void)subCode, (void)wParam, (void)lParam;
    if (message != OBJM_CREATE && message != OBJM_RESTORED)
        return 0;
    char *p = GraphHeadLock(kernel, receiver, ALL_WINDOW + 4);
    if (!p)
        return 0;
    if (message == OBJM_CREATE)
        StoreField<uint32_t>(p, ALL_WORD0, 0);
    // A restored copy belongs to no window.
    StoreField<uint32_t>(p, ALL_WINDOW, 0);
    return 0;
}

namespace {

constexpr uint32_t UNDO_FIXED_NEED = UNDO_RECT + sizeof(_COORDRECT);

void undoSelect(OBJectKernel *kernel, OBJHANDLE h, int32_t selected, const _COORDPT *pt)
{
    char *p = GraphHeadLock(kernel, h, UNDO_FIXED_NEED);
    if (!p)
        return;
    if (pt)
        StoreField(p, GOH_SELPOINT, *pt);
    StoreField(p, UNDO_SELECTED, selected);
    StoreField(p, UNDO_RECT, kEmptyBoundRect);
}

} // namespace

LRESULT UndoOBjectProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                       uint16_t message, WPARAM wParam, LPARAM lParam)
{
    if (!kernel || !GetOBJectClassID(kernel, receiver))
        return 0;
    const OBJHANDLE h = receiver;
    const bool undoLink = (subCode & 0x1000) || (subCode & 0x4000);
    switch (message) {
    case OBJM_REFINSERTED:
        if (!undoLink)
            break;
        if (!isUndoCopy(kernel, h))
            memberInserted(kernel, h, sender);
        return 0;
    case OBJM_REFREMOVED:
        if (!undoLink)
            break;
        if (!isUndoCopy(kernel, h)) {
            const char *p = GraphHeadLock(kernel, h, UNDO_FIXED_NEED);
            if (p && sender && LoadField<int32_t>(p, UNDO_SELECTED) == int32_t(sender))
                undoSelect(kernel, h, -1, &kEmptyPoint);
            memberRemoved(kernel, h, sender, subCode);
        }
        return 0;
    case OBJM_INFOLINE: {
        if (wParam > 0)
            return DefGraphOBjectProc(kernel, sender, h, subCode, message, wParam - 1, lParam);
        char *buffer = reinterpret_cast<char *>(lParam);
        const char *p = GraphHeadLock(kernel, h, UNDO_FIXED_NEED);
        if (!buffer || !p)
            return 0;
        const int32_t selected = LoadField<int32_t>(p, UNDO_SELECTED);
        const _COORDPT pt = LoadField<_COORDPT>(p, GOH_SELPOINT);
        std::snprintf(buffer, 128,
                      "Selected OBJect / point: \t%4" PRIX32 " (%5" PRId32 ") / (%6" PRId32 ",%6" PRId32 ")",
                      uint32_t(selected), selected, pt.x, pt.y);
        return 1;
    }
    case GRM_GETSELECTED: {
        const char *p = GraphHeadLock(kernel, h, UNDO_FIXED_NEED);
        if (!p)
            return -1;
        const int32_t selected = LoadField<int32_t>(p, UNDO_SELECTED);
        if (selected != -1 && lParam)
            *reinterpret_cast<_COORDPT *>(lParam) = LoadField<_COORDPT>(p, GOH_SELPOINT);
        return selected == -1 ? LRESULT(-1) : LRESULT(uint32_t(selected));
    }
    case GRM_SETSELECTED:
        // The whole handle is kept: objects above 65535 are common.
        undoSelect(kernel, h, int32_t(uint32_t(wParam)), reinterpret_cast<const _COORDPT *>(lParam));
        return 0;
    case GRM_CLEARSELECTED:
        undoSelect(kernel, h, -1, &kEmptyPoint);
        return 0;
    case GRM_SETSELECTEDREF:
        return 0;
    case GRM_GETVISIBLE:
    case GRM_GETSELECTABLE:
        return 1;
    default:
        break;
    }
    return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
}

int CompareBlocks(OBJectKernel *kernel, uint16_t idA, OBJHANDLE a, uint16_t idB, OBJHANDLE b)
{
    (void)idA, (void)idB;
    const char *pa = kernel ? OBJectLock(kernel, a) : nullptr;
    if (!pa)
        return -2;
    const char *pb = OBJectLock(kernel, b);
    if (!pb)
        return 2;
    const bool allA = GetOBJectClassID(kernel, a) == CLASS_ALLOBJECTS;
    const bool allB = GetOBJectClassID(kernel, b) == CLASS_ALLOBJECTS;
    if (allA != allB)
        return allA ? -1 : 1;
    if (allA) {
        // The key text may lack its terminator in a damaged record: stop at
        // the end of the record.
        for (size_t i = ALL_KEY; i < ALL_FIXED_SIZE; ++i) {
            const auto ca = static_cast<signed char>(pa[i]);
            const auto cb = static_cast<signed char>(pb[i]);
            if (ca != cb)
                return ca < cb ? -1 : 1;
            if (ca == 0)
                break;
        }
        return 0;
    }
    return a < b ? -1 : (a > b ? 1 : 0);
}

int SetVisible(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, int32_t *visitWord, void *user,
               int32_t reserved, int32_t siblingIndex, int last)
{
    (void)filter, (void)visitWord, (void)reserved, (void)siblingIndex, (void)last;
    if (!(GetOBJectClassID(kernel, node) & CLASSBIT_LIST))
        SendOBJectMessage(kernel, 0, node, 0, GRM_SETFLAGS, GF_DRAWNSELECTED, user ? 0xFFFF : 0);
    return 1;
}
