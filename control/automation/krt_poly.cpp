#include "control/automation/krt_poly.h"

#include "control/automation/engine_bridge.h"
#include "control/automation/library_objects.h"
#include "control/automation/member_helpers.h"
#include "control/krtmap_module.h"

namespace m = automation_members;

std::shared_ptr<const MemberTable> KrtPoly::Table()
{
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtPoly",
        .progId = "KrtLib.KrtPoly",
        .clsid = kKrtPolyClsid,
        .dispatchIid = kIKrtPolyIid,
        .interfaceName = "IKrtPoly",
        .members =
            {
                m::ReadOnly(m::Long("hObject", &KrtPoly::hObject)),
                {.name = "hLayer",
                 .kind = MemberKind::Property,
                 .type = VT_I4,
                 .get = [](DispatchObject &o,
                           MemberCall &c) { c.SetLong(int32_t(m::As<KrtPoly>(o).hLayer)); },
                 .put =
                     [](DispatchObject &o, MemberCall &c) {
                         KrtPoly &self = m::As<KrtPoly>(o);
                         self.hLayer = OBJHANDLE(c.value().lVal);
                         if (CMapCtrl *control = self.map.control(); control && self.hObject)
                             MoveObjectToLayer(*control, self.hObject, self.hLayer);
                     }},
                m::Bool("IsPolyline", &KrtPoly::isPolyline),
                m::ReadOnly({.name = "Points",
                             .kind = MemberKind::Property,
                             .type = VT_VARIANT,
                             .get =
                                 [](DispatchObject &o, MemberCall &c) {
                                     KrtPoints *points = m::As<KrtPoly>(o).pointsObject();
                                     points->AddRef();
                                     c.SetDispatch(points);
                                 }}),
            },
    });
    return table;
}

KrtPoly::KrtPoly()
    : DispatchObject(Table()), points_(ComPtr<KrtPoints>::Adopt(new KrtPoints)), lock_(KrtMapModule())
{
}
KrtPoly::~KrtPoly() = default;
