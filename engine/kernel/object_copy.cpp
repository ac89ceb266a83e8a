#include "engine/kernel/object_copy.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/global_memory_helpers.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace {

// Flags that say an object is outside the document. Each has a counter that
// was raised for the object it is set on, so a copy never inherits them.
constexpr uint16_t kStatusFlags = OBJF_UNDODELETED | OBJF_UNDOCOPY | OBJF_DELETED;

// Graph flags that describe a link a structure copy does not keep: the
// selection and the identifier.
constexpr uint16_t kLinkGraphFlags = GF_SELECTED | GF_HASID | GF_SELLISTCOPY | GF_DRAWNSELECTED;

uint32_t dataOffsetOf(const OBJectHead *head)
{
    if (head->flags & OBJF_CURRENTHEAD)
        return head->dataOffset;
    return LoadField<uint16_t>(head, OLD_HEAD_DATAOFFSET);
}

// The head of an object whose offsets and slot count lie inside its block;
// null for a bad handle or a damaged head, which is refused rather than read
// past its block.
OBJectHead *soundHead(OBJectKernel *kernel, OBJHANDLE handle)
{
    if (!kernel || !handle)
        return nullptr;
    OBJectHead *head = HeadLock(kernel, handle);
    if (!head || !ClassDescrByIndex(head->classIndex))
        return nullptr;
    const uint64_t block = BankSize(kernel->bank, handle);
    const uint64_t data = dataOffsetOf(head);
    if (head->size > block || head->refOffset < OLD_HEAD_SIZE || head->refOffset > data ||
        data > head->size || uint64_t(head->refsHeld) * 8 > data - head->refOffset)
        return nullptr;
    return head;
}

OBJectRef loadRef(const OBJectHead *head, uint32_t n)
{
    return LoadField<OBJectRef>(head, size_t(head->refOffset) + 8 * size_t(n));
}

void storeRef(OBJectHead *head, uint32_t n, const OBJectRef &ref)
{
    StoreField(head, size_t(head->refOffset) + 8 * size_t(n), ref);
}

uint16_t classIdOf(OBJectKernel *kernel, OBJHANDLE handle) { return GetOBJectClassID(kernel, handle); }

// The store counts every object on four levels: all kernels, the kernel,
// the class over all kernels and the class in the kernel. A copy over an
// object of another class moves only the class levels.
template <class F>
void forClassCounters(OBJectKernel *kernel, uint32_t classIndex, F f)
{
    if (OBJectClassDescr *d = ClassDescrByIndex(classIndex))
        f(d->objects, d->deleted, d->undoCopies);
    if (classIndex < OBJ_MAX_CLASSES) {
        OBJectClassDescrKernel &e = kernel->classes[classIndex];
        f(e.objects, e.deleted, e.undoCopies);
    }
}

void countNewObject(OBJectKernel *kernel, uint32_t classIndex)
{
    ++GlobalObjectCounters().objects;
    ++kernel->objects;
    forClassCounters(kernel, classIndex, [](uint32_t &objects, uint32_t &, uint32_t &) { ++objects; });
}

void moveClassCount(OBJectKernel *kernel, uint32_t from, uint32_t to, uint16_t status)
{
    if (from == to)
        return;
    auto step = [status](int by) {
        return [status, by](uint32_t &objects, uint32_t &deleted, uint32_t &undoCopies) {
            auto move = [by](uint32_t &v) { v = by > 0 ? v + 1 : (v > 0 ? v - 1 : 0); };
            move(objects);
            if (status & OBJF_DELETED)
                move(deleted);
            if (status & OBJF_UNDOCOPY)
                move(undoCopies);
        };
    };
    forClassCounters(kernel, from, step(-1));
    forClassCounters(kernel, to, step(+1));
}

// Copies the source's block over the target, which the caller has made at
// least as large. The target keeps what describes it rather than its
// content: its status flags (their counters were raised for it) and its
// incoming count (the references to it still exist).
void copyBlock(OBJectHead *target, const OBJectHead *source)
{
    const uint16_t status = target->flags & kStatusFlags;
    const uint32_t incoming = target->refsIncoming;
    std::memmove(target, source, source->size);
    target->flags = uint16_t((target->flags & ~kStatusFlags) | status);
    target->refsIncoming = incoming;
}

