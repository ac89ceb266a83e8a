#include "control/automation/krt_layer.h"

#include "control/automation/engine_bridge.h"
#include "control/automation/krt_group.h"
#include "control/automation/library_objects.h"
#include "control/automation/member_helpers.h"
#include "control/krtmap_module.h"
#include "control/map_ctrl.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_objects.h"

namespace m = automation_members;

namespace {

void ThemeGet(DispatchObject &o, MemberCall &c)
{
    const KrtLayer &self = m::As<KrtLayer>(o);
    const HWND window = self.map.window();
    const OBJHANDLE group = window && self.hObject ? map_object_group_Get(window, self.hObject) : 0;
    c.SetDispatch(group ? KrtGroup::ForEngineGroup(self.map, group) : nullptr);
}

void ThemePut(DispatchObject &o, MemberCall &c)
{
    const KrtLayer &self = m::As<KrtLayer>(o);
    const KrtGroup *group = LibraryObjectAs<KrtGroup>(m::DispatchOf(c.value()));
    CMapCtrl *control = self.map.control();
    if (!group || !group->hObject || !control || !self.hObject)
        return;
    _WNDRES *record = control->wndRes();
    OBJectKernel *kernel = record->kernel;
    if (!kernel || !LG_CheckIfLGTree(kernel, group->hObject))
        return;
    control->StopDrawingThread();
    if (!LG_SetGroupAsLG(kernel, record->rootObject, group->hObject))
        return;
    PutInGroup(kernel, self.hObject, group->hObject);
    MarkMapModified(*control);
}

} // namespace

std::shared_ptr<const MemberTable> KrtLayer::Table()
{
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtLayer",
        .progId = "KrtLib.KrtLayer",
        .clsid = kKrtLayerClsid,
        .dispatchIid = kIKrtLayerIid,
        .interfaceName = "IKrtLayer",
        .members =
            {
                {.name = "Name",
                 .kind = MemberKind::Property,
                 .type = VT_VARIANT,
                 .get =
                     [](DispatchObject &o, MemberCall &c) {
                         // An empty name reads as a single space.
                         const std::string &name = m::As<KrtLayer>(o).name;
                         c.SetString(name.empty() ? std::string(" ") : name);
                     },
                 .put = [](DispatchObject &o,
                           MemberCall &c) { m::As<KrtLayer>(o).SetName(m::TextOf(c.value())); },
                 .isDefault = true},
                m::ReadOnly(m::Long("hObject", &KrtLayer::hObject)),
                m::FlagBit("Visible", &KrtLayer::flags, kVisible),
                m::FlagBit("Selectable", &KrtLayer::flags, kSelectable),
                m::FlagBit("Active", &KrtLayer::flags, kActive),
                m::Long("FillColor", &KrtLayer::fillColor),
                m::Long("Number", &KrtLayer::number),
                m::Long("Transparency", &KrtLayer::transparency),
                m::Long("Order", &KrtLayer::order),
                m::FlagBit("NoFillColor", &KrtLayer::flags, kNoFillColor),
                {.name = "LineStyle",
                 .kind = MemberKind::Property,
                 .type = VT_VARIANT,
                 .get =
                     [](DispatchObject &o, MemberCall &c) {
                         KrtLineStyle &style = m::As<KrtLayer>(o).lineStyle();
                         style.AddRef();
                         c.SetDispatch(&style);
                     },
                 .put =
                     [](DispatchObject &o, MemberCall &c) {
                         const KrtLineStyle *given = LibraryObjectAs<KrtLineStyle>(m::DispatchOf(c.value()));
                         KrtLineStyle &style = m::As<KrtLayer>(o).lineStyle();
                         if (!given || given == &style)
                             return;
                         style.color = given->color;
                         style.style = given->style;
                         style.width = given->width;
                         style.flags = given->flags;
                     },
                 .putRef = true},
                m::FlagBit("Preview", &KrtLayer::flags, kPreview),
                {.name = "Theme",
                 .kind = MemberKind::Property,
                 .type = VT_VARIANT,
                 .get = ThemeGet,
                 .put = ThemePut,
                 .putRef = true},
                m::Double("VisibleFromScale", &KrtLayer::visibleFromScale),
                m::Double("VisibleToScale", &KrtLayer::visibleToScale),
                [] {
                    MemberInfo pattern = m::Long("FillPattern", &KrtLayer::fillPattern);
                    pattern.aliases = {"FillHatch"};
                    return pattern;
                }(),
                m::ReadOnly({.name = "Objects",
                             .kind = MemberKind::Property,
                             .type = VT_VARIANT,
                             .get =
                                 [](DispatchObject &o, MemberCall &c) {
                                     const KrtLayer &self = m::As<KrtLayer>(o);
                                     c.SetDispatch(
                                         MakeCollection(self.map, kCollectionOfLayer, self.hObject));
                                 }}),
            },
    });
    return table;
}

KrtLayer::KrtLayer()
    : DispatchObject(Table()), lineStyle_(ComPtr<KrtLineStyle>::Adopt(new KrtLineStyle)),
      lock_(KrtMapModule())
{
}
KrtLayer::~KrtLayer() = default;

void KrtLayer::SetName(std::string text)
{
    if (text.size() > kNameMax)
        text.resize(kNameMax);
    name = std::move(text);
}
