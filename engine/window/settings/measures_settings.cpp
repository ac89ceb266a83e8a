#include "engine/window/settings/measures_settings.h"
#include "engine/window/settings/setting_number.h"

#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/wndres.h"
#include "platform/profile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char *kSection = "Settings";
constexpr double kMinCm = 3, kMaxCm = 100;

double mmToInches(double mm) { return int(mm * 3.9370078740157477 + 0.5) * 0.01; }
double cmToInches(double cm) { return int(cm * 39.370078740157474 + 0.5) * 0.01; }

} // namespace

MeasuresSettingsModel::MeasuresSettingsModel(_WNDRES *rec) : rec_(rec)
{
    for (const tagUnitInfo *u = GetPtrUnitInfo(); u && u->id != -1; ++u) {
        char name[64] = {};
        UnitStringGet(u->id, 0, name, int(sizeof name));
        if (u->kind & UNIT_AREA)
            areaUnits.push_back({u->id, name});
        else if (u->kind & (UNIT_METRIC | UNIT_IMPERIAL))
            lengthUnits.push_back({u->id, name});
    }
    PresentationManager *view = rec ? rec->displayView : nullptr;
    if (view) {
        areaUnit = view->projection.areaUnit;
        lengthUnit = view->projection.lengthUnit;
    }
    const SettingsRegKey *key = rec ? rec->settingsKey : nullptr;
    int32_t v = 0;
    digits = key && key->GetValue(kSection, "MGRS - Number Digits", &v, 0) && v >= 1 && v <= 5 ? v : 3;
    zone = key && key->GetValue(kSection, "MGRS - UTM Zone", &v, 0) && v >= 1 && v <= 71 ? v : 32;
    if (rec) {
        rec->mgrsDigits = digits;
        rec->mgrsZone = zone;
    }
    char measure[8] = {};
    GetProfileStringA("intl", "iMeasure", "1", measure, sizeof measure);
    centimetres_ = measure[0] == '0';
    minSize_ = centimetres_ ? kMinCm : cmToInches(kMinCm);
    maxSize_ = centimetres_ ? kMaxCm : cmToInches(kMaxCm);
    showSize();
}

void MeasuresSettingsModel::showSize()
{
    if (!rec_)
        return;
    WndResLoadDisplaySize(rec_);
    const PresentationManager *view = rec_->displayView;
    const double x = view ? view->screenWidthMm : 0, y = view ? view->screenHeightMm : 0;
    sizeX_ = centimetres_ ? x * 0.1 : mmToInches(x);
    sizeY_ = centimetres_ ? y * 0.1 : mmToInches(y);
}

bool MeasuresSettingsModel::setSize(const std::string &text, double *size)
{
    double v = 0;
    if (!ParseSettingNumber(text, &v) || v < minSize_ || v > maxSize_)
        return false;
    *size = v;
    return true;
}

void MeasuresSettingsModel::Apply()
{
    if (zone < 1 || zone > 71)
        zone = 32;
    if (digits < 1 || digits > 5)
        digits = 3;
    const SettingsRegKey *key = rec_ ? rec_->settingsKey : nullptr;
    if (!key)
        return;
    const int32_t area = areaUnit, length = lengthUnit, d = digits, z = zone;
    key->SetValue(kSection, "Area units", &area, 0);
    key->SetValue(kSection, "Length units", &length, 0);
    key->SetValue(kSection, "MGRS - Number Digits", &d, 0);
    key->SetValue(kSection, "MGRS - UTM Zone", &z, 0);
    if (PresentationManager *view = rec_->displayView) {
        view->projection.areaUnit = areaUnit;
        view->projection.lengthUnit = lengthUnit;
    }
    rec_->mgrsDigits = digits;
    rec_->mgrsZone = zone;
    const auto toMm = [this](double v) { return int((centimetres_ ? v * 10 : v * 25.4) + 0.5); };
    char text[32];
    std::snprintf(text, sizeof text, "%d mm", toMm(sizeX_));
    SettingsStringSet(key, kSection, "Display Size X", text);
    std::snprintf(text, sizeof text, "%d mm", toMm(sizeY_));
    SettingsStringSet(key, kSection, "Display Size Y", text);
    showSize();
    if (rec_->displayView)
        PM_ScaleWordToDisplayUpdate(rec_->displayView, rec_->hWnd);
}
