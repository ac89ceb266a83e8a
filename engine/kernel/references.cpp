#include "engine/kernel/references.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kInvalid = int32_t(OBJ_INVALID);

// Recursive tree operations stop descending at this depth: real trees are a
// handful of levels deep, and damaged data must not exhaust the stack.
constexpr int kMaxTreeDepth = 4096;

// A holder whose reference area is consistent with its block; anything else
// (a damaged head) is treated as a bad handle so that no slot is read
// outside the block.
OBJectHead *holderHead(OBJectKernel *kernel, OBJHANDLE handle)
{
    OBJectHead *head = HeadLock(kernel, handle);
    if (!head)
        return nullptr;
    if (head->refOffset < OBJ_HEAD_SIZE || (head->refOffset & 3) || head->refOffset > head->dataOffset ||
        head->dataOffset > head->size || head->refsHeld > (head->dataOffset - head->refOffset) / 8)
        return nullptr;
    return head;
}

OBJectRef *refsOf(OBJectHead *head)
{
    return reinterpret_cast<OBJectRef *>(reinterpret_cast<char *>(head) + head->refOffset);
}

uint32_t capacityOf(const OBJectHead *head) { return (head->dataOffset - head->refOffset) / 8; }

bool sameLink(uint16_t a, uint16_t b) { return ((a ^ b) & REF_IDMASK) == 0; }

OBJectCompareProc compareOf(const OBJectHead *head)
{
    const OBJectClassDescr *d = ClassDescrByIndex(head->classIndex);
    return d ? d->compare : nullptr;
}

uint32_t classSlotsOf(const OBJectHead *head)
{
    const OBJectClassDescr *d = ClassDescrByIndex(head->classIndex);
    return d ? d->slots : 0;
}

// Slot index of the first reference to target with the same link; -1 when
// none. Ignores the target's flags.
int32_t findSlot(OBJectHead *head, uint16_t id, OBJHANDLE target)
{
    const OBJectRef *refs = refsOf(head);
    for (uint32_t i = 0; i < head->refsHeld; ++i)
        if (refs[i].target == target && sameLink(refs[i].id, id))
            return int32_t(i);
    return -1;
}

// findSlot for a holder in mode 2: its slots are in ascending target order
// (an insertion out of order drops the mode), so a binary search finds the
// run of the target's slots.
int32_t findSortedByHandle(OBJectHead *head, uint16_t id, OBJHANDLE target)
{
    const OBJectRef *refs = refsOf(head);
    const OBJectRef *end = refs + head->refsHeld;
    const OBJectRef *it =
        std::lower_bound(refs, end, target, [](const OBJectRef &r, OBJHANDLE t) { return r.target < t; });
    for (; it != end && it->target == target; ++it)
        if (sameLink(it->id, id))
            return int32_t(it - refs);
    return -1;
}

// The first slot from `from` on, stepping by `step` (1 or -1), whose link
// passes the filter: its target, and its index in *pos (`missing` there when
// no slot matches).
OBJHANDLE scanReferences(OBJectHead *head, int64_t from, int step, uint16_t filter, int32_t *pos,
                         int32_t missing)
{
    const OBJectRef *refs = refsOf(head);
    for (int64_t i = from; i >= 0 && i < int64_t(head->refsHeld); i += step)
        if (RefMatchesFilter(refs[i].id, filter)) {
            if (pos)
                *pos = int32_t(i);
            return refs[i].target;
        }
    if (pos)
        *pos = missing;
    return 0;
}

// The holder's references whose links pass the filter, copied out so that
// the caller may change the holder while it walks them.
std::vector<OBJectRef> matchingReferences(OBJectHead *head, uint16_t filter)
{
    std::vector<OBJectRef> matching;
    const OBJectRef *refs = refsOf(head);
    for (uint32_t i = 0; i < head->refsHeld; ++i)
        if (RefMatchesFilter(refs[i].id, filter))
            matching.push_back(refs[i]);
    return matching;
}

// Comparison of two slots of a holder (ordering checks and sorting).
int compareSlots(OBJectKernel *kernel, OBJectCompareProc compare, const OBJectRef *a, const OBJectRef *b)
{
    if (a->target == 0)
        return -2;
    if (b->target == 0)
        return 2;
    if (!compare)
        return 0;
    const int r = compare(kernel, a->id, a->target, b->id, b->target);
    if (r == OBJ_COMPARE_EQUALKEYS)
        return a < b ? -1 : 1;
    return r;
}

