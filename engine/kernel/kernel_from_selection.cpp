#include "engine/kernel/bank.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_file_internal.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/raster_images.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"

#include <cstring>
#include <vector>

namespace {

// Type word of a presentation object, and the types whose objects belong
// to the object they are drawn for.
constexpr size_t PRESENT_TYPE = 28;
constexpr uint16_t PRESENT_DOT_DENSITY = 1026;
constexpr uint16_t PRESENT_RANGES = 1027;

uint16_t classIdOf(const OBJectHead *head)
{
    const OBJectClassDescr *d = ClassDescrByIndex(head->classIndex);
    return d ? d->classId : 0;
}

OBJectHead *bankHead(BankDesc *bank, OBJHANDLE h) { return static_cast<OBJectHead *>(BankLock(bank, h)); }

OBJectRef refAt(const OBJectHead *head, uint32_t i)
{
    return LoadField<OBJectRef>(head, head->refOffset + size_t(8) * i);
}

// Drops the marked slots (target 0) of an object, keeping the order of the
// rest, and gives the freed slot space back to the block.
void closeUpSlots(OBJectKernel *kernel, OBJHANDLE h)
{
    auto *head = HeadLock(kernel, h);
    if (!head)
        return;
    char *block = reinterpret_cast<char *>(head);
    uint32_t kept = 0;
    for (uint32_t i = 0; i < head->refsHeld; ++i) {
        const OBJectRef r = refAt(head, i);
        if (r.target == 0)
            continue;
        StoreField(block, head->refOffset + size_t(8) * kept, r);
        ++kept;
    }
    const uint32_t dropped = head->refsHeld - kept;
    if (!dropped)
        return;
    for (uint32_t i = kept; i < head->refsHeld; ++i)
        StoreField(block, head->refOffset + size_t(8) * i, OBJectRef{});
    head->refsHeld = kept;
    ReSizeOBJExported(kernel, h, -int32_t(8 * dropped), 0);
}

} // namespace

uint32_t GetFirstFree(OBJectKernel *kernel) { return kernel ? BankGetFirstFree(kernel->bank) : 0; }

int CopyToBank(OBJectKernel *kernel, OBJHANDLE handle, BankDesc *bank)
{
    const OBJectHead *head = HeadLock(kernel, handle);
    if (!head || !bank)
        return 0;
    if (!BankAllocInPos(bank, head->size, handle, 1))
        return 0;
    // The source may have moved if the banks share nothing; lock both again.
    head = HeadLock(kernel, handle);
    auto *block = static_cast<char *>(BankLock(bank, handle));
    std::memcpy(block, head, head->size);
    // Image ids name entries of the source kernel's table only.
    if (GetOBJectClassID(kernel, handle) == CLASS_BITMAP &&
        head->size >= OBJ_HEAD_SIZE + RASTER_HEADER_ID + 4)
        RasterBlockClearImageIds(block + OBJ_HEAD_SIZE);
    return 1;
}

int CopyTree(OBJectKernel *kernel, OBJHANDLE handle, BankDesc *bank)
{
    if (!CopyToBank(kernel, handle, bank))
        return 0;
    // An explicit stack, and an object already in the destination is not
    // followed again: a damaged kernel with a cycle still ends.
    std::vector<OBJHANDLE> pending{handle};
    while (!pending.empty()) {
        const OBJHANDLE h = pending.back();
        pending.pop_back();
        const OBJectHead *head = HeadLock(kernel, h);
        if (!head)
            continue;
        std::vector<OBJectRef> refs(head->refsHeld);
        for (uint32_t i = 0; i < head->refsHeld; ++i)
            refs[i] = refAt(head, i);
        for (const OBJectRef &r : refs) {
            if (r.target == 0 || r.id == REF_ID_TEXT1 || r.id == REF_ID_TEXT2 || !(r.id & 1))
                continue;
            if (r.id == REF_PRES_LEGEND_BACK) {
                CopyToBank(kernel, r.target, bank);
                continue;
            }
            if (r.id == REF_PRES_OBJECT) {
                const char *fixed = OBJectLock(kernel, r.target);
                const OBJectHead *th = HeadLock(kernel, r.target);
                if (!fixed || th->refOffset < OBJ_HEAD_SIZE + PRESENT_TYPE + 2)
                    continue;
                const uint16_t type = LoadField<uint16_t>(fixed, PRESENT_TYPE);
                if (type != PRESENT_DOT_DENSITY && type != PRESENT_RANGES)
                    continue;
            }
            if (BankLock(bank, r.target))
                continue;
            if (CopyToBank(kernel, r.target, bank))
                pending.push_back(r.target);
        }
    }
    return 1;
}

