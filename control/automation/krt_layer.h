// KrtLayer: a layer as an automation object: name, number, flags, fill,
// transparency, drawing order, visibility scales and its embedded line
// style; its theme group and its objects act on the map at once.
#pragma once

#include "control/automation/krt_line_style.h"
#include "control/automation/map_link.h"

#include <string>

class KrtLayer : public DispatchObject {
public:
    // The flags word.
    static constexpr uint16_t kVisible = 1;
    static constexpr uint16_t kSelectable = 2;
    static constexpr uint16_t kActive = 4;
    static constexpr uint16_t kPreview = 64;
    static constexpr uint16_t kNoFillColor = 128;
    // Names keep at most this many characters.
    static constexpr size_t kNameMax = 47;

    static std::shared_ptr<const MemberTable> Table();
    KrtLayer();

    MapLink map;
    OBJHANDLE hObject = 0;
    std::string name = "NoName"; // Windows-1252
    uint16_t flags = kVisible | kSelectable;
    COLORREF fillColor = 0xFFFFFFFF;
    // The high 8 bits of the engine's fill value: 255 (with the default fill
    // colour, a fill value of -1, "not given").
    int32_t fillPattern = 255;
    int32_t number = -1;
    int32_t transparency = 0;
    int32_t order = -1;
    double visibleFromScale = 0.0;
    double visibleToScale = 0.0;
    KrtLineStyle &lineStyle() { return *lineStyle_.get(); }

    // The name as a put stores it: cut to kNameMax characters.
    void SetName(std::string text);

protected:
    ~KrtLayer() override;

private:
    ComPtr<KrtLineStyle> lineStyle_;
    ModuleLock lock_;
};