// The nodes of the current path of a walk: a child already on it closes a
// cycle (damaged data) and is not descended into.
struct PathGuard {
    std::unordered_set<OBJHANDLE> onPath;
    int depth = 0;

    bool enter(OBJHANDLE node)
    {
        if (depth >= kMaxTreeDepth || !onPath.insert(node).second)
            return false;
        ++depth;
        return true;
    }
    void leave(OBJHANDLE node)
    {
        onPath.erase(node);
        --depth;
    }
};

// Shrinks the slot array after a removal when enough of it is free.
bool shrinkSlots(OBJectKernel *kernel, OBJHANDLE holder)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head)
        return false;
    const uint32_t capacity = capacityOf(head);
    const uint32_t keep = std::max(head->refsHeld, classSlotsOf(head));
    if (capacity <= 1 || keep >= capacity)
        return true;
    const uint32_t free = capacity - keep;
    if (free <= capacity / 4 + 1)
        return true;
    return ReSizeOBJExported(kernel, holder, -int32_t(8 * free), 0) != 0;
}

uint32_t insertOne(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target, int32_t requested,
                   bool notifyTarget)
{
    const OBJectHead *targetHead = HeadLock(kernel, target);
    if (!targetHead) {
        KernelBadHandleError(target);
        return OBJ_INVALID;
    }
    if (targetHead->flags & OBJF_DELETED) {
        KernelInternalError("You can't add reference to deleted object");
        return OBJ_INVALID;
    }
    OBJectHead *head = holderHead(kernel, holder);
    if (!head) {
        KernelBadHandleError(holder);
        return OBJ_INVALID;
    }
    const uint16_t mode = head->flags & OBJF_MODEMASK;
    int32_t pos;
    if (mode == OBJ_INSERTFIRST) {
        pos = 0;
    } else if (mode == OBJ_SORTEDHANDLE) {
        if (findSortedByHandle(head, id, target) >= 0)
            return OBJ_INVALID;
        pos = int32_t(head->refsHeld);
    } else if (mode == OBJ_SORTEDKEY) {
        const int32_t found = FindKey(kernel, holder, id, target);
        if (found >= 0 || found == kInvalid)
            return OBJ_INVALID;
        pos = ~found;
    } else {
        pos = requested;
    }

    head = holderHead(kernel, holder);
    if (!head)
        return OBJ_INVALID;
    if (head->refsHeld == capacityOf(head) &&
        !ReSizeOBJExported(kernel, holder, int32_t(8 * (head->refsHeld / 4 + 1)), 0))
        return OBJ_INVALID;

    OBJectHead *th = HeadLock(kernel, target);
    ++th->refsIncoming;
    if (notifyTarget) {
        SendOBJectMessage(kernel, holder, target, id, OBJM_REFERENCED, 0, LPARAM(th->refsIncoming));
        // The target's procedure may have changed the holder: look again.
        head = holderHead(kernel, holder);
        if (head && head->refsHeld == capacityOf(head) &&
            !ReSizeOBJExported(kernel, holder, int32_t(8 * (head->refsHeld / 4 + 1)), 0))
            head = nullptr;
        if (!head) {
            if (OBJectHead *t = HeadLock(kernel, target); t && t->refsIncoming)
                --t->refsIncoming;
            return OBJ_INVALID;
        }
    }
    head = holderHead(kernel, holder);
    const uint32_t held = head->refsHeld;
    if (pos < 0 || uint32_t(pos) > held)
        pos = int32_t(held);
    OBJectRef *refs = refsOf(head);
    std::move_backward(refs + pos, refs + held, refs + held + 1);
    refs[pos] = OBJectRef{target, id, 0};

    if (held > 0) {
        bool outOfOrder = false;
        if (mode == OBJ_SORTEDHANDLE) {
            outOfOrder = (pos > 0 && target < refs[pos - 1].target) ||
                         (uint32_t(pos) < held && target > refs[pos + 1].target);
        } else if (mode == OBJ_SORTEDKEY) {
            if (OBJectCompareProc compare = compareOf(head)) {
                // Copies in slot order: the compare procedure is outside code
                // and equal keys are ordered by position.
                const OBJectRef trio[3] = {pos > 0 ? refs[pos - 1] : OBJectRef{}, refs[pos],
                                           uint32_t(pos) < held ? refs[pos + 1] : OBJectRef{}};
                outOfOrder = (pos > 0 && compareSlots(kernel, compare, &trio[1], &trio[0]) < 0) ||
                             (uint32_t(pos) < held && compareSlots(kernel, compare, &trio[1], &trio[2]) > 0);
                head = holderHead(kernel, holder);
                if (!head)
                    return OBJ_INVALID;
            }
        }
        if (outOfOrder)
            head->flags = uint16_t(head->flags & ~OBJF_MODEMASK);
    }
    ++head->refsHeld;
    SendOBJectMessage(kernel, target, holder, id, OBJM_REFINSERTED, 0, LPARAM(pos));
    return uint32_t(pos);
}

