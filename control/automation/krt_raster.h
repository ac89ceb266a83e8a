// KrtRaster: a raster (an image file placed on the map) as an automation
// object. Size or resolution is given per axis; 2147483647 means not given.
#pragma once

#include "control/automation/map_link.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"

#include <memory>
#include <string>

class KrtRaster : public DispatchObject {
public:
    static constexpr int32_t kNotGiven = 2147483647;

    static std::shared_ptr<const MemberTable> Table();
    KrtRaster();

    MapLink map;
    OBJHANDLE hObject = 0;
    OBJHANDLE hLayer = 0;
    std::string fileName;   // Windows-1252
    int32_t fileFormat = 0; // 0 DIB, 1 JPG, 2 TIFF, 3 PNG, 4 GIF; -1 another
    int32_t originX = kNotGiven;
    int32_t originY = kNotGiven;
    int32_t height = kNotGiven;
    int32_t width = kNotGiven;
    double rasterScale = 0.0;
    double resolutionX = 0.0;
    double resolutionY = 0.0;
    bool frameVisible = false;
    bool imageVisible = true;
    bool clipMode = false;

protected:
    ~KrtRaster() override;

private:
    ModuleLock lock_;
};
