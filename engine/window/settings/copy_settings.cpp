#include "engine/window/settings/copy_settings.h"
#include "engine/window/settings/setting_number.h"

#include "engine/kernel/module_startup.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "platform/dc.h"
#include "platform/device_limit.h"
#include "platform/message_box.h"
#include "platform/window_dc.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr const char *kSection = "Settings";
constexpr const char *kBitmapValue = "Copied Bitmap Width";
constexpr const char *kMetafileValue = "Copied Metafile Width";

std::string text(unsigned id, const char *fallback)
{
    char buffer[160] = {};
    return LoadStringMap(id, buffer, int(sizeof buffer)) > 0 ? std::string(buffer) : std::string(fallback);
}

// v converted and kept to hundredths, as the page shows it.
double toInches(double cm) { return int(cm * 0.39370078740157477 * 100 + 0.5) * 0.01; }
double toCm(double in) { return int(in * 2.54 * 100 + 0.5) * 0.01; }

} // namespace

int CopySettingsModel::MaxBitmapWidth()
{
    const auto side = int64_t(std::sqrt(double(DeviceBitmapLimit())));
    return int(std::min<int64_t>(side, std::numeric_limits<int32_t>::max() - 1));
}

CopySettingsModel::CopySettingsModel(const _WNDRES *rec) : rec_(rec)
{
    const SettingsRegKey *key = rec ? rec->settingsKey : nullptr;
    std::string stored;
    if (SettingsStringGet(key, kSection, kBitmapValue, nullptr, 0, &stored)) {
        const long long w = std::atoll(stored.c_str());
        if (w >= 10 && w < std::numeric_limits<int32_t>::max())
            bitmapWidth_ = int(std::min<long long>(w, MaxBitmapWidth()));
    }
    double cm = 0;
    if (SettingsStringGet(key, kSection, kMetafileValue, nullptr, 0, &stored) &&
        ParseSettingNumber(stored, &cm) && cm >= kMinMetafileCm && cm <= kMaxMetafileCm)
        metafileWidth_ = cm;
    previousWidth_ = bitmapWidth_;
    const HDC screen = GetDC(0);
    screenWidth_ = screen ? GetDeviceCaps(screen, HORZRES) : 0;
    if (screen)
        ReleaseDC(0, screen);
    // The printer's page width comes from its device context, which the
    // window's printer blocks name; without a printer it is 0.
    printerWidth_ = 0;
}

std::string CopySettingsModel::unitLabel() const
{
    return inches_ ? text(825, "in in.") : text(824, "in cm.");
}

std::string CopySettingsModel::limitText() const
{
    return "At most " + std::to_string(MaxBitmapWidth()) + " pixels.";
}

void CopySettingsModel::SetInches(bool inches)
{
    if (inches == inches_)
        return;
    inches_ = inches;
    const auto convert = inches ? toInches : toCm;
    metafileWidth_ = convert(metafileWidth_);
    minMetafile_ = convert(minMetafile_);
    maxMetafile_ = convert(maxMetafile_);
}

bool CopySettingsModel::SetMetafileWidth(const std::string &s)
{
    double v = 0;
    if (!ParseSettingNumber(s, &v) || v < minMetafile_ || v > maxMetafile_) {
        char message[128];
        std::snprintf(message, sizeof message, "Please enter a number between %.2f and %.2f.", minMetafile_,
                      maxMetafile_);
        MessageBoxA(rec_ ? rec_->hWnd : 0, message, "", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    metafileWidth_ = v;
    return true;
}

int CopySettingsModel::BitmapLeft(const std::string &s)
{
    double v = 0;
    if (!ParseSettingNumber(s, &v) || v < kMinBitmapWidth || v > MaxBitmapWidth() || v != std::floor(v)) {
        const std::string message = "Please enter an integer between " + std::to_string(kMinBitmapWidth) +
                                    " and " + std::to_string(MaxBitmapWidth()) + ".";
        MessageBoxA(rec_ ? rec_->hWnd : 0, message.c_str(), "", MB_OK | MB_ICONINFORMATION);
        return bitmapWidth_;
    }
    const int width = int(v);
    if (width > kLargeBitmapWidth && warningArmed_) {
        warningArmed_ = false;
        const std::string warning = text(791, "Warning! You set bitmap dimensions to very large value.\n");
        if (width > previousWidth_) {
            const std::string question = warning + text(792, "Are you sure this is correct value ?\n");
            if (MessageBoxA(rec_ ? rec_->hWnd : 0, question.c_str(), text(790, "Warning !").c_str(),
                            MB_YESNO | MB_ICONQUESTION) == IDNO) {
                bitmapWidth_ = previousWidth_;
                return bitmapWidth_;
            }
        } else {
            MessageBoxA(rec_ ? rec_->hWnd : 0, warning.c_str(), text(790, "Warning !").c_str(),
                        MB_OK | MB_ICONINFORMATION);
        }
    }
    bitmapWidth_ = previousWidth_ = width;
    return bitmapWidth_;
}

void CopySettingsModel::Apply()
{
    if (bitmapWidth_ > kLargeBitmapWidth && warningArmed_) {
        warningArmed_ = false;
        MessageBoxA(rec_ ? rec_->hWnd : 0,
                    text(791, "Warning! You set bitmap dimensions to very large value.\n").c_str(),
                    text(790, "Warning !").c_str(), MB_OK | MB_ICONINFORMATION);
    }
    const SettingsRegKey *key = rec_ ? rec_->settingsKey : nullptr;
    const double cm = inches_ ? metafileWidth_ * 2.54 : metafileWidth_;
    char number[64];
    std::snprintf(number, sizeof number, "%d", bitmapWidth_);
    SettingsStringSet(key, kSection, kBitmapValue, number);
    std::snprintf(number, sizeof number, "%f", cm);
    SettingsStringSet(key, kSection, kMetafileValue, number);
}
