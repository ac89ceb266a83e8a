#include "engine/kernel/object_store.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/raster_images.h"
#include "engine/kernel/references.h"
#include "platform/diagnostics.h"
#include "platform/message_box.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr uint32_t kInitialHeap = 1048576;
constexpr uint16_t kHiddenFlags = OBJF_UNDODELETED | OBJF_UNDOCOPY;
constexpr uint16_t kNotInDocument = OBJF_UNDODELETED | OBJF_UNDOCOPY | OBJF_DELETED;

bool g_internalErrorMessages = true;

inline OBJectHead *headOf(OBJectKernel *kernel, OBJHANDLE handle)
{
    if (!kernel)
        return nullptr;
    return static_cast<OBJectHead *>(BankLock(kernel->bank, handle));
}

void decrement(uint32_t &counter)
{
    if (counter > 0)
        --counter;
}

// Every object counter moves on four levels: all kernels, this kernel, the
// class over all kernels and the class in this kernel.
enum class Counter { Objects, Deleted, UndoCopies };

uint32_t &pick(OBJectGlobalCounters &c, Counter which)
{
    return which == Counter::Objects ? c.objects : which == Counter::Deleted ? c.deleted : c.undoCopies;
}

void adjust(OBJectKernel *kernel, uint32_t classIndex, Counter which, bool up)
{
    auto step = [up](uint32_t &v) {
        if (up)
            ++v;
        else
            decrement(v);
    };
    step(pick(GlobalObjectCounters(), which));
    step(which == Counter::Objects   ? kernel->objects
         : which == Counter::Deleted ? kernel->deleted
                                     : kernel->undoCopies);
    if (OBJectClassDescr *d = ClassDescrByIndex(classIndex))
        step(which == Counter::Objects ? d->objects : which == Counter::Deleted ? d->deleted : d->undoCopies);
    if (classIndex < OBJ_MAX_CLASSES) {
        OBJectClassDescrKernel &e = kernel->classes[classIndex];
        step(which == Counter::Objects ? e.objects : which == Counter::Deleted ? e.deleted : e.undoCopies);
    }
}

// Frees an object's block and takes it out of the counters.
void freeObject(OBJectKernel *kernel, OBJHANDLE handle, const OBJectHead *head)
{
    const uint32_t classIndex = head->classIndex;
    const uint16_t flags = head->flags;
    if (!BankFree(kernel->bank, handle))
        return;
    adjust(kernel, classIndex, Counter::Objects, false);
    if (flags & OBJF_DELETED)
        adjust(kernel, classIndex, Counter::Deleted, false);
    if (flags & OBJF_UNDOCOPY)
        adjust(kernel, classIndex, Counter::UndoCopies, false);
}

uint32_t count(const OBJectClassDescrKernel &e)
{
    const int64_t n = int64_t(e.objects) - e.deleted - e.undoCopies;
    return n > 0 ? uint32_t(n) : 0;
}

// Resizes the block; dataSpace selects which area changes (see
// ReSizeOBJExported).
OBJHANDLE resize(OBJectKernel *kernel, OBJHANDLE handle, int32_t delta, bool dataSpace)
{
    OBJectHead *head = headOf(kernel, handle);
    if (!head)
        return 0;
    int64_t d = delta;
    d = d >= 0 ? (d + 7) & ~int64_t(7) : -((-d) & ~int64_t(7));
    const int64_t oldSize = head->size;
    int64_t newSize = std::max<int64_t>(0, (oldSize + d + 15) & ~int64_t(15));

    int64_t minimum = 0;
    if (const OBJectClassDescr *cls = ClassDescrByIndex(head->classIndex))
        minimum =
            int64_t(cls->blockSize) + 8 * std::max<int64_t>(0, int64_t(head->refsHeld) - int64_t(cls->slots));
    // Neither the held references nor, in the reference form, the data
    // space may be cut off.
    const int64_t dataSize = std::max<int64_t>(0, oldSize - int64_t(head->dataOffset));
    if (dataSpace)
        minimum = std::max<int64_t>(minimum, head->dataOffset);
    else
        minimum =
            std::max<int64_t>(minimum, int64_t(head->refOffset) + 8 * int64_t(head->refsHeld) + dataSize);
    newSize = std::max(newSize, minimum);
    if (newSize > 0x7FFFFFF0) {
        KernelInternalError("Unable to allocate memory");
        return 0;
    }
    const int64_t change = newSize - oldSize;
    if (change == 0)
        return handle;

    char *base = reinterpret_cast<char *>(head);
    const uint32_t dataOffset = head->dataOffset;
    if (!dataSpace && change < 0)
        std::memmove(base + dataOffset + change, base + dataOffset, size_t(dataSize));
    if (!BankReAlloc(kernel->bank, handle, uint32_t(newSize))) {
        if (!dataSpace && change < 0) // put the data space back where it was
            std::memmove(base + dataOffset, base + dataOffset + change, size_t(dataSize));
        KernelInternalError("Unable to allocate memory");
        return 0;
    }
    head = headOf(kernel, handle);
    base = reinterpret_cast<char *>(head);
    head->size = uint32_t(newSize);
    if (!dataSpace) {
        head->dataOffset = uint32_t(int64_t(dataOffset) + change);
        if (change > 0) {
            std::memmove(base + head->dataOffset, base + dataOffset, size_t(dataSize));
            std::memset(base + dataOffset, 0, size_t(change));
        }
    } else {
        SendOBJectMessage(kernel, handle, handle, 0, OBJM_RESIZED, 0, LPARAM(change));
    }
    return handle;
}

} // namespace