// Resizes the target to the source's block size and copies the source over
// it. False when either is bad or the resize fails.
bool copyOver(OBJectKernel *kernel, OBJHANDLE target, OBJHANDLE source)
{
    const OBJectHead *src = soundHead(kernel, source);
    OBJectHead *tgt = soundHead(kernel, target);
    if (!src || !tgt)
        return false;
    const int64_t delta = int64_t(src->size) - int64_t(tgt->size);
    if (delta != 0 && !ReSizeOBJect(kernel, target, int32_t(delta)))
        return false;
    // The resize sent OBJM_RESIZED: look both up again.
    src = soundHead(kernel, source);
    tgt = HeadLock(kernel, target);
    if (!src || !tgt || BankSize(kernel->bank, target) < src->size)
        return false;
    const uint32_t oldClass = tgt->classIndex;
    copyBlock(tgt, src);
    moveClassCount(kernel, oldClass, tgt->classIndex, tgt->flags & kStatusFlags);
    return true;
}

// A copy starts with no links: its reference slots emptied, its counts
// zero, and the graphical flags and selection slot that links set cleared.
void dropLinks(OBJectKernel *kernel, OBJHANDLE copy, OBJectHead *head)
{
    char *base = reinterpret_cast<char *>(head);
    std::memset(base + head->refOffset, 0, dataOffsetOf(head) - head->refOffset);
    head->refsHeld = 0;
    head->refsIncoming = 0;
    head->flags = uint16_t(head->flags & ~OBJF_USERMARK);
    // Only drawable and group classes start with the graphical head.
    const uint16_t classId = classIdOf(kernel, copy);
    const bool graphHead = classId < CLASS_DRAWABLE_LIMIT || (classId & CLASSBIT_GROUPTREE);
    const uint32_t fixed = head->refOffset - OBJ_HEAD_SIZE;
    if (graphHead && (head->flags & OBJF_CURRENTHEAD) && fixed >= GOH_FLAGS + 2) {
        const uint16_t flags = LoadField<uint16_t>(base, OBJ_HEAD_SIZE + GOH_FLAGS);
        StoreField<uint16_t>(base, OBJ_HEAD_SIZE + GOH_FLAGS, uint16_t(flags & ~kLinkGraphFlags));
        if (classId == CLASS_GROUP && fixed >= GOH_SELSLOT + 4)
            StoreField<int32_t>(base, OBJ_HEAD_SIZE + GOH_SELSLOT, -1);
    }
}

// A raw copy of the object with no references of its own and none pointing
// to it; the links it should have are then inserted with their partners.
OBJHANDLE bareCopy(OBJectKernel *kernel, OBJHANDLE source)
{
    const OBJHANDLE copy = CopyOBJect2(kernel, source);
    OBJectHead *head = soundHead(kernel, copy);
    if (!head) {
        KillOBJect(kernel, copy);
        return 0;
    }
    dropLinks(kernel, copy, head);
    return copy;
}

OBJHANDLE firstTarget(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    return FirstReference(kernel, holder, id, nullptr);
}

// Copy of an object that is not a group: kept only when the object lies on
// a layer, whose drawing order receives the copy last.
OBJHANDLE leafCopy(OBJectKernel *kernel, OBJHANDLE object)
{
    const OBJHANDLE layer = firstTarget(kernel, object, REF_LAYER_BACK);
    if (!layer || classIdOf(kernel, layer) != CLASS_LAYER)
        return 0;
    const OBJHANDLE copy = bareCopy(kernel, object);
    if (!copy)
        return 0;
    if (InsertRefInPos(kernel, layer, REF_LAYER_MEMBER, copy, -1, -1) == OBJ_INVALID) {
        KillOBJect(kernel, copy);
        return 0;
    }
    return copy;
}

// Layer groups describe the layers themselves: a copy would give a layer a
// second place in the layer-group tree (or the tree a second root).
bool copyableGroup(OBJectKernel *kernel, OBJHANDLE group)
{
    return !(GroupFlagsGet(kernel, group) & (GROUPF_LAYERGROUP | GROUPF_LGROOT));
}

