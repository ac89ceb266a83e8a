#include "engine/editing/tools/map_expert.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_queries.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace {

constexpr int kMaxDepth = 64;

std::vector<OBJHANDLE> targets(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    std::vector<OBJHANDLE> out;
    int32_t pos = -1;
    for (OBJHANDLE h = FirstReference(kernel, holder, id, &pos); h;
         h = GetReference(kernel, holder, id, &pos))
        out.push_back(h);
    return out;
}

struct Store {
    HWND window = 0;
    OBJectKernel *kernel = nullptr;
    OBJHANDLE root = 0;
    explicit Store(HWND w)
    {
        if (_WNDRES *rec = GetWndRes(w); rec && rec->kernel) {
            window = w;
            kernel = rec->kernel;
            root = rec->rootObject;
        }
    }
    explicit operator bool() const { return kernel != nullptr; }
    OBJHANDLE rootOf(uint16_t cls) const { return GetRootOBJKern(kernel, root, cls); }
    std::vector<OBJHANDLE> layers() const { return targets(kernel, rootOf(CLASS_LAYERS), REF_LAYER_MEMBER); }
    // Every object of every layer, each layer's from the last to the first.
    std::vector<OBJHANDLE> layerObjectsBackwards() const
    {
        std::vector<OBJHANDLE> out;
        for (const OBJHANDLE layer : layers()) {
            std::vector<OBJHANDLE> members = targets(kernel, layer, REF_LAYER_MEMBER);
            out.insert(out.end(), members.rbegin(), members.rend());
        }
        return out;
    }
    uint16_t classOf(OBJHANDLE h) const { return GetOBJectClassID(kernel, h); }
};

void setReport(std::string *report, const std::string &text)
{
    if (report)
        *report = text;
}

void raise(uint32_t *problems, uint32_t flag)
{
    if (problems)
        *problems |= flag;
}

std::string num(long long v) { return std::to_string(v); }

// Drops repeated consecutive points (and, for a polygon, a last point equal
// to the first); the points left.
uint32_t dropRepeats(PointSetAccess &a, bool polygon)
{
    auto same = [&](uint32_t i, uint32_t j) {
        const MAP_COORDPT p = a.at(i), q = a.at(j);
        return p.x == q.x && p.y == q.y && a.z(i) == a.z(j);
    };
    uint32_t kept = 0;
    for (uint32_t i = 0; i < a.count; ++i) {
        if (kept > 0 && same(i, kept - 1))
            continue;
        if (kept != i) {
            const MAP_COORDPT p = a.at(i);
            const int32_t z = a.z(i);
            a.put(kept, p);
            a.putZ(kept, z);
        }
        ++kept;
    }
    if (polygon && kept > 1 && same(kept - 1, 0))
        --kept;
    return kept;
}

// Takes one slot out of the holder's slot array, whatever its target is
// (a freed one included): later slots move down, the held count drops.
void dropSlot(OBJectKernel *kernel, OBJHANDLE holder, int32_t slot)
{
    OBJectHead *head = HeadLock(kernel, holder);
    if (!head || slot < 0 || uint32_t(slot) >= head->refsHeld)
        return;
    char *slots = reinterpret_cast<char *>(head) + head->refOffset;
    std::memmove(slots + size_t(slot) * 8, slots + size_t(slot + 1) * 8,
                 size_t(head->refsHeld - slot - 1) * 8);
    std::memset(slots + size_t(head->refsHeld - 1) * 8, 0, 8);
    --head->refsHeld;
}

bool rectEmpty(const MAP_COORDRECT &r) { return r.x1 > r.x2 || r.y1 > r.y2; }

MAP_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    MAP_COORDRECT r = kEmptyBoundRect;
    SendOBJectMessage(kernel, h, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

} // namespace

