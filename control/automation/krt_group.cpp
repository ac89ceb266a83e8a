#include "control/automation/krt_group.h"

#include "control/automation/library_objects.h"
#include "control/automation/member_helpers.h"
#include "control/krtmap_module.h"
#include "engine/kernel/layer_groups.h"
#include "engine/window/window_objects.h"

#include <vector>

namespace m = automation_members;

std::shared_ptr<const MemberTable> KrtGroup::Table()
{
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtGroup",
        .progId = "KrtLib.KrtGroup",
        .clsid = kKrtGroupClsid,
        .dispatchIid = kIKrtGroupIid,
        .interfaceName = "IKrtGroup",
        .members =
            {
                m::ReadOnly({.name = "Objects",
                             .kind = MemberKind::Property,
                             .type = VT_VARIANT,
                             .get =
                                 [](DispatchObject &o, MemberCall &c) {
                                     const KrtGroup &self = m::As<KrtGroup>(o);
                                     c.SetDispatch(
                                         MakeCollection(self.map, kCollectionOfGroup, self.hObject));
                                 }}),
                m::Long("hObject", &KrtGroup::hObject),
                m::Long("hLayer", &KrtGroup::hLayer),
                m::String("Name", &KrtGroup::name),
                {.name = "Parent",
                 .kind = MemberKind::Property,
                 .type = VT_VARIANT,
                 .get =
                     [](DispatchObject &o, MemberCall &c) {
                         const KrtGroup &self = m::As<KrtGroup>(o);
                         c.SetDispatch(self.parent ? ForEngineGroup(self.map, self.parent) : nullptr);
                     },
                 .put =
                     [](DispatchObject &o, MemberCall &c) {
                         // Only a group without a handle changes the parent:
                         // to none.
                         const KrtGroup *given = LibraryObjectAs<KrtGroup>(m::DispatchOf(c.value()));
                         if (given && given->hObject == 0)
                             m::As<KrtGroup>(o).parent = 0;
                     },
                 .putRef = true},
            },
    });
    return table;
}

KrtGroup::KrtGroup() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtGroup::~KrtGroup() = default;

KrtGroup *KrtGroup::ForEngineGroup(const MapLink &map, OBJHANDLE group)
{
    auto *g = new KrtGroup;
    g->map = map;
    g->hObject = group;
    if (_WNDRES *record = map.record()) {
        uint32_t length = 0;
        if (map_LG_Get(record, group, &length, nullptr, 0, nullptr, nullptr, 0) && length > 0) {
            std::vector<char> buffer(size_t(length) + 2, '\0');
            map_LG_Get(record, group, &length, buffer.data(), uint32_t(buffer.size()), nullptr, nullptr, 0);
            g->name = buffer.data();
        }
        g->parent = map_object_group_Get(map.window(), group);
    }
    return g;
}