// Removes slot n of the holder only; full (messages, the target's count and
// the freeing of a deleted target) makes it RemRef, else RRRemRef.
uint32_t removeOne(OBJectKernel *kernel, OBJHANDLE holder, int32_t n, bool full)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head) {
        KernelBadHandleError(holder);
        return OBJ_INVALID;
    }
    if (n < 0 || uint32_t(n) >= head->refsHeld) {
        KernelVisibleInternalError("Unlegal reference number");
        return OBJ_INVALID;
    }
    const OBJectRef ref = refsOf(head)[n];
    bool killTarget = false;
    if (full && ref.target != 0) {
        OBJectHead *th = HeadLock(kernel, ref.target);
        if (!th) {
            KernelBadHandleError(ref.target);
            return OBJ_INVALID;
        }
        if (th->refsIncoming)
            --th->refsIncoming;
        SendOBJectMessage(kernel, holder, ref.target, ref.id, OBJM_UNREFERENCED, 0, LPARAM(th->refsIncoming));
        th = HeadLock(kernel, ref.target);
        killTarget = th && th->refsIncoming == 0 && (th->flags & OBJF_DELETED);
        head = holderHead(kernel, holder);
        if (!head)
            return OBJ_INVALID;
        // The target's procedure may have moved the slot.
        const OBJectRef *refs = refsOf(head);
        if (uint32_t(n) >= head->refsHeld || refs[n].target != ref.target || refs[n].id != ref.id)
            n = findSlot(head, ref.id, ref.target);
        if (n < 0)
            return head->refsHeld;
    }
    OBJectRef *refs = refsOf(head);
    std::move(refs + n + 1, refs + head->refsHeld, refs + n);
    --head->refsHeld;
    refs[head->refsHeld] = OBJectRef{};
    if (!shrinkSlots(kernel, holder))
        return OBJ_INVALID;
    if (full) {
        SendOBJectMessage(kernel, ref.target, holder, ref.id, OBJM_REFREMOVED, 0, LPARAM(n));
        if (killTarget) {
            const OBJectHead *th = HeadLock(kernel, ref.target);
            if (th && th->refsIncoming == 0 && (th->flags & OBJF_DELETED))
                KillOBJect(kernel, ref.target);
        }
    }
    head = holderHead(kernel, holder);
    return head ? head->refsHeld : 0;
}

} // namespace

// ---------------------------------------------------------------------------
// Insertion and removal

uint32_t InsRef(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target, int32_t pos)
{
    return insertOne(kernel, holder, id, target, pos, true);
}

uint32_t InsRef2(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target, int32_t pos)
{
    return insertOne(kernel, holder, id, target, pos, false);
}

uint32_t InsertRefInPos(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target,
                        int32_t holderPos, int32_t targetPos)
{
    const uint32_t slot = InsRef(kernel, holder, id, target, holderPos);
    if (slot != OBJ_INVALID && (id & REF_PAIRED))
        InsRef(kernel, target, uint16_t(id ^ 1), holder, targetPos);
    return slot;
}

uint32_t RemRef(OBJectKernel *kernel, OBJHANDLE holder, int32_t n)
{
    return removeOne(kernel, holder, n, true);
}

uint32_t RemoveNthReference(OBJectKernel *kernel, OBJHANDLE holder, int32_t n)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head) {
        KernelBadHandleError(holder);
        return OBJ_INVALID;
    }
    OBJectRef ref{};
    if (n >= 0 && uint32_t(n) < head->refsHeld)
        ref = refsOf(head)[n];
    const uint32_t left = RemRef(kernel, holder, n);
    if (left == OBJ_INVALID || !(ref.id & REF_PAIRED) || ref.target == 0)
        return left;
    OBJectHead *th = holderHead(kernel, ref.target);
    const int32_t partner = th ? findSlot(th, uint16_t(ref.id ^ 1), holder) : -1;
    if (partner < 0) {
        KernelInternalError("Back-reference not found");
        return OBJ_INVALID;
    }
    RemRef(kernel, ref.target, partner);
    // Removing the back link may have freed a holder that was deleted while
    // referenced.
    head = holderHead(kernel, holder);
    return head ? head->refsHeld : 0;
}

