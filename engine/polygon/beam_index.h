// A search index over the records of a scan beam: a treap ordered by
// position only (no keys), kept in the same order as the beam's list. The
// sweep finds the place of a node's height in O(log n) by descending it with
// a predicate that holds for a suffix of the beam; neighbour steps stay on
// the list.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class IScanBeam;

class BeamIndex {
public:
    struct Slot {
        IScanBeam *item = nullptr;
        Slot *parent = nullptr;
        Slot *left = nullptr;
        Slot *right = nullptr;
        uint32_t priority = 0;
    };

    BeamIndex() = default;
    BeamIndex(const BeamIndex &) = delete;
    BeamIndex &operator=(const BeamIndex &) = delete;

    // Puts item just before position (at the end for null); the item's slot
    // is stored in its record.
    Slot *InsertBefore(Slot *position, IScanBeam *item);
    void Erase(Slot *slot);
    // Neighbours in the beam exchanged places: the slots exchange items.
    static void SwapItems(Slot *a, Slot *b);

    // The first item for which below(item) holds, given that it holds for
    // every item after that one too; null when it holds for none.
    template <class Below>
    IScanBeam *FirstWhere(Below below) const
    {
        IScanBeam *found = nullptr;
        for (Slot *s = _root; s;) {
            if (below(s->item)) {
                found = s->item;
                s = s->left;
            } else {
                s = s->right;
            }
        }
        return found;
    }

    bool empty() const { return _root == nullptr; }

private:
    Slot *NewSlot();
    void RotateUp(Slot *slot);
    void Replace(Slot *old, Slot *with);

    Slot *_root = nullptr;
    uint32_t _seed = 2463534242u;
    std::vector<std::unique_ptr<Slot[]>> _chunks;
    size_t _chunkUsed = 0;
    std::vector<Slot *> _free;
};
