#include "engine/kernel/undo_holders.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

namespace {

constexpr uint16_t kGone = OBJF_UNDODELETED | OBJF_UNDOCOPY | OBJF_DELETED;

bool live(OBJectKernel *kernel, OBJHANDLE h)
{
    const OBJectHead *head = h ? HeadLock(kernel, h) : nullptr;
    return head && !(head->flags & kGone);
}

// The document's root: the lowest live AllOBJects object. The roots are made
// first, so the walk ends after a few slots; it never depends on links that
// a deletion can cut.
OBJHANDLE kernelRoot(OBJectKernel *kernel)
{
    const BankDesc *bank = kernel->bank;
    const uint32_t end = std::min(bank->firstFree, bank->capacity);
    for (OBJHANDLE h = 1; h < end; ++h)
        if (live(kernel, h) && GetOBJectClassID(kernel, h) == CLASS_ALLOBJECTS)
            return h;
    return 0;
}

OBJHANDLE rootChild(OBJectKernel *kernel, OBJHANDLE root, uint16_t classId)
{
    int32_t pos = -1;
    for (OBJHANDLE h = FirstReference(kernel, root, REF_ROOT, &pos); h;
         h = GetReference(kernel, root, REF_ROOT, &pos))
        if (GetOBJectClassID(kernel, h) == classId)
            return h;
    return 0;
}

// Classes whose selected number is not a slot of theirs (their procedures
// keep it out of the default's reach).
bool selectedIsNumber(uint16_t cls)
{
    return cls == CLASS_GROUPS || cls == CLASS_ASPECT || cls == CLASS_GROUP;
}

OBJHANDLE targetAt(OBJectKernel *kernel, OBJHANDLE holder, int32_t slot)
{
    uint16_t id = 0;
    OBJHANDLE t = 0;
    return slot >= 0 && GetRef(kernel, holder, &id, &t, slot) ? t : 0;
}

// The slot of the holder that names the target through a forward link; -1
// when none does.
int32_t slotOf(OBJectKernel *kernel, OBJHANDLE holder, OBJHANDLE target)
{
    uint16_t id = 0;
    OBJHANDLE t = 0;
    for (int32_t n = 0; GetRef(kernel, holder, &id, &t, n); ++n)
        if (t == target && (id & 1))
            return n;
    return -1;
}

// Offset in the fixed data of a root's active slot, 0 for other classes.
size_t activeOffset(uint16_t cls)
{
    if (cls == CLASS_LAYERS)
        return offsetof(Layers, activeSlot);
    if (cls == CLASS_GROUPS)
        return offsetof(Groups, activeSlot);
    return 0;
}

UndoHolderState stateOf(OBJectKernel *kernel, OBJHANDLE h)
{
    UndoHolderState s{};
    const char *p = GraphHeadLock(kernel, h, GOH_LIST_SIZE);
    if (!p)
        return s;
    s.holder = h;
    const uint16_t cls = GetOBJectClassID(kernel, h);
    const int32_t selected = LoadField<int32_t>(p, GOH_SELSLOT);
    s.point = LoadField<_COORDPT>(p, GOH_SELPOINT);
    if (cls == CLASS_SELLIST) {
        s.selected = selected == -1 ? 0 : uint32_t(selected);
        if (GraphHeadLock(kernel, h, SELLIST_FIXED_SIZE))
            s.active = LoadField<uint32_t>(p, offsetof(SelList, lastDeselected));
        return s;
    }
    s.selected = selectedIsNumber(cls) ? uint32_t(selected) : targetAt(kernel, h, selected);
    if (const size_t at = activeOffset(cls); at && GraphHeadLock(kernel, h, uint32_t(at + 4)))
        s.active = targetAt(kernel, h, LoadField<int32_t>(p, at));
    return s;
}

void restoreState(OBJectKernel *kernel, const UndoHolderState &s)
{
    if (!live(kernel, s.holder) || !GraphHeadLock(kernel, s.holder, GOH_LIST_SIZE))
        return;
    const uint16_t cls = GetOBJectClassID(kernel, s.holder);
    if (cls == CLASS_SELLIST) {
        // The current object may be a member of a selected group.
        const bool member = s.selected && live(kernel, s.selected);
        const bool lastLive = s.active == 0 || live(kernel, s.active);
        char *p = GraphHeadLock(kernel, s.holder, SELLIST_FIXED_SIZE);
        if (!p)
            return;
        if (member || s.selected == 0) {
            StoreField<int32_t>(p, GOH_SELSLOT, member ? int32_t(s.selected) : -1);
            StoreField(p, GOH_SELPOINT, s.point);
        }
        if (lastLive)
            StoreField<uint32_t>(p, offsetof(SelList, lastDeselected), s.active);
        return;
    }
    if (selectedIsNumber(cls)) {
        char *p = GraphHeadLock(kernel, s.holder, GOH_LIST_SIZE);
        StoreField<int32_t>(p, GOH_SELSLOT, int32_t(s.selected));
        StoreField(p, GOH_SELPOINT, s.point);
    } else {
        const int32_t slot = s.selected ? slotOf(kernel, s.holder, s.selected) : -1;
        if (slot >= 0 || s.selected == 0) {
            char *p = GraphHeadLock(kernel, s.holder, GOH_LIST_SIZE);
            StoreField<int32_t>(p, GOH_SELSLOT, slot);
            StoreField(p, GOH_SELPOINT, s.point);
        }
    }
    if (const size_t at = activeOffset(cls); at && s.active) {
        const int32_t slot = slotOf(kernel, s.holder, s.active);
        if (char *p = GraphHeadLock(kernel, s.holder, uint32_t(at + 4)); p && slot >= 0)
            StoreField<int32_t>(p, at, slot);
    }
}

std::vector<std::pair<uint16_t, OBJHANDLE>> linksOf(OBJectKernel *kernel, OBJHANDLE h)
{
    std::vector<std::pair<uint16_t, OBJHANDLE>> out;
    uint16_t id = 0;
    OBJHANDLE t = 0;
    for (int32_t n = 0; GetRef(kernel, h, &id, &t, n); ++n)
        if (id & REF_PAIRED)
            out.emplace_back(id, t);
    return out;
}

int countLinks(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target)
{
    int n = 0;
    uint16_t rid = 0;
    OBJHANDLE t = 0;
    for (int32_t i = 0; GetRef(kernel, holder, &rid, &t, i); ++i)
        n += rid == id && t == target;
    return n;
}

void removeLinks(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target, int count)
{
    for (int k = 0; k < count; ++k) {
        const int32_t slot = FindReference(kernel, holder, id, target);
        if (slot < 0 || RemRef(kernel, holder, slot) == OBJ_INVALID)
            return;
    }
}

// Lists of the layer and group trees: Layers, layers, Groups, aspects,
// groups and districts.
bool inTree(OBJectKernel *kernel, OBJHANDLE h)
{
    return (GetOBJectClassID(kernel, h) & (CLASSBIT_LAYERTREE | CLASSBIT_GROUPTREE)) != 0;
}

// How many lists of the trees lie above the object, through the first link
// to its layer or group (bounded, for damaged data).
int treeDepth(OBJectKernel *kernel, OBJHANDLE h)
{
    int depth = 0;
    for (OBJHANDLE p = h; p && depth < 4096; ++depth) {
        OBJHANDLE up = 0;
        uint16_t id = 0;
        OBJHANDLE t = 0;
        for (int32_t n = 0; !up && GetRef(kernel, p, &id, &t, n); ++n)
            if ((id == REF_GROUP_PARENT || id == REF_LAYER_BACK) && inTree(kernel, t))
                up = t;
        p = up;
    }
    return depth;
}

} // namespace

