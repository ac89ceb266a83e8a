#include "engine/kernel/map_file_image.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/selection_list.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kNotWritten = OBJF_UNDODELETED | OBJF_UNDOCOPY | OBJF_DELETED;

const OBJectHead *headAt(const BankDesc *bank, uint32_t slot)
{
    return static_cast<const OBJectHead *>(BankLock(bank, slot));
}

// The reference slots a block is written with: those in use, and at least
// the class's own, but never more than it has.
uint32_t slotsToWrite(const OBJectHead *head, uint32_t used)
{
    const OBJectClassDescr *d = ClassDescrByIndex(head->classIndex);
    const uint32_t capacity = (head->dataOffset - head->refOffset) / 8;
    return std::min(capacity, std::max(used, d ? uint32_t(d->slots) : 0u));
}

} // namespace

uint32_t BankFreshCapacity(uint32_t firstFree)
{
    if (firstFree <= BANK_INITIAL_ENTRIES)
        return BANK_INITIAL_ENTRIES;
    const uint64_t steps =
        (uint64_t(firstFree) - BANK_INITIAL_ENTRIES + BANK_GROWTH_ENTRIES - 1) / BANK_GROWTH_ENTRIES;
    return uint32_t(std::min<uint64_t>(BANK_INITIAL_ENTRIES + steps * BANK_GROWTH_ENTRIES, UINT32_MAX));
}

MapFileImage::MapFileImage(OBJectKernel *kernel, bool everySlot) : bank_(kernel->bank)
{
    firstFree_ = std::min(bank_->firstFree, bank_->capacity);
    rasterIndex_ = ClassIndexOf(CLASS_BITMAP);
    selListIndex_ = ClassIndexOf(CLASS_SELLIST);
    undoIndex_ = ClassIndexOf(CLASS_UNDO);
    perClass_.assign(OBJ_MAX_CLASSES, 0);
    // A kernel without history, deletions or holes is written as it is: its
    // counters and incoming counts are those of the file, and no block
    // needs to be visited before the writing.
    dense_ = !everySlot && kernel->deleted == 0 && kernel->undoCopies == 0;
    for (uint32_t slot = 1; slot < firstFree_ && dense_; ++slot)
        dense_ = bank_->slots[slot] != nullptr;
    if (dense_) {
        count_ = firstFree_ ? firstFree_ - 1 : 0;
        for (uint32_t i = 0; i < OBJ_MAX_CLASSES; ++i)
            perClass_[i] = kernel->classes[i].objects;
        return;
    }
    table_.assign(firstFree_, 0);
    incoming_.assign(firstFree_, 0);
    for (uint32_t slot = 1; slot < firstFree_; ++slot) {
        const OBJectHead *head = headAt(bank_, slot);
        if (!head || (head->flags & kNotWritten))
            continue;
        table_[slot] = ++count_;
        renumbered_ = renumbered_ || count_ != slot;
        if (head->classIndex < OBJ_MAX_CLASSES)
            ++perClass_[head->classIndex];
        // Only references of written objects count; those to objects not
        // written are never asked for.
        for (uint32_t i = 0; i < head->refsHeld; ++i) {
            const uint32_t t = LoadField<uint32_t>(head, head->refOffset + size_t(8) * i);
            if (t < firstFree_)
                ++incoming_[t];
        }
    }
}

void MapFileImage::bankWords(uint32_t (&words)[5]) const
{
    // The file numbers its objects without holes: a fresh bank of that size.
    words[0] = BankFreshCapacity(count_ + 1);
    words[1] = count_ + 1;
    words[2] = 0;
    words[3] = 0;
    words[4] = uint32_t(bank_->reuseFlag);
}

void MapFileImage::kernelCounts(uint32_t *objects, OBJectClassDescrKernel (&classes)[OBJ_MAX_CLASSES]) const
{
    *objects = count_;
    for (uint32_t i = 0; i < OBJ_MAX_CLASSES; ++i)
        classes[i] = OBJectClassDescrKernel{0, perClass_[i], 0, 0};
}

