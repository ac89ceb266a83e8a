// The Buffering dialog: the size, circle segments, endings and corners of a
// buffer run, shown with the last used values and stored back on OK. The
// calculation type, the mitre factor and the switch for both sides of
// polygons are never shown; they come from the stored settings only.
// CBufferingDlg holds the values and the logic; DoModal builds the dialog
// over it.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <string>

struct _WNDRES;

inline constexpr int kBufferingDialogId = 167;
inline constexpr int kBufferingHelpId = 1072;
inline constexpr int kBufferingEndingsBoxId = 1176;
inline constexpr int kBufferingEndingNoId = 1177;
inline constexpr int kBufferingEndingSquaredId = 1178;
inline constexpr int kBufferingEndingRoundedId = 1179;
inline constexpr int kBufferingCornerSharpId = 1180;
inline constexpr int kBufferingCornerRoundedId = 1181;
inline constexpr int kBufferingSizeLabelId = 1182;
inline constexpr int kBufferingSegmentsId = 1183;
inline constexpr int kBufferingSizeId = 1184;
inline constexpr int kBufferingCornersBoxId = 1185;
inline constexpr int kBufferingSegmentsLabelId = 1186;
inline constexpr int kBufferingFastId = 1187;
inline constexpr int kBufferingUnitId = 1188;

inline constexpr int32_t kBufferSizeLimit = 10000000;
inline constexpr int32_t kBufferSegmentsLimit = 1000;

// The stored settings, values of type REG_DWORD under "Settings".
inline constexpr const char *kBufferingSizeSetting = "Buffering - Buffer size";
inline constexpr const char *kBufferingSegmentsSetting = "Buffering - Circle segments";
inline constexpr const char *kBufferingEndingsSetting = "Buffering - Endings type";
inline constexpr const char *kBufferingCornersSetting = "Buffering - Corners type";
inline constexpr const char *kBufferingCalculationSetting = "Buffering - Calculation type";
// The trailing blank belongs to the name.
inline constexpr const char *kBufferingTimesSetting = "Buffering - Times buffer when lines nearly pararell ";
inline constexpr const char *kBufferingBothSidesSetting = "Buffering - Calculate both side of polygon";

class CBufferingDlg {
public:
    // Keeps the window record, makes the unit text from the view's source
    // unit and loads the settings; fewer than 1 circle segment shows 10.
    void Initialize(_WNDRES *record);
    void LoadSettings();
    void SaveSettings() const;

    // OK with the texts of the size and segments fields: each must be an
    // integer in its range (-10,000,000 to 10,000,000 and 1 to 1000), else
    // its message is shown and false returned with nothing changed. Then the
    // values are taken and all seven settings stored.
    bool OnOK(const std::string &sizeText, const std::string &segmentsText);

    // Shows the dialog over the window; IDOK or IDCANCEL.
    int DoModal(HWND window);

    int32_t calculationType = 0;
    int32_t bufferSize = 10;
    int32_t circleSegments = 10;
    int32_t endingsType = 0;
    int32_t cornersType = 0;
    int32_t sizeEdit = 10;
    int32_t segmentsEdit = 10;
    int32_t times = 15;
    int32_t bothSides = 0;
    std::string unitText = "in meters.";

private:
    _WNDRES *record_ = nullptr;
};

// The integer a field holds: optional blanks around an optional sign and
// digits, within the 32-bit range; false otherwise.
bool ParseDialogInteger(const std::string &text, int32_t *value);