std::vector<UndoHolderState> UndoTakeHolderStates(OBJectKernel *kernel)
{
    std::vector<UndoHolderState> out;
    const OBJHANDLE root = kernel ? kernelRoot(kernel) : 0;
    if (!root)
        return out;
    std::set<OBJHANDLE> seen;
    auto add = [&](OBJHANDLE h) {
        if (seen.insert(h).second)
            if (const UndoHolderState s = stateOf(kernel, h); s.holder)
                out.push_back(s);
    };
    int32_t pos = -1;
    for (OBJHANDLE top = FirstReference(kernel, root, REF_ROOT, &pos); top;
         top = GetReference(kernel, root, REF_ROOT, &pos)) {
        const uint16_t cls = GetOBJectClassID(kernel, top);
        if (!(cls & CLASSBIT_LIST) || cls == CLASS_UNDO)
            continue;
        add(top);
        if (cls == CLASS_SELLIST)
            continue;
        // The layers, aspects and layer groups under a root; groups keep
        // their fields in their own blocks, which the history records.
        int32_t at = -1;
        for (OBJHANDLE m = FirstReference(kernel, top, REF_FILTER_LINK_FORWARD, &at); m;
             m = GetReference(kernel, top, REF_FILTER_LINK_FORWARD, &at)) {
            const uint16_t mc = GetOBJectClassID(kernel, m);
            if ((mc & CLASSBIT_LIST) && mc != CLASS_GROUP && live(kernel, m))
                add(m);
        }
    }
    return out;
}