int PolygonsPolylinesExpert(HWND window, std::string *report, uint32_t *problems)
{
    Store s(window);
    if (!s)
        return 0;
    long long polygons = 0, polylines = 0, removedPg = 0, removedPl = 0, correctedPg = 0, correctedPl = 0;
    uint32_t flags = 0;
    for (const OBJHANDLE h : s.layerObjectsBackwards()) {
        const uint16_t cls = s.classOf(h);
        if (cls != CLASS_POLYGON && cls != CLASS_POLYLINE)
            continue;
        const bool polygon = cls == CLASS_POLYGON;
        const uint32_t least = polygon ? 3 : 2;
        (polygon ? polygons : polylines)++;
        PointSetAccess a;
        if (!LockPointSet(s.kernel, h, a))
            continue;
        if (a.count < least) {
            DeleteTree(s.kernel, h, REF_FILTER_FORWARD);
            flags |= polygon ? EXPERT_FEW_POLYGON_POINTS : EXPERT_FEW_POLYLINE_POINTS;
            (polygon ? removedPg : removedPl)++;
            continue;
        }
        const uint32_t kept = dropRepeats(a, polygon);
        if (kept == a.count)
            continue;
        if (kept < least) {
            DeleteTree(s.kernel, h, REF_FILTER_FORWARD);
            flags |= polygon ? EXPERT_FEW_POLYGON_POINTS_AFTER : EXPERT_FEW_POLYLINE_POINTS_AFTER;
            (polygon ? removedPg : removedPl)++;
            continue;
        }
        const uint32_t stride = a.stride;
        a.setCount(kept);
        ReSizeOBJectData(s.kernel, h, kept * stride);
        flags |= polygon ? EXPERT_POLYGON_ZERO_SEGMENTS : EXPERT_POLYLINE_ZERO_SEGMENTS;
        (polygon ? correctedPg : correctedPl)++;
    }
    std::string r = "POLYGONS/POLYLINES REPORT:\nNo. Polygons: " + num(polygons) + ".";
    if (removedPg)
        r += "\nNo. removed polygones: " + num(removedPg) + ".";
    if (correctedPg)
        r += "\nNo. corrected polygones: " + num(correctedPg) + ".";
    r += "\nNo. Polylines: " + num(polylines) + ".";
    if (removedPl)
        r += "\nNo. removed polylines: " + num(removedPl) + ".";
    if (correctedPl)
        r += "\nNo. corrected polylines: " + num(correctedPl) + ".";
    if (flags) {
        r += "\nPROBLEMS FOUND:";
        const std::pair<uint32_t, const char *> texts[] = {
            {EXPERT_FEW_POLYGON_POINTS, "To few points in polygons."},
            {EXPERT_FEW_POLYGON_POINTS_AFTER, "To few points in polygons, after corrections."},
            {EXPERT_POLYGON_ZERO_SEGMENTS, "Zero-length segments in polygons noticed."},
            {EXPERT_FEW_POLYLINE_POINTS, "To few points in polylines."},
            {EXPERT_FEW_POLYLINE_POINTS_AFTER, "To few points in polylines, after corrections."},
            {EXPERT_POLYLINE_ZERO_SEGMENTS, "Zero-length segments in polylines noticed."}};
        for (const auto &[flag, text] : texts)
            if (flags & flag)
                r += std::string("\n") + text;
    }
    raise(problems, flags);
    setReport(report, r);
    return 1;
}

int IdentifiersExpert(HWND window, std::string *report)
{
    Store s(window);
    if (!s)
        return 0;
    const OBJHANDLE list = s.rootOf(CLASS_IDSLIST);
    std::vector<OBJHANDLE> ids = targets(s.kernel, list, REF_IDLIST_MEMBER);
    int count = 0, text1 = 0, text2 = 0, deleted = 0, deleted1 = 0, deleted2 = 0;
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        const OBJHANDLE id = *it;
        ++count;
        int32_t pos = -1;
        const bool has1 = FirstReference(s.kernel, id, REF_ID_TEXT1, &pos) != 0;
        pos = -1;
        const bool has2 = FirstReference(s.kernel, id, REF_ID_TEXT2, &pos) != 0;
        text1 += has1;
        text2 += has2;
        pos = -1;
        if (FirstReference(s.kernel, id, REF_ID_USER, &pos))
            continue;
        DeleteTree(s.kernel, id, REF_FILTER_FORWARD);
        ++deleted;
        deleted1 += has1;
        deleted2 += has2;
    }
    std::string r = "IDENTIFIRES REPORT:\nNo. Ids.: " + num(count) + ".\nNo. Text1: " + num(text1) +
                    "\nNo. Text2: " + num(text2);
    if (deleted) {
        r += "\nDELETED:";
        r += "\nNo. Ids.: " + num(deleted) + ".";
        if (deleted1)
            r += "\nNo. Text1.: " + num(deleted1) + ".";
        if (deleted2)
            r += "\nNo. Text2.: " + num(deleted2) + ".";
    }
    setReport(report, r);
    return 1;
}

