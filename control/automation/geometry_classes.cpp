#include "control/automation/geometry_classes.h"

#include "control/automation/krt_group.h"
#include "control/automation/krt_layer.h"
#include "control/automation/krt_legend.h"
#include "control/automation/krt_line_style.h"
#include "control/automation/krt_points.h"
#include "control/automation/krt_poly.h"
#include "control/automation/krt_raster.h"
#include "control/automation/krt_text.h"

namespace {

template <class T>
void Add(ServerModule &module)
{
    module.AddClass({.table = T::Table().get()}, [] { return static_cast<IDispatch *>(new T); });
}

} // namespace

std::vector<const MemberTable *> GeometryClassTables()
{
    return {KrtPoints::Table().get(), KrtPoly::Table().get(),     KrtText::Table().get(),
            KrtRaster::Table().get(), KrtGroup::Table().get(),    KrtLayer::Table().get(),
            KrtLegend::Table().get(), KrtLineStyle::Table().get()};
}

void AddGeometryClasses(ServerModule &module)
{
    Add<KrtPoints>(module);
    Add<KrtPoly>(module);
    Add<KrtText>(module);
    Add<KrtRaster>(module);
    Add<KrtGroup>(module);
    Add<KrtLayer>(module);
    Add<KrtLegend>(module);
    Add<KrtLineStyle>(module);
}