// Structure copy: a group with copies of all its members, nested groups
// included, each linked to its copied parent with both sides of the link.
// The walk keeps its own stack and a visited set, so neither deep nesting
// nor a group cycle of a damaged document can overrun it.
OBJHANDLE structCopy(OBJectKernel *kernel, OBJHANDLE object)
{
    if (classIdOf(kernel, object) != CLASS_GROUP)
        return leafCopy(kernel, object);
    if (!copyableGroup(kernel, object))
        return 0;

    struct Frame {
        OBJHANDLE source;
        OBJHANDLE copy;
        int32_t pos;
    };
    const OBJHANDLE top = bareCopy(kernel, object);
    if (!top)
        return 0;
    std::unordered_set<OBJHANDLE> visited{object};
    std::vector<Frame> frames{{object, top, -1}};
    while (!frames.empty()) {
        Frame &frame = frames.back();
        const OBJHANDLE member = GetReference(kernel, frame.source, REF_GROUP_MEMBER, &frame.pos);
        if (!member || frame.pos < 0) {
            frames.pop_back();
            continue;
        }
        if (!visited.insert(member).second)
            continue;
        const OBJHANDLE parentCopy = frame.copy;
        const bool isGroup = classIdOf(kernel, member) == CLASS_GROUP;
        if (isGroup && !copyableGroup(kernel, member))
            continue;
        const OBJHANDLE copy = isGroup ? bareCopy(kernel, member) : leafCopy(kernel, member);
        if (!copy)
            continue;
        if (InsertRefInPos(kernel, parentCopy, REF_GROUP_MEMBER, copy, -1, -1) == OBJ_INVALID) {
            OBJectDelete(kernel, copy); // with its layer link, when it has one
            continue;
        }
        if (isGroup)
            frames.push_back({member, copy, -1});
    }
    return top;
}

} // namespace

// ---------------------------------------------------------------------------
// Byte copies

OBJHANDLE CopyOBJ(OBJectKernel *kernel, OBJHANDLE source)
{
    if (!soundHead(kernel, source))
        return 0;
    const OBJHANDLE copy = CreateOBJect(kernel, classIdOf(kernel, source));
    if (!copy)
        return 0;
    if (!copyOver(kernel, copy, source)) {
        KillOBJect(kernel, copy); // it holds no references yet
        return 0;
    }
    SendOBJectMessage(kernel, source, copy, 0, OBJM_COPIED, 15, 0);
    return copy;
}

OBJHANDLE CopyOBJect(OBJectKernel *kernel, OBJHANDLE target, OBJHANDLE source)
{
    if (target != source && !copyOver(kernel, target, source))
        return 0;
    if (target == source && !soundHead(kernel, source))
        return 0;
    SendOBJectMessage(kernel, source, target, 0, OBJM_COPIED, 15, 0);
    return target;
}

OBJHANDLE CopyOBJect2(OBJectKernel *kernel, OBJHANDLE object)
{
    if (!soundHead(kernel, object))
        return 0;
    const uint32_t size = OBJectSizeBank(kernel, object);
    const OBJHANDLE copy = BankAlloc(kernel->bank, size);
    if (!copy)
        return 0;
    // The allocation may have moved the slot table: look both up again.
    const OBJectHead *src = soundHead(kernel, object);
    auto *head = static_cast<OBJectHead *>(BankLock(kernel->bank, copy));
    if (!src || !head) {
        BankFree(kernel->bank, copy);
        return 0;
    }
    std::memcpy(head, src, size);
    // Nothing points to the new object, and the flags whose counters were
    // raised for the source are not the copy's.
    head->refsIncoming = 0;
    head->flags = uint16_t(head->flags & ~kStatusFlags);
    countNewObject(kernel, head->classIndex);
    return copy;
}