OBJectKernel *KernFromSel(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->rootObject)
        return nullptr;
    OBJectKernel *src = rec->kernel;
    const OBJHANDLE root = rec->rootObject;
    const uint32_t n = GetFirstFree(src);
    const OBJHANDLE layersRoot = GetRootOBJKern(src, root, CLASS_LAYERS);
    const OBJHANDLE groupsRoot = GetRootOBJKern(src, root, CLASS_GROUPS);
    const OBJHANDLE selList = GetRootOBJKern(src, root, CLASS_SELLIST);
    const OBJHANDLE g = groupsRoot ? FirstReference(src, groupsRoot, REF_GROUP_MEMBER, nullptr) : 0;

    OBJectKernel *dst = KernelNew();
    if (!dst)
        return nullptr;
    BankDesc *bank = dst->bank;
    if (!BankSetMaxEntries(bank, n)) {
        KernelDelete(dst);
        return nullptr;
    }
    bank->firstFree = n;

    if (selList)
        CopyTree(src, selList, bank);
    CopyToBank(src, root, bank);
    std::vector<OBJHANDLE> rootMembers;
    int32_t pos = 0;
    for (OBJHANDLE h = FirstReference(src, root, REF_ROOT, &pos); h;
         h = GetReference(src, root, REF_ROOT, &pos))
        rootMembers.push_back(h);
    for (auto it = rootMembers.rbegin(); it != rootMembers.rend(); ++it)
        CopyToBank(src, *it, bank);

    std::vector<OBJHANDLE> layerList, presList, columnList;
    std::vector<bool> listed(n, false);
    auto putOn = [&](std::vector<OBJHANDLE> &list, OBJHANDLE h) {
        if (h && h < n && !listed[h]) {
            listed[h] = true;
            list.push_back(h);
        }
    };
    if (g)
        CopyToBank(src, g, bank);
    const OBJHANDLE pageLayer = GetPageLayer(window);
    if (pageLayer)
        CopyToBank(src, pageLayer, bank);
    if (const OBJHANDLE page = MapFilePageObject(window, src))
        CopyToBank(src, page, bank);
    if (const OBJHANDLE layer0 = layersRoot ? FindLayer(src, layersRoot, 0, nullptr) : 0)
        if (CopyToBank(src, layer0, bank))
            putOn(layerList, layer0);

    auto present = [&](OBJHANDLE t) { return t != 0 && BankLock(bank, t) != nullptr; };
    // Walk: objects of the layer and presentation trees wait for their lists.
    for (OBJHANDLE h = 1; h < n; ++h) {
        OBJectHead *head = bankHead(bank, h);
        if (!head)
            continue;
        const uint16_t cls = classIdOf(head);
        if (cls == CLASS_LAYERS || cls == CLASS_LAYER) {
            putOn(layerList, h);
            continue;
        }
        if (cls == CLASS_PRESLIST || cls == CLASS_PRESDESCR) {
            putOn(presList, h);
            continue;
        }
        bool dropped = false;
        for (uint32_t i = 0; i < head->refsHeld; ++i) {
            OBJectRef r = refAt(head, i);
            if (present(r.target))
                continue;
            if (r.id == REF_LAYER_BACK && CopyToBank(src, r.target, bank)) {
                putOn(layerList, r.target);
            } else if (r.id == REF_GROUP_PARENT && g && present(g)) {
                r.target = g;
                StoreField(head, head->refOffset + size_t(8) * i, r);
                OBJectHead *gh = bankHead(bank, g);
                InsRef2(dst, g, REF_GROUP_MEMBER, h, int32_t(gh->refsHeld));
            } else if (r.id == REF_PRES_RESULT_BACK && CopyToBank(src, r.target, bank)) {
                putOn(presList, r.target);
            } else {
                StoreField(head, head->refOffset + size_t(8) * i, OBJectRef{});
                dropped = true;
            }
            head = bankHead(bank, h); // copies and insertions may move blocks
        }
        if (dropped)
            closeUpSlots(dst, h);
    }
    auto keepPresent = [&](std::vector<OBJHANDLE> &list, std::vector<OBJHANDLE> *columns) {
        for (size_t k = 0; k < list.size(); ++k) {
            const OBJHANDLE h = list[k];
            OBJectHead *head = bankHead(bank, h);
            if (!head)
                continue;
            bool dropped = false;
            for (uint32_t i = 0; i < head->refsHeld; ++i) {
                const OBJectRef r = refAt(head, i);
                if (present(r.target))
                    continue;
                if (columns && r.id == REF_PRES_COLUMN && CopyToBank(src, r.target, bank)) {
                    putOn(*columns, r.target);
                    head = bankHead(bank, h);
                    continue;
                }
                StoreField(head, head->refOffset + size_t(8) * i, OBJectRef{});
                dropped = true;
            }
            if (dropped)
                closeUpSlots(dst, h);
        }
    };
    keepPresent(layerList, nullptr);
    keepPresent(presList, &columnList);
    keepPresent(columnList, nullptr);

    // Every incoming count equals the slots of the new kernel that point at
    // the object; so do the kernel's counters.
    std::vector<uint32_t> incoming(n, 0);
    for (OBJHANDLE h = 1; h < n; ++h)
        if (const OBJectHead *head = bankHead(bank, h))
            for (uint32_t i = 0; i < head->refsHeld; ++i)
                if (const OBJHANDLE t = refAt(head, i).target; t < n)
                    ++incoming[t];
    std::memset(&dst->objects, 0, sizeof(OBJectKernel) - offsetof(OBJectKernel, objects));
    OBJectGlobalCounters &global = GlobalObjectCounters();
    for (OBJHANDLE h = 1; h < n; ++h) {
        OBJectHead *head = bankHead(bank, h);
        if (!head)
            continue;
        head->refsIncoming = incoming[h];
        ++dst->objects;
        ++global.objects;
        if (head->classIndex < OBJ_MAX_CLASSES)
            ++dst->classes[head->classIndex].objects;
        if (OBJectClassDescr *d = ClassDescrByIndex(head->classIndex))
            ++d->objects;
    }
    CompressKernelWithRoot(dst, root);
    return dst;
}
