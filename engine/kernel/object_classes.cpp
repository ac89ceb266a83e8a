#include "engine/kernel/object_classes.h"

#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"

#include <array>
#include <cstring>
#include <unordered_set>

namespace {

struct ClassTable {
    std::array<OBJectClassDescr, OBJ_MAX_CLASSES> descr{};
    int count = 0;
    // Class id -> index + 1 (0: not registered), so that creating an object
    // needs no search. Zero-initialised: no start-up code runs for it.
    std::array<uint8_t, 65536> slotOfId{};
};

constinit ClassTable g_table{};

ClassTable &table() { return g_table; }

constexpr uint64_t up8(uint64_t v) { return (v + 7) & ~uint64_t(7); }
constexpr uint64_t up16(uint64_t v) { return (v + 15) & ~uint64_t(15); }

// The sub-code of a fan-out delivery: the reference's own id for filter 0 and
// bit filters, else the filter itself.
uint16_t subCodeFor(uint16_t filter, uint16_t refId)
{
    return (filter == 0 || (filter & REF_FILTER_BITS)) ? refId : filter;
}

} // namespace

struct OBJectClassTableState {
    ClassTable table;
};

std::shared_ptr<OBJectClassTableState> SaveClassTable()
{
    return std::make_shared<OBJectClassTableState>(OBJectClassTableState{table()});
}

void RestoreClassTable(const std::shared_ptr<OBJectClassTableState> &state)
{
    if (state)
        table() = state->table;
}

void ClearClassTable() { table() = ClassTable{}; }

OBJectGlobalCounters &GlobalObjectCounters()
{
    static OBJectGlobalCounters counters{};
    return counters;
}

int RegisterOBJectClass(uint16_t classId, uint32_t fixedSize, int32_t slots, uint32_t reserve,
                        OBJectCompareProc compare, OBJectClassProc proc, uint16_t mode, const char *name)
{
    ClassTable &t = table();
    int index = int(t.slotOfId[classId]) - 1;
    if (index < 0 && t.count >= OBJ_MAX_CLASSES) {
        KernelInternalError("Too many classes");
        return -1;
    }
    if ((mode & OBJF_MODEMASK) == OBJ_SORTEDKEY && !compare) {
        KernelInternalError("OBJ_SORTEDKEY mode requires comparation function");
        return -1;
    }
    const uint64_t refStart = up8(uint64_t(fixedSize) + OBJ_HEAD_SIZE);
    // The reference offset is a 16-bit head field and block sizes are 32-bit.
    if (slots < 0 || refStart > 0xFFF8) {
        KernelInternalError("Bad object class");
        return -1;
    }
    const uint64_t s = refStart + 8 * uint64_t(slots) + up8(reserve);
    const uint64_t block = up16(s);
    if (block > 0x7FFFFFF0) {
        KernelInternalError("Bad object class");
        return -1;
    }
    uint64_t finalSlots = uint64_t(slots);
    uint64_t finalReserve = up8(reserve);
    const uint64_t spare = block - s;
    if (spare) {
        if (8 * uint64_t(slots) > up8(reserve))
            finalSlots += spare / 8;
        else
            finalReserve += spare;
    }
    if (index < 0) {
        index = t.count++;
        t.slotOfId[classId] = uint8_t(index + 1);
    }
    OBJectClassDescr &d = t.descr[size_t(index)];
    d = OBJectClassDescr{};
    d.classId = classId;
    d.blockSize = uint32_t(block);
    d.slots = uint32_t(finalSlots);
    d.reserve = uint32_t(finalReserve);
    d.fixedEnd = uint16_t(OBJ_HEAD_SIZE + fixedSize);
    d.compare = compare;
    d.proc = proc;
    d.mode = mode;
    if (name)
        std::strncpy(d.name, name, OBJ_CLASS_NAME_SIZE - 1);
    return index;
}

int IsClassRegistered(uint16_t classId) { return table().slotOfId[classId] ? 1 : 0; }

uint16_t GetClassId(int classIndex)
{
    const ClassTable &t = table();
    if (classIndex < 0 || classIndex >= t.count)
        return 0;
    return t.descr[size_t(classIndex)].classId;
}

int GetNumberOfClasses() { return table().count; }

// The record holds two procedure addresses, so its size is that of this
// build's layout.
int GetClassDescrSize() { return int(sizeof(OBJectClassDescr)); }

OBJectClassProc GetOBJectClassFN(uint16_t classId)
{
    const int index = ClassIndexOf(classId);
    return index < 0 ? nullptr : table().descr[size_t(index)].proc;
}

OBJectClassProc SetOBJectClassFN(uint16_t classId, OBJectClassProc proc)
{
    const int index = ClassIndexOf(classId);
    if (index < 0)
        return nullptr;
    OBJectClassProc previous = table().descr[size_t(index)].proc;
    table().descr[size_t(index)].proc = proc;
    return previous;
}

OBJectClassDescr *ClassDescrByIndex(uint32_t classIndex)
{
    ClassTable &t = table();
    if (classIndex >= uint32_t(t.count))
        return nullptr;
    return &t.descr[classIndex];
}

int ClassIndexOf(uint16_t classId) { return int(table().slotOfId[classId]) - 1; }

LRESULT SendOBJectMessage(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                          uint16_t message, WPARAM wParam, LPARAM lParam)
{
    const OBJectHead *head = HeadLock(kernel, receiver);
    if (!head)
        return 0;
    const OBJectClassDescr *d = ClassDescrByIndex(head->classIndex);
    if (!d || !d->proc)
        return 0;
    return d->proc(kernel, sender, receiver, subCode, message, wParam, lParam);
}

LRESULT PropagateOBJectMessage(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, uint16_t message,
                               WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    int32_t pos = -1;
    // The next target is looked up after each delivery, so a receiver that
    // changes the holder's references shifts the walk.
    while (OBJHANDLE target = GetReference(kernel, holder, filter, &pos)) {
        const uint16_t sub = subCodeFor(filter, GetNthReferenceID(kernel, holder, pos));
        result = SendOBJectMessage(kernel, holder, target, sub, message, wParam, lParam);
    }
    return result;
}

LRESULT SendOneOBJectMessage(OBJectKernel *kernel, OBJHANDLE holder, int last, uint16_t filter,
                             uint16_t message, WPARAM wParam, LPARAM lParam)
{
    int32_t pos = -1;
    const OBJHANDLE target =
        last ? LastReference(kernel, holder, filter, &pos) : FirstReference(kernel, holder, filter, &pos);
    if (!target)
        return 0;
    const uint16_t sub = subCodeFor(filter, GetNthReferenceID(kernel, holder, pos));
    return SendOBJectMessage(kernel, holder, target, sub, message, wParam, lParam);
}

LRESULT BranchOBJectMessage(OBJectKernel *kernel, OBJHANDLE start, int last, uint16_t filter,
                            uint16_t message, uint16_t wParam, LPARAM lParam)
{
    LRESULT result = 0;
    // A chain that links back to itself (damaged data) ends at the repeat.
    std::unordered_set<OBJHANDLE> visited{start};
    OBJHANDLE node = start;
    for (;;) {
        int32_t pos = -1;
        const OBJHANDLE target =
            last ? LastReference(kernel, node, filter, &pos) : FirstReference(kernel, node, filter, &pos);
        if (!target || !visited.insert(target).second)
            break;
        const uint16_t sub = subCodeFor(filter, GetNthReferenceID(kernel, node, pos));
        result = SendOBJectMessage(kernel, start, target, sub, message, wParam, lParam);
        node = target;
    }
    return result;
}