void KernelInternalError(const char *text) { ReportInternalError(text); }

void KernelBadHandleError(OBJHANDLE handle)
{
    char text[64];
    std::snprintf(text, sizeof text, "Unlegal handle %4X (%5u)", handle, handle);
    ReportInternalError(text);
}

void KernelVisibleInternalError(const char *text)
{
    ReportInternalError(text);
    if (!g_internalErrorMessages)
        return;
    std::string shown;
    for (const char *p = text; *p; ++p)
        if (static_cast<unsigned char>(*p) >= 0x20)
            shown += *p;
    MessageBoxA(0, shown.c_str(), "", MB_OK | MB_ICONSTOP);
}

void EnableInternalErrorMessages() { g_internalErrorMessages = true; }
void DisableInternalErrorMessages() { g_internalErrorMessages = false; }
int GetStateInternalErrorMessages() { return g_internalErrorMessages ? 1 : 0; }

// ---------------------------------------------------------------------------
// Kernel

OBJectKernel *KernelNew()
{
    auto *kernel = new (std::nothrow) OBJectKernel{};
    if (!kernel)
        return nullptr;
    kernel->bank = BankNew(kInitialHeap);
    if (!kernel->bank) {
        delete kernel;
        return nullptr;
    }
    return kernel;
}

int KernelDelete(OBJectKernel *kernel)
{
    if (!kernel)
        return 1;
    // The process-wide counters must not keep counting the objects that go
    // with this kernel.
    OBJectGlobalCounters &g = GlobalObjectCounters();
    for (uint32_t i = 0; i < OBJ_MAX_CLASSES; ++i) {
        const OBJectClassDescrKernel &e = kernel->classes[i];
        if (OBJectClassDescr *d = ClassDescrByIndex(i)) {
            d->objects -= std::min(d->objects, e.objects);
            d->deleted -= std::min(d->deleted, e.deleted);
            d->undoCopies -= std::min(d->undoCopies, e.undoCopies);
        }
    }
    g.objects -= std::min(g.objects, kernel->objects);
    g.deleted -= std::min(g.deleted, kernel->deleted);
    g.undoCopies -= std::min(g.undoCopies, kernel->undoCopies);
    BankDelete(kernel->bank);
    RasterImagesDestroy(kernel);
    delete kernel;
    return 1;
}

int32_t KernelSetEmptyFlag(OBJectKernel *kernel, int32_t flag)
{
    return kernel ? BankSetEmptyFlag(kernel->bank, flag) : 0;
}

int32_t KernGetEmptyFlag(OBJectKernel *kernel) { return kernel ? BankGetEmptyFlag(kernel->bank) : 0; }

uint32_t KernGiveAllObjectsAmount(OBJectKernel *kernel)
{
    return kernel ? BankGetFirstFree(kernel->bank) : 0;
}

uint32_t KernelGetHandlesCount(OBJectKernel *kernel)
{
    if (!kernel)
        return 0;
    const uint32_t end = std::min(kernel->bank->firstFree, kernel->bank->capacity);
    uint32_t n = 0;
    for (uint32_t h = 1; h < end; ++h)
        if (const OBJectHead *head = headOf(kernel, h); head && !(head->flags & kHiddenFlags))
            ++n;
    return n;
}

OBJHANDLE KernelGetNextHandle(OBJectKernel *kernel, OBJHANDLE handle)
{
    if (!kernel)
        return 0;
    const uint32_t end = std::min(kernel->bank->firstFree, kernel->bank->capacity);
    for (uint64_t h = uint64_t(handle) + 1; h < end; ++h)
        if (const OBJectHead *head = headOf(kernel, OBJHANDLE(h)); head && !(head->flags & kNotInDocument))
            return OBJHANDLE(h);
    return 0;
}

// ---------------------------------------------------------------------------
// Objects