uint32_t RemoveReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target)
{
    const int32_t slot = FindReference(kernel, holder, id, target);
    if (slot == kInvalid)
        return OBJ_INVALID;
    if (slot < 0) {
        OBJectHead *head = holderHead(kernel, holder);
        if (head && uint32_t(~slot) >= head->refsHeld)
            KernelInternalError("Reference not found");
        return OBJ_INVALID;
    }
    return RemoveNthReference(kernel, holder, slot);
}

uint32_t RRRemRef(OBJectKernel *kernel, OBJHANDLE holder, OBJHANDLE target, uint16_t id)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head)
        return OBJ_INVALID;
    const int32_t slot = findSlot(head, id, target);
    if (slot < 0)
        return OBJ_INVALID;
    return removeOne(kernel, holder, slot, false);
}

void PurgeDeletedRefs(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter)
{
    OBJectHead *head = holderHead(kernel, holder);
    for (int64_t i = head ? int64_t(head->refsHeld) - 1 : -1; i >= 0; --i) {
        head = holderHead(kernel, holder);
        if (!head)
            return;
        if (i >= int64_t(head->refsHeld))
            continue;
        const OBJectRef ref = refsOf(head)[i];
        if (!RefMatchesFilter(ref.id, filter))
            continue;
        const OBJectHead *th = HeadLock(kernel, ref.target);
        if (th && (th->flags & OBJF_DELETED))
            RemoveNthReference(kernel, holder, int32_t(i));
    }
}

// ---------------------------------------------------------------------------
// Access by slot

OBJHANDLE GetNthReferenced(OBJectKernel *kernel, OBJHANDLE holder, int32_t n)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head || n < 0 || uint32_t(n) >= head->refsHeld)
        return 0;
    return refsOf(head)[n].target;
}

uint16_t GetNthReferenceID(OBJectKernel *kernel, OBJHANDLE holder, int32_t n)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head || n < 0 || uint32_t(n) >= head->refsHeld)
        return 0;
    return refsOf(head)[n].id;
}

int GetRef(OBJectKernel *kernel, OBJHANDLE holder, uint16_t *id, OBJHANDLE *target, int32_t n)
{
    if (id)
        *id = 0;
    if (target)
        *target = 0;
    OBJectHead *head = holderHead(kernel, holder);
    if (!head || n < 0 || uint32_t(n) >= head->refsHeld)
        return 0;
    const uint64_t slotEnd = uint64_t(head->refOffset) + 8 * uint64_t(n) + 8;
    if (slotEnd > head->dataOffset || slotEnd > OBJectSizeBank(kernel, holder))
        return 0;
    const OBJectRef &ref = refsOf(head)[n];
    if (id)
        *id = ref.id;
    if (target)
        *target = ref.target;
    return 1;
}

uint16_t SetNthReferenceID(OBJectKernel *kernel, OBJHANDLE holder, int32_t n, uint16_t id)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head || n < 0 || uint32_t(n) >= head->refsHeld)
        return 0;
    OBJectRef &ref = refsOf(head)[n];
    const uint16_t previous = ref.id;
    ref.id = id;
    // Changing between paired and unpaired ids leaves the other side alone.
    if ((previous & REF_PAIRED) && (id & REF_PAIRED) && ref.target) {
        if (OBJectHead *th = holderHead(kernel, ref.target)) {
            const int32_t partner = findSlot(th, uint16_t(previous ^ 1), holder);
            if (partner >= 0)
                refsOf(th)[partner].id = uint16_t(id ^ 1);
        }
    }
    return previous;
}

uint32_t ChangeReferencesID(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, uint16_t id)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head)
        return OBJ_INVALID;
    uint32_t changed = 0;
    for (uint32_t i = 0; (head = holderHead(kernel, holder)) && i < head->refsHeld; ++i)
        if (RefMatchesFilter(refsOf(head)[i].id, filter)) {
            SetNthReferenceID(kernel, holder, int32_t(i), id);
            ++changed;
        }
    return changed;
}

