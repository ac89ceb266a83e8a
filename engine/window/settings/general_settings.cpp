#include "engine/window/settings/general_settings.h"

#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"

namespace {

constexpr const char *kSection = "Settings";
constexpr const char *kPolylineValue = "Delete PolyLine After Polygon";

} // namespace

GeneralSettingsModel::GeneralSettingsModel(const _WNDRES *rec) : rec_(rec)
{
    const SettingsRegKey *key = rec ? rec->settingsKey : nullptr;
    for (size_t i = 0; i < kGeneralSettings.size(); ++i) {
        int32_t v = kGeneralSettings[i].fallback;
        if (key)
            key->GetValue(kSection, kGeneralSettings[i].valueName, &v, 0);
        checks[i] = v;
    }
    int32_t polyline = 0;
    if (key)
        key->GetValue(kSection, kPolylineValue, &polyline, 0);
    polylineRadio = polyline == 1 ? kOnceOrMoreUsed : kTwoTimesUsed;
}

void GeneralSettingsModel::SetCheck(size_t index, bool on)
{
    if (index >= checks.size())
        return;
    checks[index] = on ? 1 : 0;
    modified = true;
}

void GeneralSettingsModel::SetPolylineRadio(int radio)
{
    if (radio != kTwoTimesUsed && radio != kOnceOrMoreUsed)
        return;
    if (radio != polylineRadio)
        modified = true;
    polylineRadio = radio;
}

void GeneralSettingsModel::Apply() const
{
    const SettingsRegKey *key = rec_ ? rec_->settingsKey : nullptr;
    if (!key)
        return;
    for (size_t i = 0; i < kGeneralSettings.size(); ++i)
        key->SetValue(kSection, kGeneralSettings[i].valueName, &checks[i], 0);
    const int32_t polyline = polylineRadio == kOnceOrMoreUsed ? 1 : 2;
    key->SetValue(kSection, kPolylineValue, &polyline, 0);
}