size_t UndoHolderTrailerSize(const std::vector<UndoHolderState> &states)
{
    return 4 + states.size() * sizeof(UndoHolderState);
}

void UndoWriteHolderTrailer(void *out, const std::vector<UndoHolderState> &states)
{
    auto *p = static_cast<char *>(out);
    StoreField<uint32_t>(p, 0, uint32_t(states.size()));
    if (!states.empty())
        std::memcpy(p + 4, states.data(), states.size() * sizeof(UndoHolderState));
}

std::vector<UndoHolderState> UndoReadHolderTrailer(const void *in, size_t size)
{
    if (!in || size < 4)
        return {};
    const auto *p = static_cast<const char *>(in);
    const size_t n = std::min<size_t>(LoadField<uint32_t>(p, 0), (size - 4) / sizeof(UndoHolderState));
    std::vector<UndoHolderState> out(n);
    if (n)
        std::memcpy(out.data(), p + 4, n * sizeof(UndoHolderState));
    return out;
}

void UndoRestoreHolderStates(OBJectKernel *kernel, const std::vector<UndoHolderState> &states)
{
    for (const UndoHolderState &s : states)
        restoreState(kernel, s);
}

void UndoRepairLinks(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE otherBlock)
{
    if (!live(kernel, object))
        return;
    const OBJHANDLE root = kernelRoot(kernel);
    const OBJHANDLE list = root ? rootChild(kernel, root, CLASS_SELLIST) : 0;
    // The partners: everything either block links with, and the selection
    // list, which may hold the object without either block knowing.
    std::set<OBJHANDLE> partners;
    for (const auto &[id, t] : linksOf(kernel, object))
        partners.insert(t);
    if (otherBlock && HeadLock(kernel, otherBlock))
        for (const auto &[id, t] : linksOf(kernel, otherBlock))
            partners.insert(t);
    if (list)
        partners.insert(list);
    partners.erase(object);
    for (const OBJHANDLE t : partners) {
        if (!live(kernel, t))
            continue;
        // Every paired id between the two, from the object's side.
        std::set<uint16_t> ids;
        for (const auto &[id, target] : linksOf(kernel, object))
            if (target == t)
                ids.insert(id);
        for (const auto &[id, target] : linksOf(kernel, t))
            if (target == object)
                ids.insert(uint16_t(id ^ 1));
        for (const uint16_t id : ids) {
            const int mine = countLinks(kernel, object, id, t);
            const int theirs = countLinks(kernel, t, uint16_t(id ^ 1), object);
            if (mine == theirs)
                continue;
            if (t == list && id == REF_SELECTED_BACK) {
                // The selection list decides: the object follows it.
                if (theirs > mine) {
                    for (int k = mine; k < theirs; ++k)
                        InsRef(kernel, object, REF_SELECTED_BACK, list, -1);
                    docmodel::SetGraphFlags(kernel, object, GF_SELECTED, true);
                } else {
                    removeLinks(kernel, object, REF_SELECTED_BACK, list, mine - theirs);
                    docmodel::SetGraphFlags(kernel, object, GF_SELECTED | GF_DRAWNSELECTED, false);
                }
            } else if (mine > theirs) {
                // The block decides: its partners link back to it again.
                for (int k = theirs; k < mine; ++k)
                    InsRef(kernel, t, uint16_t(id ^ 1), object, -1);
            } else {
                removeLinks(kernel, t, uint16_t(id ^ 1), object, theirs - mine);
            }
        }
    }
}

