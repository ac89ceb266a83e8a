#include "engine/window/settings/gps_settings.h"

#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "platform/registry.h"
#include "platform/window.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <cstring>

namespace {

constexpr const char *kPortSection = "GPS Settings\\Port";
constexpr const char *kProjectionSection = "GPS Settings\\";
constexpr const char *kMarkerSection = "GPS Settings\\Marker";

// The page keeps its own key object on the engine's path.
const SettingsRegKey &gpsKey()
{
    static const SettingsRegKey key;
    return key;
}

bool getNumber(const char *section, const char *name, int32_t *value)
{
    return gpsKey().GetValue(section, name, value, 0) != 0;
}

void setNumber(const char *section, const char *name, int32_t value)
{
    gpsKey().SetValue(section, name, &value, 0);
}

std::string getText(const char *section, const char *name)
{
    std::string out;
    return SettingsStringGet(&gpsKey(), section, name, nullptr, 0, &out) ? out : std::string();
}

std::string markerKeyPath() { return gpsKey().path + "\\" + kMarkerSection; }

bool caseInsensitivePrefix(const std::string &item, const std::string &text)
{
    if (text.size() > item.size())
        return false;
    return std::equal(text.begin(), text.end(), item.begin(),
                      [](char a, char b) { return std::tolower(uint8_t(a)) == std::tolower(uint8_t(b)); });
}

// The leading number of an item's text ("9600*" is 9600).
int itemInt(const std::vector<std::string> &list, int index)
{
    return index >= 0 && size_t(index) < list.size() ? std::atoi(list[size_t(index)].c_str()) : 0;
}

double itemDouble(const std::vector<std::string> &list, int index)
{
    return index >= 0 && size_t(index) < list.size() ? std::atof(list[size_t(index)].c_str()) : 0;
}

} // namespace

std::vector<std::string> GpsPortDevices()
{
    std::vector<std::string> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices.push_back(info.systemLocation().toStdString());
    std::sort(devices.begin(), devices.end());
    return devices;
}

std::string GpsPortDevice(int number)
{
    const std::vector<std::string> devices = GpsPortDevices();
    return number >= 1 && size_t(number) <= devices.size() ? devices[size_t(number - 1)] : std::string();
}

GpsSettingsModel::GpsSettingsModel(_WNDRES *rec)
    : speeds{"110",   "300",   "600",   "1200",  "2400",   "4800",   "9600*", "19200",
             "28800", "38400", "56000", "57600", "115200", "128000", "256000"},
      stopBits{"1*", "1.5", "2"}, dataBits{"4", "5", "6", "7", "8*"}, parities{"Even", "Mark", "None*", "Odd",
                                                                               "Space"},
      ports(ListPorts()), rec_(rec)
{
}

std::vector<std::string> GpsSettingsModel::ListPorts()
{
    std::vector<std::string> numbers;
    const size_t count = std::min<size_t>(GpsPortDevices().size(), 255);
    for (size_t i = 1; i <= count; ++i)
        numbers.push_back(std::to_string(i));
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

int GpsSettingsModel::SelectString(const std::vector<std::string> &list, const std::string &text)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (caseInsensitivePrefix(list[i], text))
            return int(i);
    return -1;
}

void GpsSettingsModel::LoadSettings()
{
    // A missing value selects the recommended item (the stored values were
    // never written: the receiver's usual settings are the best guess).
    int32_t v = 3;
    getNumber(kPortSection, "Parity", &v);
    parity = v >= 1 && size_t(v) <= parities.size() ? v - 1 : 0;

    v = 1;
    getNumber(kPortSection, "StopBits", &v);
    stop = SelectString(stopBits, v == 2 ? "2" : v == 15 ? "1.5" : "1");

    v = 8;
    getNumber(kPortSection, "Bits", &v);
    bits = SelectString(dataBits, std::to_string(v));
    if (bits < 0)
        bits = 0;

    v = 9600;
    getNumber(kPortSection, "Speed", &v);
    const std::string speedText = std::to_string(v);
    speed = SelectString(speeds, speedText);
    if (speed < 0) {
        speeds.insert(speeds.begin() + 6, speedText);
        speed = 6;
    }

    v = 1;
    getNumber(kPortSection, "Number", &v);
    port = SelectString(ports, std::to_string(v));
    if (port < 0)
        port = ports.empty() ? -1 : 0;

    SetProjection(getText(kProjectionSection, "Projection"));
    fontName = getText(kMarkerSection, "FontName");
    getNumber(kMarkerSection, "FontSize", &fontSize);
    getNumber(kMarkerSection, "FontIsBold", &bold);
    getNumber(kMarkerSection, "FontIsItalic", &italic);
    getNumber(kMarkerSection, "FontIsStrikethrough", &strikethrough);
    getNumber(kMarkerSection, "FontIsUnderline", &underline);

    HKEY key = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, markerKeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        DWORD size = 0;
        if (RegQueryValueExA(key, "LogFont", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
            size <= sizeof logFont) {
            LOGFONTA read{};
            DWORD readSize = sizeof read;
            if (RegQueryValueExA(key, "LogFont", nullptr, nullptr, reinterpret_cast<BYTE *>(&read),
                                 &readSize) == ERROR_SUCCESS)
                std::memcpy(&logFont, &read, readSize);
        }
        RegCloseKey(key);
    }
    symbol = getText(kMarkerSection, "Symbol");
    loaded = true;
}

