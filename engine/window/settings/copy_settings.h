// The Copy page of the engine settings: how large the map is rendered when
// it is copied to the clipboard, as a bitmap (a width in pixels) and as a
// vector picture (a width in centimetres or inches). The values live in the
// "Settings" section of the window's settings key, always in centimetres.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <string>

struct _WNDRES;

class CopySettingsModel {
public:
    static constexpr int kDialogId = 161;
    static constexpr int kDefaultBitmapWidth = 1000;
    static constexpr int kMinBitmapWidth = 100;
    static constexpr double kDefaultMetafileWidth = 10.0;
    static constexpr double kMinMetafileCm = 1.0, kMaxMetafileCm = 400.0;
    // Widths above this ask before they are kept.
    static constexpr int kLargeBitmapWidth = 3000;

    // The widest square bitmap that the image memory takes: the copy of a
    // larger one could never be made, so the page refuses it.
    static int MaxBitmapWidth();

    // Reads the stored values (defaults for missing or unusable ones), the
    // screen's width and the default printer's page width in pixels.
    explicit CopySettingsModel(const _WNDRES *rec);

    int bitmapWidth() const { return bitmapWidth_; }
    double metafileWidth() const { return metafileWidth_; }
    bool inches() const { return inches_; }
    double minMetafile() const { return minMetafile_; }
    double maxMetafile() const { return maxMetafile_; }
    std::string unitLabel() const;
    int screenWidth() const { return screenWidth_; }
    int printerWidth() const { return printerWidth_; }
    // The page's note on the largest bitmap width.
    std::string limitText() const;

    // The unit radios; choosing the unit in use does nothing.
    void SetInches(bool inches);
    // The vector picture's box was left: false (value kept) when the text is
    // no number or lies outside the limits of the unit.
    bool SetMetafileWidth(const std::string &text);
    // The bitmap box was edited: arms the large-width warning.
    void BitmapEdited() { warningArmed_ = true; }
    // The bitmap box was left with this text. A width outside 100 to the
    // largest is refused with a message and the previous one kept; a large
    // new width asks (a no keeps the previous one) or informs, once per edit.
    // Returns the width now shown.
    int BitmapLeft(const std::string &text);
    // OK or Apply: informs once of a large width still unconfirmed, then
    // writes both values.
    void Apply();

private:
    const _WNDRES *rec_;
    int bitmapWidth_ = kDefaultBitmapWidth;
    int previousWidth_ = kDefaultBitmapWidth;
    bool warningArmed_ = false;
    double metafileWidth_ = kDefaultMetafileWidth;
    bool inches_ = false;
    double minMetafile_ = kMinMetafileCm, maxMetafile_ = kMaxMetafileCm;
    int screenWidth_ = 0, printerWidth_ = 0;
};