int TextsExpert(HWND window, int mode, std::string *report, uint32_t *problems)
{
    Store s(window);
    if (!s || mode < EXPERT_TEXTS_RECALCULATE || mode > EXPERT_TEXTS_REMOVE_ALL)
        return 0;
    long long count = 0, removed = 0;
    uint32_t flags = 0;
    for (const OBJHANDLE h : s.layerObjectsBackwards()) {
        if (s.classOf(h) != CLASS_TEXT)
            continue;
        ++count;
        const char *p = OBJectLock(s.kernel, h);
        if (!p)
            continue;
        size_t length = 0;
        if (LoadField<uint32_t>(p, offsetof(TextObjectData, textLength)) != 0) {
            char text[1024] = {};
            TextObjectTextGet(s.kernel, h, text, sizeof text);
            length = std::strlen(text);
        }
        bool remove = false;
        if (mode == EXPERT_TEXTS_RECALCULATE) {
            remove = length == 0;
            if (remove)
                flags |= EXPERT_ZERO_LENGTH_TEXTS;
        } else {
            remove = mode == EXPERT_TEXTS_REMOVE_ALL || length < 2;
        }
        if (remove) {
            DeleteTree(s.kernel, h, REF_FILTER_FORWARD);
            ++removed;
        } else if (mode == EXPERT_TEXTS_RECALCULATE) {
            TextObjectRecalcRect(window, h);
        }
    }
    std::string r = "TEXTS REPORT:\nNo. Texts: " + num(count) + ".";
    if (removed)
        r += "\nNo. removed texts: " + num(removed) + ".";
    if (flags)
        r += "\nPROBLEMS FOUND:\nZero length texts noticed.";
    raise(problems, flags);
    setReport(report, r);
    return 1;
}

int GroupsExpert(HWND window, std::string *report, uint32_t *problems)
{
    Store s(window);
    if (!s)
        return 0;
    std::vector<OBJHANDLE> groups;
    std::unordered_set<OBJHANDLE> counted;
    // The groups tree, depth first; a group reached twice counts once.
    std::vector<std::pair<OBJHANDLE, int>> stack{{s.rootOf(CLASS_GROUPS), 0}};
    while (!stack.empty()) {
        const auto [h, depth] = stack.back();
        stack.pop_back();
        if (!h || depth > kMaxDepth)
            continue;
        if (s.classOf(h) == CLASS_GROUP) {
            if (!counted.insert(h).second)
                continue;
            groups.push_back(h);
        }
        const std::vector<OBJHANDLE> members = targets(s.kernel, h, REF_GROUP_MEMBER);
        for (auto it = members.rbegin(); it != members.rend(); ++it)
            if (s.classOf(*it) & CLASSBIT_GROUPTREE)
                stack.push_back({*it, depth + 1});
    }
    long long improper = 0;
    for (const OBJHANDLE g : groups) {
        if (!targets(s.kernel, g, REF_GROUP_MEMBER).empty() || LG_IsLayerGroup(s.kernel, g))
            continue;
        DeleteTree(s.kernel, g, REF_FILTER_FORWARD);
        ++improper;
    }
    std::string r = "GROUPS REPORT:\nNo. Groups: " + num(groups.size()) + ".";
    if (improper) {
        r += "\nNo. unproper groups: " + num(improper) + ".";
        r += "\nPROBLEMS FOUND:\nGroups without members.";
        raise(problems, EXPERT_EMPTY_GROUPS);
    }
    setReport(report, r);
    return 1;
}

int KernelExpert(HWND window, std::string *report)
{
    Store s(window);
    if (!s)
        return 0;
    Undo_Reset(s.kernel);
    // Everything the document root reaches through forward references.
    const uint32_t limit = KernGiveAllObjectsAmount(s.kernel) + 1;
    std::vector<bool> reached(limit, false);
    std::vector<OBJHANDLE> stack{s.root};
    while (!stack.empty()) {
        const OBJHANDLE h = stack.back();
        stack.pop_back();
        if (!h || h >= limit || reached[h] || !HeadLock(s.kernel, h))
            continue;
        reached[h] = true;
        for (const OBJHANDLE t : targets(s.kernel, h, REF_FILTER_FORWARD))
            stack.push_back(t);
    }
    std::vector<OBJHANDLE> unreached;
    for (OBJHANDLE h = KernelGetNextHandle(s.kernel, 0); h; h = KernelGetNextHandle(s.kernel, h))
        if (h >= limit || !reached[h])
            unreached.push_back(h);
    // Each link of an unreached object goes in both halves first, so that
    // no reachable object keeps a link to a freed one.
    for (const OBJHANDLE h : unreached) {
        const OBJectHead *head = HeadLock(s.kernel, h);
        for (int32_t slot = head ? int32_t(head->refsHeld) - 1 : -1; slot >= 0; --slot)
            if (RemoveNthReference(s.kernel, h, slot) == OBJ_INVALID)
                dropSlot(s.kernel, h, slot);
    }
    for (const OBJHANDLE h : unreached)
        KillOBJect(s.kernel, h);
    CompressKernel(window);
    setReport(report, "KERNEL REPORT:\nNo. of killed objects: " + num(unreached.size()) +
                          ".\nKernel compressed successfully");
    return 1;
}

