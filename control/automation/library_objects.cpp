#include "control/automation/library_objects.h"

#include <atomic>
#include <mutex>
#include <unordered_set>

namespace {

struct Tables {
    std::mutex mutex;
    std::unordered_set<const MemberTable *> all;
};

Tables &tables()
{
    static Tables t;
    return t;
}

std::atomic<CollectionMaker> collectionMaker{nullptr};

} // namespace

std::shared_ptr<const MemberTable> LibraryTable(ClassInfo info)
{
    auto table = std::make_shared<const MemberTable>(std::move(info));
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    t.all.insert(table.get());
    return table;
}

bool IsLibraryObject(IDispatch *object)
{
    const auto *d = object ? dynamic_cast<const DispatchObject *>(object) : nullptr;
    if (!d)
        return false;
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    return t.all.count(&d->table()) != 0;
}

void SetCollectionMaker(CollectionMaker maker) { collectionMaker = maker; }

IDispatch *MakeCollection(const MapLink &map, int kind, OBJHANDLE handle)
{
    const CollectionMaker maker = collectionMaker;
    return maker ? maker(map, kind, handle) : nullptr;
}