OBJHANDLE CopyOBJectFromKernel(OBJectKernel *kernel, OBJectKernel *source, OBJHANDLE object)
{
    if (!kernel || kernel == source)
        return 0;
    const OBJectHead *src = soundHead(source, object);
    if (!src)
        return 0;
    const uint32_t size = src->size;
    const OBJHANDLE copy = BankAlloc(kernel->bank, size);
    if (!copy)
        return 0;
    auto *head = static_cast<OBJectHead *>(BankLock(kernel->bank, copy));
    src = soundHead(source, object);
    if (!head || !src) {
        BankFree(kernel->bank, copy);
        return 0;
    }
    std::memcpy(head, src, size);
    head->flags = uint16_t(head->flags & ~kStatusFlags);
    countNewObject(kernel, head->classIndex);
    // The references named the other kernel's handles: drop them all.
    dropLinks(kernel, copy, head);
    return copy;
}

HGLOBAL CopyOBJects(OBJectKernel *kernel, HGLOBAL pairs, int32_t count)
{
    if (!kernel)
        return 0;
    auto *table = static_cast<OldNew *>(GlobalLock(pairs));
    if (!table)
        return 0;
    const size_t n = std::min<size_t>(size_t(std::max(count, 0)), GlobalSize(pairs) / sizeof(OldNew));
    for (size_t i = 0; i < n; ++i)
        table[i].newHandle = CopyOBJ(kernel, table[i].oldHandle);
    GlobalUnlock(pairs);
    return pairs;
}

// ---------------------------------------------------------------------------
// Structures

HGLOBAL GetAllLinkedOBJects(OBJectKernel *kernel, OBJHANDLE start, uint16_t filter, int32_t *count)
{
    if (count)
        *count = 0;
    if (!soundHead(kernel, start))
        return 0;
    // Visited marks of this walk only: the objects' own user flags are left
    // alone, so a mark left by someone else cannot hide an object.
    std::vector<uint8_t> visited(size_t(KernGiveAllObjectsAmount(kernel)) + 1, 0);
    auto isNew = [&](OBJHANDLE h) { return h < visited.size() && !visited[h]; };
    std::vector<OBJHANDLE> found{start};
    visited[start] = 1;

    struct Frame {
        OBJHANDLE node;
        uint32_t slot;
    };
    std::vector<Frame> stack{{start, 0}};
    while (!stack.empty()) {
        const Frame frame = stack.back();
        const OBJectHead *head = soundHead(kernel, frame.node);
        if (!head || frame.slot >= head->refsHeld) {
            stack.pop_back();
            continue;
        }
        ++stack.back().slot;
        const OBJectRef ref = loadRef(head, frame.slot);
        if (!RefMatchesFilter(ref.id, filter) || !isNew(ref.target) || !soundHead(kernel, ref.target))
            continue;
        visited[ref.target] = 1;
        found.push_back(ref.target);
        stack.push_back({ref.target, 0});
    }

    const HGLOBAL mem = GlobalAllocCompact(uint32_t(found.size() * sizeof(OldNew)));
    auto *table = static_cast<OldNew *>(GlobalLock(mem));
    if (!table) {
        GlobalFree(mem);
        return 0;
    }
    for (size_t i = 0; i < found.size(); ++i)
        table[i] = {found[i], 0};
    GlobalUnlock(mem);
    if (count)
        *count = int32_t(found.size());
    return mem;
}

OBJHANDLE CopyAllLinkedOBJects(OBJectKernel *kernel, OBJHANDLE start, uint16_t filter, HGLOBAL *pairsOut,
                               int32_t *count)
{
    if (pairsOut)
        *pairsOut = 0;
    if (!count)
        return 0;
    const uint16_t classId = classIdOf(kernel, start);
    const HGLOBAL mem = GetAllLinkedOBJects(kernel, start, filter, count);
    if (!mem)
        return 0;
    CopyOBJects(kernel, mem, *count);
    OBJHANDLE result = 0;
    if (auto *table = static_cast<OldNew *>(GlobalLock(mem))) {
        result = RestoreStructure(kernel, table, *count, classId);
        // The table is sorted now; the start's own copy is the answer, even
        // when the structure holds other objects of its class.
        const OldNew *first = table;
        const OldNew *end = table + *count;
        const OldNew *it =
            std::lower_bound(first, end, start, [](const OldNew &p, OBJHANDLE h) { return p.oldHandle < h; });
        if (it != end && it->oldHandle == start && it->newHandle)
            result = it->newHandle;
        GlobalUnlock(mem);
    }
    if (pairsOut)
        *pairsOut = mem;
    else
        GlobalFree(mem);
    return result;
}