uint32_t MapFileImage::newHandle(uint32_t slot) const
{
    if (slot == 0 || slot >= firstFree_)
        return 0;
    return dense_ ? slot : table_[slot];
}

const void *MapFileImage::block(uint32_t slot, std::vector<char> &scratch) const
{
    if (!newHandle(slot))
        return nullptr;
    const OBJectHead *head = headAt(bank_, slot);
    if (dense_ && (head->flags & kNotWritten))
        return nullptr; // the kernel's counters missed it: the caller starts again with every slot
    const int cls = int(head->classIndex);
    const uint32_t incoming = dense_ ? head->refsIncoming : incoming_[slot];
    bool changes = renumbered_ || head->refsIncoming != incoming || cls == rasterIndex_ ||
                   cls == selListIndex_ || cls == undoIndex_;
    for (uint32_t i = 0; i < head->refsHeld && !changes; ++i)
        changes = !newHandle(LoadField<uint32_t>(head, head->refOffset + size_t(8) * i));
    const uint32_t capacity = (head->dataOffset - head->refOffset) / 8;
    changes = changes || capacity > slotsToWrite(head, head->refsHeld);
    if (!changes)
        return head;

    const auto *from = reinterpret_cast<const char *>(head);
    scratch.assign(from, from + head->size);
    char *block = scratch.data();
    // References to objects the file does not hold go; the rest close up
    // and name the new handles.
    uint32_t kept = 0;
    for (uint32_t i = 0; i < head->refsHeld; ++i) {
        OBJectRef r = LoadField<OBJectRef>(block, head->refOffset + size_t(8) * i);
        if (!newHandle(r.target))
            continue;
        r.target = newHandle(r.target);
        StoreField(block, head->refOffset + size_t(8) * kept++, r);
    }
    for (uint32_t i = kept; i < head->refsHeld; ++i)
        StoreField(block, head->refOffset + size_t(8) * i, OBJectRef{});
    StoreField<uint32_t>(block, offsetof(OBJectHead, refsHeld), kept);
    StoreField<uint32_t>(block, offsetof(OBJectHead, refsIncoming), incoming);

    // Handles kept in fixed data: a handle of an object not written is none.
    auto remap = [&](size_t offset, uint32_t none) {
        if (OBJ_HEAD_SIZE + offset + 4 > head->refOffset)
            return;
        const uint32_t h = LoadField<uint32_t>(block, OBJ_HEAD_SIZE + offset);
        if (h == 0 || h == 0xFFFFFFFFu)
            return;
        StoreField<uint32_t>(block, OBJ_HEAD_SIZE + offset, newHandle(h) ? newHandle(h) : none);
    };
    if (cls == selListIndex_) {
        remap(GOH_SELSLOT, 0xFFFFFFFFu);
        remap(offsetof(SelList, lastDeselected), 0);
    } else if (cls == undoIndex_) {
        remap(UNDO_SELECTED, 0xFFFFFFFFu);
    } else if (cls == rasterIndex_ && head->size >= OBJ_HEAD_SIZE + RASTER_IMAGE_HANDLE2 + 4) {
        // The image handles are this process's; the copy on disk has none.
        StoreField<uint32_t>(block, OBJ_HEAD_SIZE + RASTER_IMAGE_HANDLE1, 0);
        StoreField<uint32_t>(block, OBJ_HEAD_SIZE + RASTER_IMAGE_HANDLE2, 0);
    }

    // Spare slots past the class's own go: how many a holder keeps after
    // growing and shrinking depends on the edits and undos behind it, not on
    // the document. Data offsets count from the data space, which moves up.
    const uint32_t written = slotsToWrite(head, kept);
    if (written < capacity) {
        const size_t from = head->refOffset + size_t(8) * written;
        const size_t cut = size_t(8) * (capacity - written);
        scratch.erase(scratch.begin() + std::ptrdiff_t(from), scratch.begin() + std::ptrdiff_t(from + cut));
        block = scratch.data();
        StoreField<uint32_t>(block, offsetof(OBJectHead, size), uint32_t(head->size - cut));
        StoreField<uint32_t>(block, offsetof(OBJectHead, dataOffset), uint32_t(head->dataOffset - cut));
    }
    return block;
}