namespace {

void processBounds(OBJectKernel *kernel, OBJHANDLE h, int depth)
{
    if (depth > kMaxDepth || !HeadLock(kernel, h))
        return;
    const uint16_t cls = GetOBJectClassID(kernel, h);
    switch (cls) {
    case CLASS_POLYGON:
    case CLASS_POLYLINE: {
        MAP_COORDRECT r = kEmptyBoundRect;
        SetOfLinesegmentCalculateBR(kernel, h, &r);
        SendOBJectMessage(kernel, h, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
        [[fallthrough]];
    }
    case CLASS_TEXT:
    case CLASS_LEGEND:
    case CLASS_BITMAP:
    case CLASS_PAGE:
    case CLASS_NAIL:
    case CLASS_PRESENT: {
        const MAP_COORDRECT none = kEmptyBoundRect;
        PropagateOBJectMessage(kernel, h, REF_FILTER_LINK_BACK, GRM_CHILDBOUNDRECT, 0, LPARAM(&none));
        break;
    }
    case CLASS_GROUP:
    case CLASS_SELLIST:
    case CLASS_LAYERS: {
        MAP_COORDRECT empty = kEmptyBoundRect;
        SendOBJectMessage(kernel, h, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&empty));
        break;
    }
    case CLASS_LAYER:
        if (!(LayerFlagGet(kernel, h) & 1)) {
            MAP_COORDRECT empty = kEmptyBoundRect;
            SendOBJectMessage(kernel, h, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&empty));
        }
        break;
    default:
        break;
    }
    for (const OBJHANDLE t : targets(kernel, h, REF_FILTER_FORWARD))
        processBounds(kernel, t, depth + 1);
}

} // namespace

int BoundExpert(HWND window)
{
    Store s(window);
    if (!s)
        return 0;
    processBounds(s.kernel, s.root, 0);
    return 1;
}

int DoghnutsExpert(HWND window, std::string *report)
{
    Store s(window);
    if (!s)
        return 0;
    int plain = 0, other = 0;
    for (const OBJHANDLE h : s.layerObjectsBackwards()) {
        if (s.classOf(h) != CLASS_POLYGON)
            continue;
        if (SendOBJectMessage(s.kernel, h, h, 0, GRM_GETFLAGS, GF_NOBRIDGE, 0)) {
            SendOBJectMessage(s.kernel, h, h, 0, GRM_SETFLAGS, GF_NOBRIDGE, 0);
            ++plain;
        } else {
            ++other;
        }
    }
    setReport(report, "DOUGHNUTS REPORT:\nNo. Non Doughnuts: " + num(plain) +
                          ".\nNo. Doughnuts & Unknown: " + num(other) + ".");
    return 1;
}

int IsOBJValid(OBJectKernel *kernel, OBJHANDLE handle)
{
    static constexpr uint16_t kValid[] = {
        CLASS_POLYGON,  CLASS_POLYLINE,  CLASS_TEXT,         CLASS_LEGEND, CLASS_POINTS,    CLASS_BITMAP,
        CLASS_PAGE,     CLASS_EXTRA,     CLASS_ZOBJ,         CLASS_NAIL,   CLASS_PRESENT,   CLASS_SELLIST,
        CLASS_IDSLIST,  CLASS_ID,        CLASS_GISLIST,      CLASS_GIS,    CLASS_BLOCKLIST, CLASS_ALLOBJECTS,
        CLASS_PRESLIST, CLASS_PRESDESCR, CLASS_PRESDESCRCOL, CLASS_LAYERS, CLASS_LAYER,     CLASS_GROUPS,
        CLASS_ASPECT,   CLASS_GROUP,     CLASS_UNDO};
    const OBJectHead *head = handle ? HeadLock(kernel, handle) : nullptr;
    if (!head || (head->flags & OBJF_DELETED))
        return 0;
    const uint16_t cls = GetOBJectClassID(kernel, handle);
    return std::find(std::begin(kValid), std::end(kValid), cls) != std::end(kValid) ? 1 : 0;
}

