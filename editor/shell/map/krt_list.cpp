#include "editor/shell/map/krt_list.h"

#include "editor/shell/map/tpmap.h"
#include "platform/automation_enum.h"

#include <algorithm>

// --- TKRTList ----------------------------------------------------------------------

TKRTObject *TKRTList::GetObject(int index) const
{
    return index >= 0 && index < Count() ? items_[size_t(index)].get() : nullptr;
}

IKrtObject TKRTList::GetItem(int index) const
{
    const TKRTObject *holder = GetObject(index);
    return holder ? holder->Object : IKrtObject();
}

int TKRTList::AddItem(const IKrtObject &object)
{
    items_.push_back(std::make_unique<TKRTObject>(object));
    return Count() - 1;
}

// --- TMapEnumerator ----------------------------------------------------------------

TMapEnumerator::TMapEnumerator(const IKrtObjects &collection)
{
    if (collection.IsNone())
        return;
    const ComPtr<IUnknown> e = collection.NewEnum();
    if (e)
        e->QueryInterface(IEnumVARIANT::kIid, enumerator_.putVoid());
}

TMapEnumerator::~TMapEnumerator() = default;

IKrtObject TMapEnumerator::Next()
{
    if (!enumerator_)
        return {};
    Variant item;
    ULONG fetched = 0;
    if (enumerator_->Next(1, &item, &fetched) != S_OK || fetched != 1)
        return {};
    try {
        return IKrtObject(VariantObject(item));
    } catch (const ControlException &) {
        return {}; // an item that is no object ends the walk
    }
}

// --- TSelectionEnumerator ----------------------------------------------------------

TSelectionEnumerator::TSelectionEnumerator(TPMap &map) : TMapEnumerator(map.GetSelected()) {}

IKrtObject TSelectionEnumerator::Next()
{
    for (;;) {
        // A group being expanded gives its members; groups inside it wait in
        // the queue.
        while (expanding_) {
            IKrtObject member = expanding_->Next();
            if (member.IsNone()) {
                expanding_.reset();
            } else if (member.ObjectType() == otGroup) {
                queue_.AddItem(member);
            } else {
                return member;
            }
        }
        if (queueHead_ < queue_.Count()) {
            const IKrtObject group = queue_.GetItem(queueHead_++);
            expanding_ = std::make_unique<TMapEnumerator>(group.Group().Objects());
            continue;
        }
        if (exhausted_)
            return {};
        IKrtObject next = TMapEnumerator::Next();
        if (next.IsNone()) {
            exhausted_ = true;
            return {};
        }
        if (next.ObjectType() == otGroup)
            queue_.AddItem(next);
        else
            return next;
    }
}

// --- TRegroup ----------------------------------------------------------------------

IKrtObject TRegroup::GroupFor(const IKrtObject &object)
{
    if (object.IsNone())
        return {};
    const int32_t old = object.hGroup();
    const int32_t type = object.ObjectType();
    if (old <= 0 || (type != otPolyline && type != otPolygon && type != otText))
        return {};
    if (const int index = handles_.IndexOf(old); index >= 0)
        return GetItem(index);
    const IKrtObject group = target_.AddObject(IKrtGroup::New());
    handles_.Add(old);
    AddItem(group);
    return group;
}

void TRegroup::CopyGroupIDs(TPMap *source)
{
    if (!source)
        return;
    for (int i = 0; i < handles_.Count(); ++i) {
        const IKrtObject old = source->Control().MapObjects().Item(handles_.Get(i));
        const std::string primary = old.PrimaryID();
        const std::string secondary = old.SecondaryID();
        if (source == &target_)
            source->DeleteObject(old);
        if (const IKrtObject group = GetItem(i)) {
            group.PutPrimaryID(primary);
            group.PutSecondaryID(secondary);
        }
    }
}

// --- TLayerStates ------------------------------------------------------------------

void TLayerStates::Save()
{
    entries_.clear();
    TMapEnumerator e(map_.Control().MapLayers());
    for (IKrtObject o = e.Next(); o; o = e.Next()) {
        const IKrtLayer l = o.Layer();
        entries_.push_back(
            int32_t(int64_t(o.hObject()) * 4 + (l.Visible() ? 1 : 0) + (l.Selectable() ? 2 : 0)));
    }
}

void TLayerStates::Restore()
{
    for (int32_t entry : entries_) {
        const IKrtObject o = map_.GetObject(entry >> 2);
        if (o.IsNone() || o.ObjectType() != otLayer)
            continue;
        const IKrtLayer l = o.Layer();
        l.PutVisible((entry & 1) != 0);
        l.PutSelectable((entry & 2) != 0);
        o.PutLayer(l);
    }
}
