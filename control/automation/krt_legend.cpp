#include "control/automation/krt_legend.h"

#include "control/automation/library_objects.h"
#include "control/automation/member_helpers.h"
#include "control/krtmap_module.h"

namespace m = automation_members;

std::shared_ptr<const MemberTable> KrtLegend::Table()
{
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtLegend",
        .progId = "KrtLib.KrtLegend",
        .clsid = kKrtLegendClsid,
        .dispatchIid = kIKrtLegendIid,
        .interfaceName = "IKrtLegend",
        .members =
            {
                m::Long("hObject", &KrtLegend::hObject),
                m::Long("hPresentation", &KrtLegend::hPresentation),
                m::Position("Position", &KrtLegend::x, &KrtLegend::y),
                m::VariantText("Title", &KrtLegend::title),
                m::Font("TitleFont", &KrtLegend::titleFont),
                m::Long("TitleColor", &KrtLegend::titleColor),
                m::Font("Font", &KrtLegend::itemFont),
                m::Long("Color", &KrtLegend::itemColor),
                m::Bool("Include", &KrtLegend::include),
                m::Bool("Continuous", &KrtLegend::continuous),
                m::VariantText("PieLegendType", &KrtLegend::pieLegendType),
            },
    });
    return table;
}

KrtLegend::KrtLegend() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtLegend::~KrtLegend() = default;