OBJHANDLE RestoreStructure(OBJectKernel *kernel, OldNew *pairs, int32_t count, uint16_t classId)
{
    if (!kernel || !pairs || count <= 0)
        return 0;
    std::sort(pairs, pairs + count,
              [](const OldNew &a, const OldNew &b) { return a.oldHandle < b.oldHandle; });
    OldNew *table = pairs;
    while (table < pairs + count && table->oldHandle == 0)
        ++table;
    OldNew *const end = pairs + count;
    const int32_t length = int32_t(end - table);

    // The copy of an old handle: the first pair of that handle, when its
    // copy exists.
    auto copyOf = [&](OBJHANDLE old) -> OBJHANDLE {
        if (old == 0)
            return 0;
        const OldNew *it =
            std::lower_bound(table, end, old, [](const OldNew &p, OBJHANDLE h) { return p.oldHandle < h; });
        if (it == end || it->oldHandle != old || !soundHead(kernel, it->newHandle))
            return 0;
        return it->newHandle;
    };

    for (OldNew *p = table; p < end; ++p)
        if (OBJectHead *head = soundHead(kernel, p->newHandle))
            head->refsIncoming = 0;

    OBJHANDLE noted = 0;
    std::unordered_set<OBJHANDLE> done;
    for (OldNew *p = table; p < end; ++p) {
        const OBJHANDLE copy = p->newHandle;
        if (!soundHead(kernel, copy) || !done.insert(copy).second)
            continue;
        // A repeated old handle: its later copies keep no links, since the
        // table can name only one copy per source.
        const bool repeated = p > table && (p - 1)->oldHandle == p->oldHandle;
        uint32_t slot = 0;
        for (;;) {
            OBJectHead *head = soundHead(kernel, copy);
            if (!head || slot >= head->refsHeld)
                break;
            OBJectRef ref = loadRef(head, slot);
            const OBJHANDLE mapped = repeated ? 0 : copyOf(ref.target);
            if (mapped) {
                ref.target = mapped;
                storeRef(head, slot, ref);
                ++HeadLock(kernel, mapped)->refsIncoming;
                ++slot;
                continue;
            }
            // A link to an object outside the table: with its target cleared
            // the removal touches no other object.
            ref.target = 0;
            storeRef(head, slot, ref);
            const uint32_t before = head->refsHeld;
            RemoveNthReference(kernel, copy, int32_t(slot));
            head = soundHead(kernel, copy);
            if (head && head->refsHeld >= before)
                break; // the slot would not go: stop rather than spin
        }
        if (const OBJectHead *head = soundHead(kernel, copy))
            SortReferences(kernel, copy, head->flags & OBJF_MODEMASK);
        SendOBJectMessage(kernel, 0, copy, 0, OBJM_RESTORED, WPARAM(uint16_t(length)),
                          LPARAM(reinterpret_cast<intptr_t>(table)));
        if (classIdOf(kernel, copy) == classId)
            noted = copy;
    }
    return noted;
}

