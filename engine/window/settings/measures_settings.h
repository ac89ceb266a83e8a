// The Measures page (dialog 5558) of the engine settings: the units of
// areas and lengths, the MGRS zone and digits, and the screen's size that
// scales map to screen. The screen size is shown in centimetres or inches
// by the user's measure setting and stored in millimetres.
#pragma once

#include <string>
#include <vector>

struct _WNDRES;

class MeasuresSettingsModel {
public:
    static constexpr int kDialogId = 5558;

    struct Unit {
        int id;
        std::string name;
    };

    // Fills the unit lists from the unit table, reads the MGRS values into
    // the record (out-of-range ones give zone 32 and 3 digits) and the
    // stored screen size into the display view.
    explicit MeasuresSettingsModel(_WNDRES *rec);

    std::vector<Unit> areaUnits, lengthUnits;
    int areaUnit = 0, lengthUnit = 0;
    int zone = 32;  // 1..71
    int digits = 3; // 1..5

    bool centimetres() const { return centimetres_; }
    std::string sizeUnitLabel() const { return centimetres_ ? "cm." : "in."; }
    double sizeX() const { return sizeX_; }
    double sizeY() const { return sizeY_; }
    double minSize() const { return minSize_; }
    double maxSize() const { return maxSize_; }
    // A size box was left: the value stays only within the limits; false
    // (previous value kept) otherwise.
    bool SetSizeX(const std::string &text) { return setSize(text, &sizeX_); }
    bool SetSizeY(const std::string &text) { return setSize(text, &sizeY_); }

    // Writes the units, the MGRS values and the screen size, and gives them
    // to the record and its display view; the sizes shown are read back.
    void Apply();

private:
    bool setSize(const std::string &text, double *size);
    void showSize();

    _WNDRES *rec_;
    bool centimetres_ = false;
    double sizeX_ = 0, sizeY_ = 0, minSize_ = 0, maxSize_ = 0;
};
