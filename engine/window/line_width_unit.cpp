#include "engine/window/line_width_unit.h"

#include "engine/kernel/window_record.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"

#include <cstring>
#include <optional>

namespace {

// The text, or nothing when the view's unit has no usable name.
std::optional<std::string> unitText(HWND window, uint8_t widthsInMapUnits)
{
    if (!widthsInMapUnits)
        return std::string(" pix");
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->displayView)
        return std::string(" m");
    const int unit = rec->displayView->projection.transformedUnit;
    if (!FindUnitInfo(unit))
        return std::nullopt;
    char name[100] = {};
    if (!UnitStringGet(unit, 1, name, sizeof name) || !name[0])
        UnitStringGet(unit, 0, name, sizeof name);
    if (!name[0])
        return std::nullopt;
    return std::string(name);
}

} // namespace

int LineWidthUnitText(LineWidthUnitRecord *record, HINSTANCE, HWND window, uint8_t widthsInMapUnits)
{
    if (!record)
        return 0;
    const std::optional<std::string> text = unitText(window, widthsInMapUnits);
    if (!text)
        return 0;
    const size_t n = std::min(text->size(), sizeof record->text - 1);
    std::memcpy(record->text, text->data(), n);
    record->text[n] = 0;
    return 1;
}

std::string LineWidthUnitString(HINSTANCE, HWND window, uint8_t widthsInMapUnits)
{
    const std::optional<std::string> text = unitText(window, widthsInMapUnits);
    return text ? text->substr(0, 99) : std::string(" m");
}