uint32_t SetNumberOfReferencesFrom(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, uint16_t n)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head)
        return OBJ_INVALID;
    if (id != 0)
        return 0;
    // A count beyond the slot array would make every later access read past
    // it.
    if (n > capacityOf(head))
        return OBJ_INVALID;
    head->refsHeld = n;
    return 0;
}

uint32_t GetNumberOfReferencesFrom(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head)
        return filter == 0 ? OBJ_INVALID : 0;
    if (filter == 0)
        return head->refsHeld;
    const OBJectRef *refs = refsOf(head);
    return uint32_t(std::count_if(refs, refs + head->refsHeld,
                                  [filter](const OBJectRef &r) { return RefMatchesFilter(r.id, filter); }));
}

uint32_t GetNumberOfReferencesTo(OBJectKernel *kernel, OBJHANDLE object)
{
    const OBJectHead *head = HeadLock(kernel, object);
    return head ? head->refsIncoming : OBJ_INVALID;
}

// ---------------------------------------------------------------------------
// Enumeration

OBJHANDLE FirstReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, int32_t *pos)
{
    if (pos)
        *pos = 0;
    OBJectHead *head = holderHead(kernel, holder);
    return head ? scanReferences(head, 0, 1, filter, pos, 0) : 0;
}

OBJHANDLE GetReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, int32_t *pos)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head || !pos)
        return 0;
    if (int64_t(*pos) >= int64_t(head->refsHeld) - 1)
        return 0;
    return scanReferences(head, std::max<int64_t>(*pos, -1) + 1, 1, filter, pos, -1);
}

OBJHANDLE LastReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, int32_t *pos)
{
    if (pos)
        *pos = -1;
    OBJectHead *head = holderHead(kernel, holder);
    return head ? scanReferences(head, int64_t(head->refsHeld) - 1, -1, filter, pos, -1) : 0;
}

OBJHANDLE PrevReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, int32_t *pos)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head || !pos)
        return 0;
    const int64_t start = *pos < 0 ? int64_t(head->refsHeld) : std::min<int64_t>(*pos, head->refsHeld);
    return scanReferences(head, start - 1, -1, filter, pos, -1);
}

OBJHANDLE FirstReferenceOfClass(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, uint16_t classId)
{
    int32_t pos = -1;
    for (OBJHANDLE t = GetReference(kernel, holder, filter, &pos); t;
         t = GetReference(kernel, holder, filter, &pos))
        if (GetOBJectClassID(kernel, t) == classId)
            return t;
    return 0;
}

// ---------------------------------------------------------------------------
// Look-ups

int32_t FindReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head)
        return kInvalid;
    const int32_t slot = findSlot(head, id, target);
    if (slot < 0)
        return ~int32_t(head->refsHeld);
    const OBJectHead *th = HeadLock(kernel, target);
    if (!th)
        return kInvalid;
    return (th->flags & OBJF_DELETED) ? ~slot : slot;
}

int32_t FindKey(OBJectKernel *kernel, OBJHANDLE holder, uint16_t, OBJHANDLE key)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head)
        return kInvalid;
    const OBJectCompareProc compare = compareOf(head);
    // Comparison of slot i with the key; the procedure may not be trusted
    // to leave the holder where it was, so the slot is read afresh.
    auto cmp = [&](int64_t i) -> int {
        OBJectHead *h = holderHead(kernel, holder);
        if (!h || i >= int64_t(h->refsHeld))
            return 2;
        const OBJectRef ref = refsOf(h)[i];
        if (ref.target == 0)
            return -2;
        if (key == 0)
            return 2;
        if (!compare)
            return 0;
        const int r = compare(kernel, ref.id, ref.target, 0, key);
        return r == OBJ_COMPARE_EQUALKEYS ? -1 : r;
    };
    int64_t found = -1;
    if ((head->flags & OBJF_MODEMASK) == OBJ_SORTEDKEY && compare) {
        int64_t lo = 1, hi = head->refsHeld;
        while (lo <= hi) {
            const int64_t mid = (lo + hi) / 2;
            const int r = cmp(mid - 1);
            if (r == 0) {
                found = mid - 1;
                break;
            }
            if (r < 0)
                lo = mid + 1;
            else
                hi = mid - 1;
        }
        if (found < 0)
            return ~int32_t(lo - 1);
    } else {
        for (int64_t i = 0; (head = holderHead(kernel, holder)) && i < int64_t(head->refsHeld); ++i)
            if (cmp(i) == 0) {
                found = i;
                break;
            }
        if (found < 0)
            return head ? ~int32_t(head->refsHeld) : kInvalid;
    }
    const OBJHANDLE target = GetNthReferenced(kernel, holder, int32_t(found));
    const OBJectHead *th = HeadLock(kernel, target);
    if (th && (th->flags & OBJF_DELETED)) {
        // A link to a deleted object goes when it is met; removing the last
        // one frees the object.
        RemoveNthReference(kernel, holder, int32_t(found));
        return ~int32_t(found);
    }
    return int32_t(found);
}