OBJHANDLE CreateOBJect(OBJectKernel *kernel, uint16_t classId)
{
    if (!kernel)
        return 0;
    const int classIndex = ClassIndexOf(classId);
    if (classIndex < 0) {
        KernelInternalError("Bad object class");
        return 0;
    }
    const OBJectClassDescr *cls = ClassDescrByIndex(uint32_t(classIndex));
    const OBJHANDLE handle = BankAlloc(kernel->bank, cls->blockSize);
    if (!handle) {
        KernelInternalError("Unable to allocate memory");
        return 0;
    }
    auto *head = static_cast<OBJectHead *>(BankLock(kernel->bank, handle));
    if (!head) {
        BankFree(kernel->bank, handle);
        KernelInternalError("Unable to allocate memory");
        return 0;
    }
    head->classIndex = uint32_t(classIndex);
    head->size = cls->blockSize;
    head->flags = uint16_t(cls->mode | OBJF_CURRENTHEAD);
    head->refOffset = uint16_t(cls->blockSize - 8 * cls->slots - cls->reserve);
    head->dataOffset = cls->blockSize - cls->reserve;
    adjust(kernel, uint32_t(classIndex), Counter::Objects, true);
    // The descriptor is at hand: call its procedure without a second look-up.
    if (cls->proc)
        cls->proc(kernel, handle, handle, 0, OBJM_CREATE, WPARAM(classIndex), LPARAM(cls->blockSize));
    return handle;
}

int32_t OBJectDelete(OBJectKernel *kernel, OBJHANDLE handle)
{
    OBJectHead *head = headOf(kernel, handle);
    if (!head)
        return -1;
    SendOBJectMessage(kernel, handle, handle, 0, OBJM_DELETING, 0, LPARAM(head->refsIncoming));
    // Last slot first; a slot that cannot be removed (a damaged target) ends
    // the loop instead of spinning on it.
    while ((head = headOf(kernel, handle)) && head->refsHeld > 0) {
        const uint32_t before = head->refsHeld;
        RemoveNthReference(kernel, handle, int32_t(before - 1));
        head = headOf(kernel, handle);
        if (!head || head->refsHeld >= before)
            break;
    }
    if (!head)
        return 0;
    if (head->refsIncoming && !(head->flags & OBJF_DELETED)) {
        head->flags |= OBJF_DELETED;
        adjust(kernel, head->classIndex, Counter::Deleted, true);
    }
    SendOBJectMessage(kernel, handle, handle, 0, OBJM_DELETED, 0, 0);
    head = headOf(kernel, handle);
    if (!head)
        return 0;
    const uint32_t incoming = head->refsIncoming;
    if (incoming == 0)
        freeObject(kernel, handle, head);
    return int32_t(std::min<uint32_t>(incoming, INT32_MAX));
}

int32_t KillOBJect(OBJectKernel *kernel, OBJHANDLE handle)
{
    if (const OBJectHead *head = headOf(kernel, handle))
        freeObject(kernel, handle, head);
    return 0;
}

OBJHANDLE ReSizeOBJect(OBJectKernel *kernel, OBJHANDLE handle, int32_t delta)
{
    return resize(kernel, handle, delta, true);
}

OBJHANDLE ReSizeOBJExported(OBJectKernel *kernel, OBJHANDLE handle, int32_t delta, int flag)
{
    return resize(kernel, handle, delta, flag != 0);
}

OBJHANDLE ReSizeOBJectData(OBJectKernel *kernel, OBJHANDLE handle, uint32_t n)
{
    OBJectHead *head = headOf(kernel, handle);
    if (!head)
        return 0;
    const uint64_t newSize = uint64_t(head->dataOffset) + n;
    if (newSize > 0x7FFFFFF0 || !BankReAlloc(kernel->bank, handle, uint32_t(newSize)))
        return 0;
    headOf(kernel, handle)->size = uint32_t(newSize);
    return handle;
}

char *OBJectLock(OBJectKernel *kernel, OBJHANDLE handle)
{
    OBJectHead *head = headOf(kernel, handle);
    return head ? reinterpret_cast<char *>(head) + OBJ_HEAD_SIZE : nullptr;
}

OBJectHead *HeadLock(OBJectKernel *kernel, OBJHANDLE handle) { return headOf(kernel, handle); }

OBJectHead *OBJectSpaceBegin(char *fixedData)
{
    return fixedData ? reinterpret_cast<OBJectHead *>(fixedData - OBJ_HEAD_SIZE) : nullptr;
}

OBJHANDLE GetOBJectHandle(OBJectKernel *kernel, const char *fixedData)
{
    if (!kernel || !fixedData)
        return 0;
    return BankHandle(kernel->bank, fixedData - OBJ_HEAD_SIZE);
}

