#include "engine/window/settings/selection_settings.h"

#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/window/wndres.h"

#include <algorithm>

namespace {

constexpr const char *kSection = "Settings";

// The record's selection line flags.
constexpr uint8_t kFlagUnits = 0x01, kFlagCorner = 0x02, kFlagEnding = 0x04;

void readStored(const SettingsRegKey *key, const char *name, int32_t *value)
{
    if (key)
        key->GetValue(kSection, name, value, 0);
}

} // namespace

SelectionSettingsModel::SelectionSettingsModel(_WNDRES *rec) : rec_(rec)
{
    int32_t units = 0, ending = 0, corner = 0;
    if (rec) {
        colour = rec->selLineColor;
        width = rec->selLineWidth;
        style = rec->selLineStyle;
        units = rec->selLineFlags & kFlagUnits ? 4 : 0;
        ending = rec->selLineFlags & kFlagEnding ? 2 : 0;
        corner = rec->selLineFlags & kFlagCorner ? 1 : 0;
        showNodes = rec->showSelectedNodes;
        if (rec->gui) {
            changeCursor = rec->gui->noSelectionCursor ? 0 : 1;
            radius = rec->gui->pickRadius;
        }
    }
    const SettingsRegKey *key = rec ? rec->settingsKey : nullptr;
    int32_t c = int32_t(colour);
    readStored(key, "Selected Line Color", &c);
    colour = COLORREF(c);
    readStored(key, "Selected Line Style", &style);
    readStored(key, "Selected Line Width", &width);
    readStored(key, "Selected Line Width Units", &units);
    readStored(key, "Selected Line Ending", &ending);
    readStored(key, "Selected Line Corner", &corner);
    readStored(key, "Show Selected Line Nodes", &showNodes);
    readStored(key, "Change Selection Cursor", &changeCursor);
    readStored(key, "Sensible Region Radius", &radius);
    // The record counts any positive value as set.
    widthRadio = units > 0 ? kUnits : kPixels;
    endingRadio = ending > 0 ? kEndingSecond : kEndingFirst;
    cornerRadio = corner > 0 ? kCornerSecond : kCornerFirst;
    width = std::clamp<int32_t>(width, 0, kMaxWidth);
    radius = std::clamp<int32_t>(radius, 0, kMaxRadius);
    style = std::clamp<int32_t>(style, 0, 74);
}

void SelectionSettingsModel::SetStyleIndex(int index)
{
    style = index < 0 || index >= 74 ? 0 : index + 1;
    modified = true;
}

void SelectionSettingsModel::SetWidth(int32_t w)
{
    width = std::clamp<int32_t>(w, 0, kMaxWidth);
    modified = true;
}

void SelectionSettingsModel::SetRadius(int32_t r)
{
    radius = std::clamp<int32_t>(r, 0, kMaxRadius);
    modified = true;
}

bool SelectionSettingsModel::SetRadio(int id)
{
    if (id == kPixels || id == kUnits)
        widthRadio = id;
    else if (id == kEndingFirst || id == kEndingSecond)
        endingRadio = id;
    else if (id == kCornerFirst || id == kCornerSecond)
        cornerRadio = id;
    else
        return false;
    modified = true;
    return true;
}

void SelectionSettingsModel::SetColour(COLORREF c)
{
    colour = c;
    modified = true;
}

void SelectionSettingsModel::Apply() const
{
    const SettingsRegKey *key = rec_ ? rec_->settingsKey : nullptr;
    if (!key)
        return;
    const int32_t values[] = {int32_t(colour),
                              style,
                              width,
                              widthRadio - kPixels,
                              endingRadio - kEndingFirst,
                              cornerRadio - kCornerFirst,
                              showNodes,
                              changeCursor,
                              radius};
    const char *names[] = {"Selected Line Color",       "Selected Line Style",     "Selected Line Width",
                           "Selected Line Width Units", "Selected Line Ending",    "Selected Line Corner",
                           "Show Selected Line Nodes",  "Change Selection Cursor", "Sensible Region Radius"};
    for (size_t i = 0; i < std::size(values); ++i)
        key->SetValue(kSection, names[i], &values[i], 0);
    WndRes_InitFromRegistry(rec_, 1);
}