namespace {

OBJHANDLE treeMember(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, OBJHANDLE target, int32_t *pos,
                     PathGuard &guard)
{
    if (!guard.enter(node))
        return 0;
    OBJHANDLE result = 0;
    int32_t i = -1;
    while (OBJHANDLE child = GetReference(kernel, node, filter, &i)) {
        if (child == target) {
            if (pos)
                *pos = i;
            result = node;
            break;
        }
        if ((result = treeMember(kernel, child, filter, target, pos, guard)))
            break;
    }
    guard.leave(node);
    return result;
}

} // namespace

OBJHANDLE TreeMember(OBJectKernel *kernel, OBJHANDLE root, uint16_t filter, OBJHANDLE target, int32_t *pos)
{
    if (pos)
        *pos = -1;
    if (!holderHead(kernel, root))
        return 0;
    PathGuard guard;
    return treeMember(kernel, root, filter, target, pos, guard);
}

// ---------------------------------------------------------------------------
// Collections and walks

uint32_t GetChildrenOBJS(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, int32_t capacity,
                         OBJHANDLE *array, int leavesOnly)
{
    if (!holderHead(kernel, node))
        return 0;
    const uint32_t room = array && capacity > 0 ? uint32_t(capacity) : 0;
    uint32_t found = 0;
    auto emit = [&](OBJHANDLE h) {
        if (found < room)
            array[found] = h;
        ++found;
    };
    if (!leavesOnly) {
        int32_t i = -1;
        while (OBJHANDLE child = GetReference(kernel, node, filter, &i))
            emit(child);
        return found;
    }
    // Depth first with an explicit stack of (node, position); a child that
    // is already on the path closes a cycle and is left out.
    std::vector<std::pair<OBJHANDLE, int32_t>> stack{{node, -1}};
    std::unordered_set<OBJHANDLE> onPath{node};
    while (!stack.empty()) {
        auto &[current, i] = stack.back();
        const OBJHANDLE child = GetReference(kernel, current, filter, &i);
        if (!child) {
            onPath.erase(current);
            stack.pop_back();
            continue;
        }
        if (onPath.count(child))
            continue;
        int32_t probe = 0;
        if (FirstReference(kernel, child, filter, &probe) && stack.size() < size_t(kMaxTreeDepth)) {
            onPath.insert(child);
            stack.emplace_back(child, -1);
        } else {
            emit(child);
        }
    }
    return found;
}

uint32_t TraversTree(OBJectKernel *kernel, OBJHANDLE root, uint16_t filter, TraversTreeProc pre,
                     TraversTreeProc post, void *user)
{
    if (!holderHead(kernel, root))
        return 0;
    struct Frame {
        OBJHANDLE node;
        int32_t visit;
        int32_t reserved;
        int32_t sibling;
        int last;
        int32_t nextPos; // position of the child to visit next
        OBJHANDLE next;  // that child, looked up before the previous subtree ran
        int32_t childIndex;
    };
    std::vector<Frame> stack;
    std::unordered_set<OBJHANDLE> onPath;
    uint32_t visited = 0;

    auto enter = [&](OBJHANDLE node, int32_t reserved, int32_t sibling, int last) {
        ++visited;
        onPath.insert(node);
        stack.push_back(Frame{node, 0, reserved, sibling, last, -1, 0, 0});
        Frame &f = stack.back();
        f.next = FirstReference(kernel, node, filter, &f.nextPos);
        int descend = 1;
        if (pre)
            descend = pre(kernel, node, filter, &stack.back().visit, user, reserved, sibling, last);
        if (!descend || stack.size() > size_t(kMaxTreeDepth))
            stack.back().next = 0;
    };
    enter(root, -1, 0, 1);
    while (!stack.empty()) {
        Frame &f = stack.back();
        if (!f.next) {
            const Frame done = f;
            if (post)
                post(kernel, done.node, filter, &stack.back().visit, user, done.reserved, done.sibling,
                     done.last);
            onPath.erase(done.node);
            stack.pop_back();
            continue;
        }
        const OBJHANDLE child = f.next;
        int32_t pos = f.nextPos;
        f.next = GetReference(kernel, f.node, filter, &pos);
        f.nextPos = pos;
        const int32_t sibling = f.childIndex++;
        const int last = f.next ? 0 : 1;
        // A child already on the path closes a cycle; a dangling one is no node.
        if (onPath.count(child) || !HeadLock(kernel, child))
            continue;
        enter(child, int32_t(stack.size()), sibling, last);
    }
    return visited;
}

