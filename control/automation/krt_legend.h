// KrtLegend: the values of a presentation's legend as an automation object:
// position, title and item fonts and colours, and the options written when
// the legend is made.
#pragma once

#include "control/automation/font_description.h"
#include "engine/kernel/kernel_types.h"
#include "platform/automation_server.h"
#include "platform/types.h"

#include <memory>
#include <string>

class KrtLegend : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtLegend();

    OBJHANDLE hObject = 0;
    OBJHANDLE hPresentation = 0;
    int32_t x = 0;
    int32_t y = 0;
    std::string title; // Windows-1252
    FontDescription titleFont;
    COLORREF titleColor = 0;
    FontDescription itemFont;
    COLORREF itemColor = 0;
    bool include = true;
    bool continuous = false;
    std::string pieLegendType;

protected:
    ~KrtLegend() override;

private:
    ModuleLock lock_;
};