OBJHANDLE CopyCompressedOBJ(OBJectKernel *kernel, OBJHANDLE source, const OBJHANDLE *sorted, int32_t count)
{
    const OBJHANDLE copy = CopyOBJect2(kernel, source);
    if (!copy)
        return 0;
    SendOBJectMessage(kernel, source, copy, 0, OBJM_COPIED, 15, 0);
    OBJectHead *head = soundHead(kernel, copy);
    if (!head) {
        KillOBJect(kernel, copy);
        return 0;
    }
    const int32_t n = sorted ? std::max(count, 0) : 0;
    uint32_t kept = 0;
    const uint32_t held = head->refsHeld;
    for (uint32_t i = 0; i < held; ++i) {
        const OBJectRef ref = loadRef(head, i);
        if (FindOBJHandle(sorted, n, ref.target) >= 0)
            storeRef(head, kept++, ref);
    }
    const uint32_t dropped = held - kept;
    if (dropped > 0) {
        const OBJectClassDescr *cls = ClassDescrByIndex(head->classIndex);
        const uint32_t capacity = (dataOffsetOf(head) - head->refOffset) / 8;
        const uint32_t slots = std::min(capacity, std::max(kept, cls->slots));
        const uint32_t cut = 8 * (capacity - slots);
        char *base = reinterpret_cast<char *>(head);
        const uint32_t dataOffset = dataOffsetOf(head);
        const uint32_t dataSize = head->size - dataOffset;
        std::memset(base + head->refOffset + 8 * kept, 0, 8 * size_t(capacity - kept));
        if (cut > 0) {
            std::memmove(base + dataOffset - cut, base + dataOffset, dataSize);
            std::memset(base + head->size - cut, 0, cut);
        }
        head->refsHeld = kept;
        head->refsIncoming = 0;
        if (head->flags & OBJF_CURRENTHEAD)
            head->dataOffset = dataOffset - cut;
        else
            StoreField<uint16_t>(head, OLD_HEAD_DATAOFFSET, uint16_t(dataOffset - cut));
        if (cut > 0)
            ReSizeOBJect(kernel, copy, -int32_t(cut));
    }
    SendOBJectMessage(kernel, source, copy, 0, OBJM_PACKEDCOPY, 0, LPARAM(dropped));
    return copy;
}

OBJHANDLE CopyStruct(OBJHANDLE parent, OBJectKernel *kernel, OBJHANDLE object)
{
    if (!soundHead(kernel, object))
        return 0;
    const bool isGroup = classIdOf(kernel, object) == CLASS_GROUP;
    const OBJHANDLE sourceParent = firstTarget(kernel, object, REF_GROUP_PARENT);
    const OBJHANDLE copy = structCopy(kernel, object);
    if (!copy)
        return 0;
    // The copy joins the group its source belongs to; a group copied for a
    // parent it is not a member of belongs to no group.
    OBJHANDLE joins = sourceParent;
    if (isGroup && parent)
        joins = FindReference(kernel, object, REF_GROUP_PARENT, parent) >= 0 ? parent : 0;
    const uint16_t joinsClass = classIdOf(kernel, joins);
    if (joins && (joinsClass == CLASS_GROUP || joinsClass == CLASS_ASPECT))
        InsertRefInPos(kernel, joins, REF_GROUP_MEMBER, copy, -1, -1);
    return copy;
}

HGLOBAL GetOverStructure(OBJectKernel *kernel, OBJHANDLE node, uint16_t filterA, uint16_t filterB,
                         uint16_t filterC, int32_t *count)
{
    if (count)
        *count = 0;
    if (!soundHead(kernel, node))
        return 0;
    const size_t limit = size_t(KernGiveAllObjectsAmount(kernel)) + 1;
    std::vector<uint8_t> listed(limit, 0), searched(limit, 0);
    std::vector<OBJHANDLE> list;
    auto usable = [&](OBJHANDLE h) { return h && h < limit && soundHead(kernel, h); };

    // Targets of the holder's references that match the filter, in slot order.
    auto targetsOf = [&](OBJHANDLE holder, uint16_t filter) {
        std::vector<OBJHANDLE> out;
        if (const OBJectHead *head = soundHead(kernel, holder))
            for (uint32_t i = 0; i < head->refsHeld; ++i) {
                const OBJectRef ref = loadRef(head, i);
                if (RefMatchesFilter(ref.id, filter) && usable(ref.target))
                    out.push_back(ref.target);
            }
        return out;
    };

    for (const OBJHANDLE top : targetsOf(node, filterA)) {
        std::vector<OBJHANDLE> pending{top};
        while (!pending.empty()) {
            const OBJHANDLE h = pending.back();
            pending.pop_back();
            if (searched[h])
                continue;
            searched[h] = 1;
            std::vector<OBJHANDLE> below = targetsOf(h, filterC);
            if (below.empty()) {
                if (!listed[h]) {
                    listed[h] = 1;
                    list.push_back(h);
                }
                continue;
            }
            pending.insert(pending.end(), below.rbegin(), below.rend());
        }
    }
    for (size_t i = 0; i < list.size(); ++i)
        for (const OBJHANDLE up : targetsOf(list[i], filterB))
            if (!listed[up]) {
                listed[up] = 1;
                list.push_back(up);
            }
    std::sort(list.begin(), list.end());

    const HGLOBAL mem = GlobalAllocCompact(uint32_t(std::max<size_t>(list.size(), 1) * 4));
    auto *out = static_cast<OBJHANDLE *>(GlobalLock(mem));
    if (!out) {
        GlobalFree(mem);
        return 0;
    }
    std::copy(list.begin(), list.end(), out);
    GlobalUnlock(mem);
    if (count)
        *count = int32_t(list.size());
    return mem;
}