uint32_t CopyReferences(OBJectKernel *kernel, OBJHANDLE destination, OBJHANDLE source, uint16_t filter)
{
    OBJectHead *head = holderHead(kernel, source);
    if (!head || !holderHead(kernel, destination))
        return OBJ_INVALID;
    uint32_t copied = 0;
    for (const OBJectRef &r : matchingReferences(head, filter))
        if (InsertRefInPos(kernel, destination, filter ? filter : r.id, r.target, -1, -1) != OBJ_INVALID)
            ++copied;
    return copied;
}

uint32_t MoveReferences(OBJectKernel *kernel, OBJHANDLE destination, OBJHANDLE source, uint16_t filter)
{
    OBJectHead *head = holderHead(kernel, source);
    if (!head || !holderHead(kernel, destination))
        return OBJ_INVALID;
    if (destination == source)
        return 0;
    uint32_t moved = 0;
    for (const OBJectRef &r : matchingReferences(head, filter)) {
        if (InsertRefInPos(kernel, destination, filter ? filter : r.id, r.target, -1, -1) == OBJ_INVALID)
            continue;
        head = holderHead(kernel, source);
        if (!head)
            break;
        const int32_t slot = findSlot(head, r.id, r.target);
        if (slot >= 0)
            RemoveNthReference(kernel, source, slot);
        ++moved;
    }
    return moved;
}

uint32_t SortReferences(OBJectKernel *kernel, OBJHANDLE holder, uint16_t mode)
{
    OBJectHead *head = holderHead(kernel, holder);
    if (!head)
        return 0;
    mode &= OBJF_MODEMASK;
    head->flags = uint16_t((head->flags & ~OBJF_MODEMASK) | mode);
    const OBJectCompareProc compare = mode == OBJ_SORTEDKEY ? compareOf(head) : nullptr;
    const LPARAM compareParam = LPARAM(reinterpret_cast<uintptr_t>(compare));
    SendOBJectMessage(kernel, holder, holder, 0, OBJM_SORTING, mode, compareParam);
    head = holderHead(kernel, holder);
    if (!head || head->refsHeld == 0 || (mode == OBJ_SORTEDKEY && !compare) ||
        (mode != OBJ_SORTEDKEY && mode != OBJ_SORTEDHANDLE))
        return 0;
    const uint32_t n = head->refsHeld;
    if (mode == OBJ_SORTEDHANDLE) {
        OBJectRef *refs = refsOf(head);
        std::sort(refs, refs + n, [](const OBJectRef &a, const OBJectRef &b) {
            if (a.target != b.target)
                return a.target < b.target;
            return (a.id & REF_IDMASK) < (b.id & REF_IDMASK);
        });
    } else {
        // Quicksort over a copy with an explicit stack of ranges. The compare
        // procedure is outside code, so the partition never relies on it
        // being consistent to stay inside the range.
        std::vector<OBJectRef> v(refsOf(head), refsOf(head) + n);
        std::vector<std::pair<int64_t, int64_t>> ranges{{0, int64_t(n) - 1}};
        while (!ranges.empty()) {
            const auto [lo, hi] = ranges.back();
            ranges.pop_back();
            if (lo >= hi)
                continue;
            std::swap(v[size_t((lo + hi) / 2)], v[size_t(hi)]);
            int64_t store = lo;
            for (int64_t j = lo; j < hi; ++j)
                if (compareSlots(kernel, compare, &v[size_t(j)], &v[size_t(hi)]) < 0)
                    std::swap(v[size_t(j)], v[size_t(store++)]);
            std::swap(v[size_t(store)], v[size_t(hi)]);
            ranges.emplace_back(lo, store - 1);
            ranges.emplace_back(store + 1, hi);
        }
        head = holderHead(kernel, holder);
        if (!head || head->refsHeld != n)
            return 0;
        std::copy(v.begin(), v.end(), refsOf(head));
    }
    SendOBJectMessage(kernel, holder, holder, 0, OBJM_SORTED, mode, compareParam);
    head = holderHead(kernel, holder);
    return head ? head->refsHeld : 0;
}

