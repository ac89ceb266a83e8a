#include "engine/polygon/beam_index.h"

#include <utility>

#include "engine/polygon/scan_beam.h"

namespace {
constexpr size_t kChunk = 1024;
}

BeamIndex::Slot *BeamIndex::NewSlot()
{
    Slot *slot;
    if (!_free.empty()) {
        slot = _free.back();
        _free.pop_back();
    } else {
        if (_chunks.empty() || _chunkUsed == kChunk) {
            _chunks.push_back(std::make_unique<Slot[]>(kChunk));
            _chunkUsed = 0;
        }
        slot = &_chunks.back()[_chunkUsed++];
    }
    // xorshift: the treap only needs priorities without pattern.
    _seed ^= _seed << 13;
    _seed ^= _seed >> 17;
    _seed ^= _seed << 5;
    *slot = Slot{};
    slot->priority = _seed;
    return slot;
}

// Makes with take old's place under old's parent.
void BeamIndex::Replace(Slot *old, Slot *with)
{
    Slot *parent = old->parent;
    if (!parent)
        _root = with;
    else if (parent->left == old)
        parent->left = with;
    else
        parent->right = with;
    if (with)
        with->parent = parent;
}

void BeamIndex::RotateUp(Slot *slot)
{
    Slot *parent = slot->parent;
    Replace(parent, slot);
    if (parent->left == slot) {
        parent->left = slot->right;
        if (slot->right)
            slot->right->parent = parent;
        slot->right = parent;
    } else {
        parent->right = slot->left;
        if (slot->left)
            slot->left->parent = parent;
        slot->left = parent;
    }
    parent->parent = slot;
}

BeamIndex::Slot *BeamIndex::InsertBefore(Slot *position, IScanBeam *item)
{
    Slot *slot = NewSlot();
    slot->item = item;
    item->_slot = slot;
    if (!_root) {
        _root = slot;
        return slot;
    }
    if (!position) {
        Slot *last = _root;
        while (last->right)
            last = last->right;
        last->right = slot;
        slot->parent = last;
    } else if (!position->left) {
        position->left = slot;
        slot->parent = position;
    } else {
        Slot *before = position->left;
        while (before->right)
            before = before->right;
        before->right = slot;
        slot->parent = before;
    }
    while (slot->parent && slot->parent->priority < slot->priority)
        RotateUp(slot);
    return slot;
}

void BeamIndex::Erase(Slot *slot)
{
    // Down to a leaf under its higher-priority child, then off.
    while (slot->left || slot->right) {
        Slot *child = !slot->left                                    ? slot->right
                      : !slot->right                                 ? slot->left
                      : slot->left->priority > slot->right->priority ? slot->left
                                                                     : slot->right;
        RotateUp(child);
    }
    Replace(slot, nullptr);
    if (slot->item && slot->item->_slot == slot)
        slot->item->_slot = nullptr;
    _free.push_back(slot);
}

void BeamIndex::SwapItems(Slot *a, Slot *b)
{
    std::swap(a->item, b->item);
    a->item->_slot = a;
    b->item->_slot = b;
}