// ---------------------------------------------------------------------------
// Sorted handle arrays

int32_t SortOBJHandles(OBJHANDLE *handles, int32_t count)
{
    if (!handles || count <= 0)
        return 0;
    std::sort(handles, handles + count);
    return count;
}

int32_t FindOBJHandle(const OBJHANDLE *sorted, int32_t count, OBJHANDLE handle)
{
    if (!sorted || count < 1)
        return -1;
    const OBJHANDLE *end = sorted + count;
    const OBJHANDLE *it = std::lower_bound(sorted, end, handle);
    return it != end && *it == handle ? int32_t(it - sorted) : -1;
}

// ---------------------------------------------------------------------------
// Older blocks

OBJHANDLE RepairOBJect(OBJectKernel *kernel, OBJHANDLE object, int value)
{
    const OBJectHead *head = soundHead(kernel, object);
    if (!head)
        return 0;
    const OBJectClassDescr *cls = ClassDescrByIndex(head->classIndex);
    const bool old = !(head->flags & OBJF_CURRENTHEAD);
    const int64_t size = head->size;
    const int64_t r = head->refOffset;
    const int64_t d = dataOffsetOf(head);
    const int64_t held = head->refsHeld;
    if (!old && r < OBJ_HEAD_SIZE)
        return 0;

    int64_t r2 = int64_t(cls->blockSize) - 8 * int64_t(cls->slots) - int64_t(cls->reserve);
    if (r2 < r)
        r2 += (r - r2 + 7) / 8 * 8;
    const int64_t d2 = (d + (r2 - r) + 7) / 8 * 8;
    const int64_t growth = d2 - d;
    const int64_t newSize = size + growth;
    if (r2 > 0xFFFF || newSize > 0x7FFFFFF0)
        return 0;

    // The new block is laid out in a scratch image first, so that a failed
    // reallocation leaves the object as it was. Bytes that no part moves
    // into stay zero.
    const char *base = reinterpret_cast<const char *>(head);
    std::vector<char> image(size_t(newSize), 0);
    std::memcpy(image.data(), base, 24);
    const int64_t fixedFrom = old ? OLD_HEAD_SIZE : OBJ_HEAD_SIZE;
    const int64_t fixedBytes = std::min(r - fixedFrom, r2 - int64_t(OBJ_HEAD_SIZE));
    if (fixedBytes > 0)
        std::memcpy(image.data() + OBJ_HEAD_SIZE, base + fixedFrom, size_t(fixedBytes));
    std::memcpy(image.data() + r2, base + r, size_t(8 * held));
    std::memcpy(image.data() + d2, base + d, size_t(size - d));
    auto *newHead = reinterpret_cast<OBJectHead *>(image.data());
    newHead->flags = uint16_t(newHead->flags | OBJF_CURRENTHEAD);
    newHead->size = uint32_t(newSize);
    newHead->refOffset = uint16_t(r2);
    newHead->reserved2 = 0;
    newHead->dataOffset = uint32_t(d2);

    if (growth != 0 && !BankReAlloc(kernel->bank, object, uint32_t(newSize)))
        return 0;
    void *block = BankLock(kernel->bank, object);
    if (!block)
        return 0;
    std::memcpy(block, image.data(), image.size());
    SendOBJectMessage(kernel, 0, object, 0, OBJM_REPAIRED, WPARAM(uint16_t(value)), LPARAM(growth));
    return object;
}
