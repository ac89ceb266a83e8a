#include "control/automation/krt_line_style.h"

#include "control/automation/geometry_class_ids.h"
#include "control/automation/library_objects.h"
#include "control/automation/member_helpers.h"
#include "control/krtmap_module.h"

namespace m = automation_members;

std::shared_ptr<const MemberTable> KrtLineStyle::Table()
{
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtLineStyle",
        .progId = "KrtLib.KrtLineStyle",
        .clsid = kKrtLineStyleClsid,
        .dispatchIid = kIKrtLineStyleIid,
        .interfaceName = "IKrtLineStyle",
        .members =
            {
                m::Long("Color", &KrtLineStyle::color),
                m::Long("Width", &KrtLineStyle::width),
                m::FlagBit("WidthInUnits", &KrtLineStyle::flags, kWidthInUnits),
                m::Long("Style", &KrtLineStyle::style),
                {.name = "RoundedEndings",
                 .kind = MemberKind::Property,
                 .type = VT_BOOL,
                 .get = [](DispatchObject &o,
                           MemberCall &c) { c.SetBool(!(m::As<KrtLineStyle>(o).flags & kSquareEndings)); },
                 .put =
                     [](DispatchObject &o, MemberCall &c) {
                         uint16_t &f = m::As<KrtLineStyle>(o).flags;
                         f = c.value().boolVal != VARIANT_FALSE ? uint16_t(f & ~kSquareEndings)
                                                                : uint16_t(f | kSquareEndings);
                     }},
                m::FlagBit("RoundedCorners", &KrtLineStyle::flags, kRoundedCorners),
            },
    });
    return table;
}

KrtLineStyle::KrtLineStyle() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtLineStyle::~KrtLineStyle() = default;
