// Small containers and iterators over the control's automation objects: a
// list of held objects, a forward enumerator over any collection, an
// enumerator over the selection that expands groups, the regrouping list of
// copied objects and the saved visibility and selectability of the layers.
#pragma once

#include "editor/shell/map/krt_control.h"
#include "editor/shell/support/int_list.h"

#include <memory>
#include <vector>

class TPMap;
class IEnumVARIANT;

// Holds one reference to a control object.
class TKRTObject {
public:
    explicit TKRTObject(IKrtObject object) : Object(std::move(object)) {}
    IKrtObject Object;
};

// A list of held control objects; accessors give none outside the range.
// The list owns its holders.
class TKRTList {
public:
    virtual ~TKRTList() = default;
    TKRTObject *GetObject(int index) const;
    IKrtObject GetItem(int index) const;
    int AddItem(const IKrtObject &object);
    int Count() const { return int(items_.size()); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TKRTObject>> items_;
};

// One pass over a collection of the control, one object at a time.
class TMapEnumerator {
public:
    explicit TMapEnumerator(const IKrtObjects &collection);
    virtual ~TMapEnumerator();
    // The next object; none at the end or when there is no enumerator.
    virtual IKrtObject Next();

protected:
    TMapEnumerator() = default;
    ComPtr<IEnumVARIANT> enumerator_;
};

// The selected objects in selection order, each group replaced by its
// members where it was met; groups inside groups are queued and expanded
// after the rest of the queue. Groups themselves are never returned.
class TSelectionEnumerator : public TMapEnumerator {
public:
    explicit TSelectionEnumerator(TPMap &map);
    IKrtObject Next() override;

private:
    std::unique_ptr<TMapEnumerator> expanding_;
    TKRTList queue_;
    int queueHead_ = 0;
    bool exhausted_ = false;
};

// New groups in a target map for the old groups of copied objects: entry i
// of the list is the new group made for old handle i.
class TRegroup : public TKRTList {
public:
    explicit TRegroup(TPMap &target) : target_(target) {}
    // The new group for the object's old group; none for an object without
    // a group or of another type than polyline, polygon or text.
    IKrtObject GroupFor(const IKrtObject &object);
    // Gives the new groups the identifiers of the old ones (deleting the
    // old ones when the source is the target).
    void CopyGroupIDs(TPMap *source);
    const TIntList &OldHandles() const { return handles_; }

private:
    TPMap &target_;
    TIntList handles_;
};

// The saved visibility and selectability of a map's layers: one entry per
// layer, handle × 4 + 1 when visible + 2 when selectable.
class TLayerStates {
public:
    explicit TLayerStates(TPMap &map) : map_(map) {}
    void Save();
    // Writes the saved states back; layers that no longer exist are skipped.
    // The entries stay saved.
    void Restore();
    void Clear() { entries_.clear(); }
    const std::vector<int32_t> &Entries() const { return entries_; }

private:
    TPMap &map_;
    std::vector<int32_t> entries_;
};
