// KrtLineStyle: the line look of a layer (colour, style, width and the
// flags word: bit 0 width in map units, bit 1 rounded corners, bit 2 square
// endings).
#pragma once

#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"
#include "platform/types.h"

#include <memory>

class KrtLineStyle : public DispatchObject {
public:
    static constexpr uint16_t kWidthInUnits = 1;
    static constexpr uint16_t kRoundedCorners = 2;
    static constexpr uint16_t kSquareEndings = 4;

    static std::shared_ptr<const MemberTable> Table();
    KrtLineStyle();

    COLORREF color = 0;
    int32_t style = 0;
    int32_t width = 1;
    uint16_t flags = 0;

protected:
    ~KrtLineStyle() override;

private:
    ModuleLock lock_;
};