char *DataSpaceBegin(char *fixedData)
{
    OBJectHead *head = OBJectSpaceBegin(fixedData);
    return head ? reinterpret_cast<char *>(head) + head->dataOffset : nullptr;
}

char *DataSpaceEnd(char *fixedData)
{
    OBJectHead *head = OBJectSpaceBegin(fixedData);
    return head ? reinterpret_cast<char *>(head) + head->size - 1 : nullptr;
}

uint32_t DataSpaceSize(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectHead *head = headOf(kernel, handle);
    if (!head || head->size < head->dataOffset)
        return 0;
    return head->size - head->dataOffset;
}

uint32_t HeadDataOffset(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectHead *head = headOf(kernel, handle);
    return head ? head->dataOffset : 0;
}

uint32_t HeadRefsOffset(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectHead *head = headOf(kernel, handle);
    return head ? head->refOffset : 0;
}

uint32_t GetOBJectSize(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectHead *head = headOf(kernel, handle);
    return head ? head->size : OBJ_INVALID;
}

uint32_t OBJectSizeBank(OBJectKernel *kernel, OBJHANDLE handle)
{
    return kernel ? BankSize(kernel->bank, handle) : 0;
}

uint32_t TransferOBJectData(OBJectKernel *kernel, OBJHANDLE handle, void *buffer, uint32_t n, int write)
{
    if (!headOf(kernel, handle))
        return 0;
    const uint32_t size = DataSpaceSize(kernel, handle);
    if (!buffer)
        return size;
    if (!write) {
        const uint32_t count = std::min(n, size);
        std::memcpy(buffer, DataSpaceBegin(OBJectLock(kernel, handle)), count);
        return count;
    }
    if (size < n) {
        const uint64_t missing = uint64_t(n) - size;
        if (missing > INT32_MAX || !ReSizeOBJect(kernel, handle, int32_t(missing)))
            return 0;
        if (DataSpaceSize(kernel, handle) < n)
            return 0;
    }
    std::memcpy(DataSpaceBegin(OBJectLock(kernel, handle)), buffer, n);
    return n;
}

uint16_t SetOBJectFlag(OBJectKernel *kernel, OBJHANDLE handle, uint16_t mask, int set)
{
    OBJectHead *head = headOf(kernel, handle);
    if (!head)
        return 0;
    mask &= OBJF_USERMARK;
    head->flags = set ? uint16_t(head->flags | mask) : uint16_t(head->flags & ~mask);
    return head->flags;
}

uint16_t GetOBJectFlag(OBJectKernel *kernel, OBJHANDLE handle, uint16_t mask)
{
    const OBJectHead *head = headOf(kernel, handle);
    return head ? uint16_t(head->flags & mask) : 0;
}

int IsOBJectDeleted(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectHead *head = headOf(kernel, handle);
    return (!head || (head->flags & OBJF_DELETED)) ? 1 : 0;
}

int IsUndoneObj(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectHead *head = headOf(kernel, handle);
    return (head && (head->flags & kHiddenFlags)) ? 1 : 0;
}

uint16_t GetOBJectClassID(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectClassDescr *d = GetOBJectClassDescr(kernel, handle);
    return d ? d->classId : 0;
}

OBJectClassDescr *GetOBJectClassDescr(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectHead *head = headOf(kernel, handle);
    return head ? ClassDescrByIndex(head->classIndex) : nullptr;
}

OBJectClassDescrKernel *GetOBJectClassDescrKernel(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectHead *head = headOf(kernel, handle);
    if (!head || head->classIndex >= OBJ_MAX_CLASSES)
        return nullptr;
    return &kernel->classes[head->classIndex];
}

OBJectClassDescrKernel *GetOBJectClassKernelDescr(OBJectKernel *kernel, OBJHANDLE handle)
{
    return GetOBJectClassDescrKernel(kernel, handle);
}

uint32_t GetNumberOfOBJectsKernel(OBJectKernel *kernel, uint16_t classId)
{
    if (!kernel)
        return 0;
    if (classId == 0)
        return count({0, kernel->objects, kernel->deleted, kernel->undoCopies});
    const int index = ClassIndexOf(classId);
    return index < 0 ? 0 : count(kernel->classes[index]);
}

uint32_t GetNumberOfOBJects(uint16_t classId)
{
    if (classId == 0) {
        const OBJectGlobalCounters &g = GlobalObjectCounters();
        return count({0, g.objects, g.deleted, g.undoCopies});
    }
    const int index = ClassIndexOf(classId);
    if (index < 0)
        return 0;
    const OBJectClassDescr *d = ClassDescrByIndex(uint32_t(index));
    return count({0, d->objects, d->deleted, d->undoCopies});
}

int KernelTimerCompactBank() { return 0; }
int ReadGormIni(uint16_t, void *) { return 0; }