int IsRefValid(uint16_t id)
{
    return (id >= 0x800E && id <= 0x8011) || (id >= 0x8020 && id <= 0x802D) || id == 0x8202 || id == 0x8203 ||
                   id == 0x8404 || id == 0x8405 || (id >= 0x840A && id <= 0x840D) || id == 0x8802 ||
                   id == 0x8803 || (id >= 0x8806 && id <= 0x8809)
               ? 1
               : 0;
}

int ReferenceCorr(OBJectKernel *kernel, OBJHANDLE object, int *counter)
{
    if (!kernel || !HeadLock(kernel, object))
        return 0;
    // What the object reaches, in handle order.
    std::vector<OBJHANDLE> reached;
    std::vector<OBJHANDLE> stack{object};
    std::vector<bool> seen(KernGiveAllObjectsAmount(kernel) + 1, false);
    while (!stack.empty()) {
        const OBJHANDLE h = stack.back();
        stack.pop_back();
        if (h >= seen.size() || seen[h] || !HeadLock(kernel, h))
            continue;
        seen[h] = true;
        reached.push_back(h);
        for (const OBJHANDLE t : targets(kernel, h, REF_FILTER_FORWARD))
            stack.push_back(t);
    }
    std::sort(reached.begin(), reached.end());
    for (const OBJHANDLE h : reached)
        HeadLock(kernel, h)->refsIncoming = 0;
    for (const OBJHANDLE h : reached) {
        uint16_t id = 0;
        OBJHANDLE t = 0;
        for (int32_t slot = 0; GetRef(kernel, h, &id, &t, slot); ++slot)
            if (OBJectHead *th = t ? HeadLock(kernel, t) : nullptr)
                ++th->refsIncoming;
    }
    // References to invalid objects or with invalid ids go.
    int removed = 0;
    for (const OBJHANDLE h : reached) {
        const OBJectHead *head = HeadLock(kernel, h);
        for (int32_t slot = head ? int32_t(head->refsHeld) - 1 : -1; slot >= 0; --slot) {
            uint16_t id = 0;
            OBJHANDLE t = 0;
            if (!GetRef(kernel, h, &id, &t, slot))
                continue;
            if (!IsOBJValid(kernel, t) || !IsRefValid(id)) {
                if (OBJectHead *th = HeadLock(kernel, t); th && th->refsIncoming)
                    --th->refsIncoming;
                dropSlot(kernel, h, slot);
                ++removed;
            }
        }
    }
    // The report counts only the undo list's repair; the counter is passed
    // along unchanged.
    (void)counter;
    return removed;
}

int ReferencesExpert(HWND window, std::string *report)
{
    Store s(window);
    if (!s)
        return 0;
    int corrected = 0;
    if (const OBJHANDLE undo = s.rootOf(CLASS_UNDO); undo && RemoveNonRootRefs(s.kernel, undo))
        ++corrected;
    ReferenceCorr(s.kernel, s.root, &corrected);
    const OBJHANDLE layersRoot = s.rootOf(CLASS_LAYERS);
    auto removeMembers = [&](OBJHANDLE holder, auto keep) {
        for (int32_t slot = int32_t(GetNumberOfReferencesFrom(s.kernel, holder, 0)) - 1; slot >= 0; --slot) {
            uint16_t id = 0;
            OBJHANDLE t = 0;
            if (GetRef(s.kernel, holder, &id, &t, slot) && id == REF_LAYER_MEMBER && !keep(t))
                RemoveNthReference(s.kernel, holder, slot);
        }
    };
    removeMembers(layersRoot, [&](OBJHANDLE t) { return s.classOf(t) == CLASS_LAYER; });
    for (const OBJHANDLE layer : s.layers())
        removeMembers(layer, [&](OBJHANDLE t) { return s.classOf(t) != CLASS_ID; });
    setReport(report, "REFERENCES REPORT:\nNo. of corrected object: " + num(corrected));
    return 1;
}

