// KrtText: a text object as an automation object: its string, anchor,
// font (the individual font fields and a font description), colour,
// alignment and lock flags, angles and colour mode.
#pragma once

#include "control/automation/font_description.h"
#include "control/automation/map_link.h"
#include "platform/automation_server.h"

#include <memory>
#include <string>

class KrtText : public DispatchObject {
public:
    // Answers of VerticalAlignment.
    static constexpr int32_t mc_AlignCenter = 1;
    static constexpr int32_t mc_AlignTop = 3;
    static constexpr int32_t mc_AlignBottom = 4;

    static std::shared_ptr<const MemberTable> Table();
    KrtText();

    MapLink map;
    OBJHANDLE hObject = 0;
    OBJHANDLE hLayer = 0;
    std::string text = "x"; // Windows-1252
    int32_t x = 0;
    int32_t y = 0;
    int32_t size = 0;
    std::string faceName;
    uint16_t fontStyle = 0;
    int16_t charSet = 0;
    FontDescription font;
    COLORREF color = 0;
    // Bits 0-1 horizontal alignment, 2-3 vertical alignment, 4-5 lock.
    uint16_t flags = 0;
    int32_t escapement = 0;
    int32_t rotation = 0;
    int32_t ownColour = 0;

protected:
    ~KrtText() override;

private:
    ModuleLock lock_;
};
