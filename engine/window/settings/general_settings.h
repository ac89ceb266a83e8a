// The General page (dialog 5555) of the engine settings: what the polygon
// operations delete after they ran, how polylines joined into polygons are
// deleted, and a few switches. Every value is a REG_DWORD of the "Settings"
// section of the window's settings key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct _WNDRES;

struct GeneralSetting {
    int control;           // the check box
    const char *text;      // its caption
    const char *valueName; // its registry value
    int32_t fallback;      // when the value is missing
    bool shown;            // false: hidden and disabled on the page
};

inline constexpr std::array<GeneralSetting, 12> kGeneralSettings{{
    {1028, "&Union", "Delete Polygons After Union", 0, true},
    {1029, "&Intersection", "Delete Polygons After Intersection", 0, true},
    {1171, "&Xor", "Delete Polygons After Xor", 0, true},
    {1032, "&Complement", "Delete First Polygon After Complement", 0, true},
    {1172, "U&nion", "Delete Polygons In Groups After Union", 0, true},
    {1173, "In&tersection", "Delete Polygons In Groups After Intersection", 0, true},
    {1175, "X&or", "Delete Polygons In Groups After Xor", 0, true},
    {1174, "Co&mplement", "Delete Polygons In First Group After Complement", 0, true},
    {1045, "Calculate parts of dividing polygon &area", "Calculate Parts of Dividing Polygon Area", 0, true},
    {1038, "Double-click on object activates default &GIS item", "Double-Click for GIS", 0, false},
    {1046, "Delete objects after cliping", "Delete Objects After Cliping", 1, false},
    {1271, "Load workspace on startup", "LoadWorkspaceOnStartup", 0, true},
}};

class GeneralSettingsModel {
public:
    static constexpr int kDialogId = 5555;
    // The radios of "Delete Polylines After Joining Into Polygons : ".
    static constexpr int kTwoTimesUsed = 1191, kOnceOrMoreUsed = 1192;

    explicit GeneralSettingsModel(const _WNDRES *rec);

    // The check boxes, in the order of kGeneralSettings.
    std::array<int32_t, kGeneralSettings.size()> checks{};
    // The polyline radio: kTwoTimesUsed or kOnceOrMoreUsed.
    int polylineRadio = kTwoTimesUsed;
    bool modified = false;

    void SetCheck(size_t index, bool on);
    void SetPolylineRadio(int radio);
    // Writes every value; the polyline radio as 1 (once or more) or 2.
    void Apply() const;

private:
    const _WNDRES *rec_;
};
