#include "engine/kernel/bank.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/window_record.h"

#include <algorithm>
#include <vector>

namespace {

uint16_t classIdOf(const OBJectHead *head)
{
    const OBJectClassDescr *d = ClassDescrByIndex(head->classIndex);
    return d ? d->classId : 0;
}

// A handle word in fixed data: -1 and 0 mean none and stay as they are.
void remapHandleField(char *block, size_t offset, const std::vector<uint32_t> &table)
{
    if (offset + 4 > LoadField<uint32_t>(block, 4))
        return;
    const uint32_t h = LoadField<uint32_t>(block, offset);
    if (h != 0 && h < table.size() && table[h])
        StoreField<uint32_t>(block, offset, table[h]);
}

} // namespace

OBJHANDLE CompressKernelWithRoot(OBJectKernel *kernel, OBJHANDLE root)
{
    if (!kernel || !kernel->bank)
        return root;
    BankDesc *bank = kernel->bank;
    const uint32_t oldFirstFree = std::min(bank->firstFree, bank->capacity);
    std::vector<uint32_t> table(oldFirstFree, 0);

    uint32_t h = 1;
    while (h < oldFirstFree && bank->slots[h])
        ++h;
    if (h >= oldFirstFree)
        return root;
    uint32_t t = oldFirstFree - 1;
    while (t > h && !bank->slots[t])
        --t;
    if (t <= h) {
        // Only empty slots from h up: first free comes down to them.
        bank->firstFree = h;
        kernel->deleted = 0;
        bank->delStackDepth = 0;
        return root;
    }
    while (h < t) {
        bank->slots[h] = bank->slots[t];
        bank->slots[t] = nullptr;
        table[t] = h;
        while (h < t && bank->slots[h])
            ++h;
        while (t > h && !bank->slots[t])
            --t;
    }
    // The walk may stop on an empty slot: first free lies just above the
    // highest object, as in a bank that never had holes.
    bank->firstFree = bank->slots[t] ? t + 1 : t;

    for (uint32_t slot = 1; slot < bank->firstFree; ++slot) {
        auto *block = static_cast<char *>(bank->slots[slot]);
        if (!block)
            continue;
        auto *head = reinterpret_cast<OBJectHead *>(block);
        for (uint32_t i = 0; i < head->refsHeld; ++i) {
            const size_t at = head->refOffset + size_t(8) * i;
            const uint32_t target = LoadField<uint32_t>(block, at);
            if (target < oldFirstFree && table[target])
                StoreField<uint32_t>(block, at, table[target]);
        }
        // Handles kept in fixed data go stale with the renumbering too.
        const uint16_t cls = classIdOf(head);
        if (cls == CLASS_SELLIST) {
            remapHandleField(block, OBJ_HEAD_SIZE + GOH_SELSLOT, table);
            remapHandleField(block, OBJ_HEAD_SIZE + offsetof(SelList, lastDeselected), table);
        } else if (cls == CLASS_UNDO) {
            remapHandleField(block, OBJ_HEAD_SIZE + UNDO_SELECTED, table);
        }
    }
    kernel->deleted = 0;
    bank->delStackDepth = 0;
    return root < oldFirstFree && table[root] ? table[root] : root;
}

int CompressKernel(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    rec->rootObject = CompressKernelWithRoot(rec->kernel, rec->rootObject);
    return 1;
}
