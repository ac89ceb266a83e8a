#include "control/automation/krt_raster.h"

#include "control/automation/library_objects.h"
#include "control/automation/member_helpers.h"
#include "control/krtmap_module.h"

namespace m = automation_members;

std::shared_ptr<const MemberTable> KrtRaster::Table()
{
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtRaster",
        .progId = "KrtLib.KrtRaster",
        .clsid = kKrtRasterClsid,
        .dispatchIid = kIKrtRasterIid,
        .interfaceName = "IKrtRaster",
        .members =
            {
                m::ReadOnly(m::Long("hObject", &KrtRaster::hObject)),
                m::String("FileName", &KrtRaster::fileName),
                m::Long("OriginX", &KrtRaster::originX),
                m::Long("OriginY", &KrtRaster::originY),
                m::Long("Width", &KrtRaster::width),
                m::Long("Height", &KrtRaster::height),
                m::ReadOnly(m::Long("hLayer", &KrtRaster::hLayer)),
                m::Bool("FrameIsVisible", &KrtRaster::frameVisible),
                m::Bool("ImageIsVisible", &KrtRaster::imageVisible),
                m::Bool("ClipMode", &KrtRaster::clipMode),
                m::Double("RasterScale", &KrtRaster::rasterScale),
                m::Double("ResolutionX", &KrtRaster::resolutionX),
                m::Double("ResolutionY", &KrtRaster::resolutionY),
                m::Long("FileFormat", &KrtRaster::fileFormat),
            },
    });
    return table;
}

KrtRaster::KrtRaster() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtRaster::~KrtRaster() = default;