void UndoCollectHolders(OBJectKernel *kernel, OBJHANDLE object, std::vector<UndoHolder> &holders)
{
    uint16_t id = 0;
    OBJHANDLE t = 0;
    for (int32_t n = 0; GetRef(kernel, object, &id, &t, n); ++n) {
        const UndoHolder holder{t, uint16_t(id ^ 1)};
        if ((id & REF_PAIRED) && !(id & 1) && (GetOBJectClassID(kernel, t) & CLASSBIT_LIST) &&
            std::find(holders.begin(), holders.end(), holder) == holders.end())
            holders.push_back(holder);
    }
}

void UndoRecomputeHolders(OBJectKernel *kernel, const std::vector<UndoHolder> &holders)
{
    // The layer and group trees above the lists hold their fields too (a
    // layer's in the Layers root, a group's in its parent group and aspect);
    // each list is computed after the lists it holds, from the deepest up.
    std::vector<UndoHolder> all;
    auto add = [&](const UndoHolder &h) {
        if (live(kernel, h.list) && std::find(all.begin(), all.end(), h) == all.end())
            all.push_back(h);
    };
    for (const UndoHolder &h : holders)
        add(h);
    for (size_t i = 0; i < all.size(); ++i)
        if (inTree(kernel, all[i].list)) {
            std::vector<UndoHolder> above;
            UndoCollectHolders(kernel, all[i].list, above);
            for (const UndoHolder &h : above)
                if (inTree(kernel, h.list))
                    add(h);
        }
    std::vector<std::pair<int, UndoHolder>> byDepth;
    for (const UndoHolder &h : all)
        byDepth.emplace_back(treeDepth(kernel, h.list), h);
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    for (const auto &[depth, h] : byDepth) {
        SendOBJectMessage(kernel, 0, h.list, h.memberId, GRM_CALCBOUNDRECT, 0, 0);
        SendOBJectMessage(kernel, 0, h.list, h.memberId, GRM_CALCMAXDATASPACE, 0, 0);
    }
}

void UndoCheckSelectionFields(OBJectKernel *kernel)
{
    const OBJHANDLE root = kernel ? kernelRoot(kernel) : 0;
    const OBJHANDLE list = root ? rootChild(kernel, root, CLASS_SELLIST) : 0;
    char *p = list ? GraphHeadLock(kernel, list, SELLIST_FIXED_SIZE) : nullptr;
    if (!p)
        return;
    const int32_t current = LoadField<int32_t>(p, GOH_SELSLOT);
    if (current != -1 && (current <= 0 || !live(kernel, OBJHANDLE(current))))
        StoreField<int32_t>(p, GOH_SELSLOT, -1);
    const uint32_t last = LoadField<uint32_t>(p, offsetof(SelList, lastDeselected));
    if (last && !live(kernel, last))
        StoreField<uint32_t>(p, offsetof(SelList, lastDeselected), 0);
}