void GpsSettingsModel::SaveSettings() const
{
    setNumber(kPortSection, "Parity", parity + 1);
    const double stopValue = itemDouble(stopBits, stop);
    if (stopValue == 1.0)
        setNumber(kPortSection, "StopBits", 1);
    else if (stopValue == 1.5)
        setNumber(kPortSection, "StopBits", 15);
    else if (stopValue == 2.0)
        setNumber(kPortSection, "StopBits", 2);
    setNumber(kPortSection, "Bits", itemInt(dataBits, bits));
    setNumber(kPortSection, "Speed", itemInt(speeds, speed));
    setNumber(kPortSection, "Number", itemInt(ports, port));
    if (!projection.empty())
        SettingsStringSet(&gpsKey(), kProjectionSection, "Projection", projection);
    SettingsStringSet(&gpsKey(), kMarkerSection, "FontName", fontName);
    setNumber(kMarkerSection, "FontSize", fontSize);
    setNumber(kMarkerSection, "FontIsBold", bold);
    setNumber(kMarkerSection, "FontIsItalic", italic);
    setNumber(kMarkerSection, "FontIsStrikethrough", strikethrough);
    setNumber(kMarkerSection, "FontIsUnderline", underline);
    HKEY key = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, markerKeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, "LogFont", 0, REG_NONE, reinterpret_cast<const BYTE *>(&logFont), sizeof logFont);
        RegCloseKey(key);
    }
    if (!symbol.empty())
        SettingsStringSet(&gpsKey(), kMarkerSection, "Symbol", symbol);
}

void GpsSettingsModel::FillPortParams(CGPSPortParams *params) const
{
    if (!params)
        return;
    params->port = itemInt(ports, port);
    params->speed = itemInt(speeds, speed);
    params->dataBits = itemInt(dataBits, bits);
    params->stopBits = itemDouble(stopBits, stop);
    static const char *const names[] = {"Even", "Mark", "None", "Odd", "Space"};
    params->parity = parity >= 0 && parity < 5 ? names[parity] : "ERROR";
}

void GpsSettingsModel::StepSymbol(int delta)
{
    const int code = symbol.empty() ? '+' : uint8_t(symbol[0]);
    const int next = ((delta < 1 ? code - 1 : code + 1) % 256 + 256) % 256;
    symbol = next == 0 ? std::string() : std::string(1, char(next));
    modified = true;
}

void GpsSettingsModel::FontChosen(const LOGFONTA &chosen, int pointTenths, int dpi)
{
    logFont = chosen;
    fontName.assign(chosen.lfFaceName, strnlen(chosen.lfFaceName, sizeof chosen.lfFaceName));
    // Whole points to pixels, rounded half away from zero.
    const int64_t points = pointTenths / 10;
    fontSize = int32_t((points * dpi * 2 + 72) / 144);
    bold = chosen.lfWeight > 500 ? 1 : 0;
    italic = chosen.lfItalic ? 1 : 0;
    strikethrough = chosen.lfStrikeOut ? 1 : 0;
    underline = chosen.lfUnderline ? 1 : 0;
    modified = true;
}

void GpsSettingsModel::SetProjection(const std::string &name) { projection = name.substr(0, kProjectionMax); }

LOGFONTA GpsSettingsModel::MarkerFont() const
{
    LOGFONTA f = logFont;
    f.lfHeight = fontSize;
    f.lfWidth = f.lfEscapement = f.lfOrientation = 0;
    std::memset(f.lfFaceName, 0, sizeof f.lfFaceName);
    std::memcpy(f.lfFaceName, fontName.data(), std::min(fontName.size(), kFaceMax));
    return f;
}

void GpsSettingsModel::Apply() const
{
    SaveSettings();
    if (rec_ && rec_->hWnd)
        SendMessage(rec_->hWnd, MAPN_GPSREINIT, 0, 0);
}
