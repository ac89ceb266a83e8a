#include "control/automation/map_object_getters.h"

#include "control/automation/krt_objects.h"
#include "control/automation/krt_page.h"
#include "control/automation/krt_selection.h"
#include "control/automation/model_members.h"
#include "control/map_control_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "platform/window.h"

using namespace model;

namespace {

CMapCtrl &Ctl(DispatchObject &o)
{
    CMapCtrl *c = static_cast<MapControl &>(o).control();
    if (!c)
        throw AutomationException(E_UNEXPECTED, "The map control's window no longer exists.");
    return *c;
}

MemberInfo Collection(const char *name, DISPID id, int32_t kind)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_DISPATCH,
            .get = [kind](DispatchObject &o, MemberCall &c) { c.SetDispatch(new KrtObjects(&Ctl(o), kind)); },
            .readOnly = true,
            .dispid = id};
}

void ApplyPage(CMapCtrl &ctl, IDispatch *value)
{
    KrtPage *page = AsKrtPage(value);
    if (!page)
        ThrowBadOleType();
    ctl.StopDrawingThread();
    if (page->Apply()) {
        RECT client{};
        GetClientRect(ctl.hwnd(), &client);
        if (ctl.view())
            PM_InvalidateRect(ctl.view(), ctl.hwnd(), &client, 1);
    }
    ctl.SetModifiedFlag();
}

} // namespace

std::vector<MemberInfo> MapObjectGetters()
{
    using O = DispatchObject;
    using C = MemberCall;
    return {
        Collection("MapObjects", 1, KrtObjects::kAllObjects),
        Collection("MapLayers", 2, KrtObjects::kLayers),
        {.name = "Selection",
         .kind = MemberKind::Property,
         .type = VT_DISPATCH,
         .get = [](O &o, C &c) { c.SetDispatch(new KrtSelection(&Ctl(o))); },
         .readOnly = true,
         .dispid = 3},
        Id(4, Prop(
                  "Page", VT_VARIANT, [](O &o, C &c) { c.SetDispatch(new KrtPage(&Ctl(o))); },
                  [](O &o, C &c) { ApplyPage(Ctl(o), ObjectOf(c.value())); })),
        Id(13,
           ReadOnly("UndoRedo", VT_DISPATCH, [](O &o, C &c) { c.SetDispatch(new KrtUndoRedo(&Ctl(o))); })),
        Collection("MapIDs", 14, KrtObjects::kIdentified),
        Collection("MapTexts", 15, KrtObjects::kTexts),
        Collection("MapPolygons", 16, KrtObjects::kPolygons),
        Collection("MapPolylines", 17, KrtObjects::kPolylines),
    };
}
