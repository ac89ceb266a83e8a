// The Selection page (dialog 5556) of the engine settings: the look of
// selected lines (colour, style, width and its unit, endings, corners), the
// nodes and cursor switches and the pick radius. Values are REG_DWORDs of
// the "Settings" section; applying them makes the window record read them
// again.
#pragma once

#include "platform/types.h"

#include <cstdint>

struct _WNDRES;

class SelectionSettingsModel {
public:
    static constexpr int kDialogId = 5556;
    static constexpr int kMaxWidth = 32767, kMaxRadius = 10;
    // The radio groups; a value is the chosen radio minus the group's first.
    static constexpr int kPixels = 1039, kUnits = 1043;
    static constexpr int kEndingFirst = 1046, kEndingSecond = 1048;
    static constexpr int kCornerFirst = 1049, kCornerSecond = 1050;

    // Starts from the record's selection look, then takes the stored values
    // that exist.
    explicit SelectionSettingsModel(_WNDRES *rec);

    COLORREF colour = 0;
    int32_t style = 0; // the picker's index + 1; 0 when no style is chosen
    int32_t width = 0;
    int widthRadio = kPixels, endingRadio = kEndingFirst, cornerRadio = kCornerFirst;
    int32_t showNodes = 0, changeCursor = 0;
    int32_t radius = 0;
    bool modified = false;

    // The picker's index (-1: none).
    void SetStyleIndex(int index);
    int StyleIndex() const { return style - 1; }
    // Clamped to the spin ranges.
    void SetWidth(int32_t w);
    void SetRadius(int32_t r);
    // False for a control that is not one of the group's radios.
    bool SetRadio(int id);
    void SetColour(COLORREF c);

    // Writes every value and has the record read them again (repainting the
    // selection when its look changed).
    void Apply() const;

private:
    _WNDRES *rec_;
};