int LayersExpert(HWND window, std::string *report)
{
    Store s(window);
    if (!s)
        return 0;
    int set = 0;
    for (const OBJHANDLE layer : s.layers()) {
        char *p = s.classOf(layer) == CLASS_LAYER ? OBJectLock(s.kernel, layer) : nullptr;
        if (!p)
            continue;
        const uint16_t mask = LoadField<uint16_t>(p, offsetof(Layer, attrMask));
        if (mask & 8)
            continue;
        StoreField<uint16_t>(p, offsetof(Layer, attrMask), uint16_t(mask | 8));
        ++set;
    }
    setReport(report,
              "LAYERS REPORT:\nNo of layers without flag for setting colour: " + num(set) + " (were set)");
    return 1;
}

namespace {

struct Slot {
    uint32_t target;
    uint16_t id;
    uint16_t word;
};
static_assert(sizeof(Slot) == 8);

} // namespace

int SortExpertInt(HWND window, const SortData *sort)
{
    Store s(window);
    if (!s || !sort)
        return 0;
    const bool up = sort->ascending != 0;
    auto key = [&](OBJHANDLE h) -> int64_t {
        const MAP_COORDRECT r = boundOf(s.kernel, h);
        switch (sort->key) {
        case EXPERT_SORT_X:
            return up ? r.x1 : r.x2;
        case EXPERT_SORT_Y:
            return up ? r.y1 : r.y2;
        case EXPERT_SORT_AREA:
            return rectEmpty(r) ? 0 : (int64_t(r.x2) - r.x1) * (int64_t(r.y2) - r.y1);
        default: {
            PointSetAccess a;
            return LockPointSet(s.kernel, h, a) ? int64_t(a.count) : 0;
        }
        }
    };
    for (const OBJHANDLE layer : s.layers()) {
        OBJectHead *head = HeadLock(s.kernel, layer);
        if (!head || !head->refsHeld)
            continue;
        char *slots = reinterpret_cast<char *>(head) + head->refOffset;
        std::vector<Slot> all(head->refsHeld);
        std::memcpy(all.data(), slots, all.size() * sizeof(Slot));
        // Other slots first, in their order; then the members by the key.
        std::vector<Slot> others, members;
        for (const Slot &slot : all)
            (slot.id == REF_LAYER_MEMBER ? members : others).push_back(slot);
        std::vector<std::pair<int64_t, Slot>> keyed;
        for (const Slot &m : members)
            keyed.push_back({key(m.target), m});
        if (sort->key == EXPERT_SORT_POINTS) {
            // Only polygons and polylines have a point count: they are
            // ordered among themselves, the others keep their places.
            std::vector<size_t> at;
            std::vector<std::pair<int64_t, Slot>> lines;
            for (size_t i = 0; i < keyed.size(); ++i) {
                const uint16_t cls = s.classOf(keyed[i].second.target);
                if (cls == CLASS_POLYGON || cls == CLASS_POLYLINE) {
                    at.push_back(i);
                    lines.push_back(keyed[i]);
                }
            }
            std::stable_sort(lines.begin(), lines.end(), [&](const auto &a, const auto &b) {
                return up ? a.first < b.first : a.first > b.first;
            });
            for (size_t i = 0; i < at.size(); ++i)
                keyed[at[i]] = lines[i];
        } else {
            std::stable_sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
                return up ? a.first < b.first : a.first > b.first;
            });
        }
        all = others;
        for (const auto &k : keyed)
            all.push_back(k.second);
        head = HeadLock(s.kernel, layer);
        std::memcpy(reinterpret_cast<char *>(head) + head->refOffset, all.data(), all.size() * sizeof(Slot));
    }
    return 1;
}

int AllTestsExpert(HWND window, std::string *report)
{
    Store s(window);
    if (!s)
        return 0;
    std::string part, all;
    auto add = [&](const std::string &text) { all += (all.empty() ? "" : "\n\n") + text; };
    PolygonsPolylinesExpert(window, &part, nullptr);
    add(part);
    IdentifiersExpert(window, &part);
    add(part);
    TextsExpert(window, EXPERT_TEXTS_RECALCULATE, &part, nullptr);
    add(part);
    GroupsExpert(window, &part, nullptr);
    add(part);
    KernelExpert(window, &part);
    add(part);
    BoundExpert(window);
    add("BOUNDINGS REPORT:\nBounding Rectangles Propagated");
    DoghnutsExpert(window, &part);
    add(part);
    setReport(report, all);
    return 1;
}