// ---------------------------------------------------------------------------
// Tree deletion

namespace {

// Removes the node's matching links from the last to the first and runs
// onChild on each target once its link is gone.
template <class F>
void unlinkChildren(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, F onChild)
{
    int32_t pos = -1;
    while (OBJHANDLE child = LastReference(kernel, node, filter, &pos)) {
        const uint32_t before = GetNumberOfReferencesFrom(kernel, node, 0);
        RemoveNthReference(kernel, node, pos);
        const uint32_t after = GetNumberOfReferencesFrom(kernel, node, 0);
        onChild(child);
        if (after == OBJ_INVALID || after >= before)
            break; // the link could not be removed: stop rather than spin
    }
}

void deleteTree(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, PathGuard &guard)
{
    if (!guard.enter(node))
        return;
    unlinkChildren(kernel, node, filter, [&](OBJHANDLE child) {
        if (guard.onPath.count(child))
            return; // a link back to an ancestor: only the link goes
        deleteTree(kernel, child, filter, guard);
        OBJectDelete(kernel, child);
    });
    guard.leave(node);
}

void killTree(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, uint16_t classBits, PathGuard &guard)
{
    if (!guard.enter(node))
        return;
    OBJectHead *head = holderHead(kernel, node);
    for (int64_t i = head ? int64_t(head->refsHeld) - 1 : -1; i >= 0; --i) {
        head = holderHead(kernel, node);
        if (!head)
            break;
        if (i >= int64_t(head->refsHeld))
            continue;
        const OBJectRef ref = refsOf(head)[i];
        if (RefMatchesFilter(ref.id, filter) && !guard.onPath.count(ref.target))
            killTree(kernel, ref.target, filter, classBits, guard);
    }
    guard.leave(node);
    if (!classBits || (GetOBJectClassID(kernel, node) & classBits))
        KillOBJect(kernel, node);
}

OBJHANDLE delEmpty(OBJectKernel *kernel, OBJHANDLE node, uint16_t classBits, uint16_t filter,
                   PathGuard &guard)
{
    if (!(GetOBJectClassID(kernel, node) & classBits))
        return node;
    if (!guard.enter(node))
        return node;
    OBJectHead *head = holderHead(kernel, node);
    for (int64_t i = head ? int64_t(head->refsHeld) - 1 : -1; i >= 0; --i) {
        head = holderHead(kernel, node);
        if (!head)
            break;
        i = std::min<int64_t>(i, int64_t(head->refsHeld) - 1);
        if (i < 0)
            break;
        const OBJectRef ref = refsOf(head)[i];
        if (RefMatchesFilter(ref.id, filter))
            delEmpty(kernel, ref.target, classBits, filter, guard);
    }
    guard.leave(node);
    int32_t pos = 0;
    if (HeadLock(kernel, node) && !FirstReference(kernel, node, filter, &pos)) {
        OBJectDelete(kernel, node);
        return 0;
    }
    return node;
}

} // namespace

int32_t DeleteTree(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter)
{
    if (!holderHead(kernel, node))
        return 1; // -(OBJectDelete's -1)
    PathGuard guard;
    deleteTree(kernel, node, filter, guard);
    return -OBJectDelete(kernel, node);
}

int32_t DeleteSubTree(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter)
{
    if (!holderHead(kernel, node))
        return 0;
    PathGuard guard;
    deleteTree(kernel, node, filter, guard);
    const OBJectHead *head = HeadLock(kernel, node);
    if (head && head->refsHeld == 0 && head->refsIncoming == 0)
        return -OBJectDelete(kernel, node);
    return 0;
}

int32_t KillTree(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, uint16_t classBits)
{
    if (!HeadLock(kernel, node))
        return 0;
    PathGuard guard;
    killTree(kernel, node, filter, classBits, guard);
    return 0;
}

OBJHANDLE DelEmptyTreeNodes(OBJectKernel *kernel, OBJHANDLE node, uint16_t classBits, uint16_t filter)
{
    if (!HeadLock(kernel, node))
        return 0;
    PathGuard guard;
    return delEmpty(kernel, node, classBits, filter, guard);
}
