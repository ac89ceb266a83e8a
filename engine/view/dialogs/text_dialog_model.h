// What the text dialog works on, without a window: the values exchanged
// with the text, font and orientation dialogs, the text defaults kept in
// the registry, the change mask, and the rules that turn list choices,
// font dialog results and rich text from the clipboard into those values.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/font.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The values a text dialog shows and changes. The font's height holds the
// size in points and its escapement the rotation in tenths of a degree.
struct TextDlgData {
    int32_t x = 0, y = 0;
    LOGFONTA font{};
    COLORREF colour = 0;
    int32_t ownColour = 0; // 1 the text's own colour, 0 the layer's
};

// Change mask bits: what the user confirmed or changed.
inline constexpr int TEXTDLG_FONT = 2;
inline constexpr int TEXTDLG_ROTATION = 4;
inline constexpr int TEXTDLG_HORZ = 8;
inline constexpr int TEXTDLG_VERT = 16;
inline constexpr int TEXTDLG_LOCK = 32;
inline constexpr int TEXTDLG_TEXT = 64;

inline constexpr size_t kTextDialogMaxText = 2048;

// Copies a face name into the 32-byte face field: at most 31 characters and
// a terminator, whatever the source.
void SetLogFontFace(LOGFONTA &font, std::string_view face);

// Style bits of a text from a font: 2 bold (weight 700), then 6 or 4 with
// italic, | 8 underline, | 16 strike-out; and back.
int TextStyleFromFont(const LOGFONTA &font);
void FontFromTextStyle(LOGFONTA &font, int style);

// Font heights of the font dialog (negative pixels at dpi) and points.
LONG FontHeightFromPoints(LONG points, int dpi);
LONG FontPointsFromHeight(LONG height, int dpi);

// The face name of the first font entry of rich text: the text from the
// first blank after "fcharset" up to the next ";}", never read beyond the
// given length; "Arial" when there is no "fcharset".
std::string RtfFaceName(const char *text, size_t length);

// The defaults of a new text: colour 0, 12 points, "Arial", plain, flags 0,
// overridden by the values of the "Text" section of the window's settings;
// own colour := (colour != -1). The flags word is returned through flags.
TextDlgData TextDefaultsRead(HWND window, uint16_t *flags);
// Writes the six values after a confirmed dialog.
void TextDefaultsWrite(HWND window, const TextDlgData &data, uint16_t flags);

class TextDialogModel {
public:
    TextDlgData data;
    std::string text;
    uint16_t flags = 0;
    int changeMask = 0;

    // The three lists' selections from the flags word.
    int HorzIndex() const;
    int VertIndex() const;
    int LockIndex() const;
    // A list's selection changed, or the text was edited.
    void HorzChanged() { changeMask |= TEXTDLG_HORZ; }
    void VertChanged() { changeMask |= TEXTDLG_VERT; }
    void LockChanged() { changeMask |= TEXTDLG_LOCK; }
    void TextEdited() { changeMask |= TEXTDLG_TEXT; }
    // OK: the text (cut to 2048 bytes), the flags word rebuilt from the
    // three selections, the anchor read from its two fields as atol does.
    void Accept(const std::string &newText, int horz, int vert, int lock, const std::string &xText,
                const std::string &yText);

    // The font label: the face name and " %d pt" with the size.
    std::string FontLabel() const;

    // The font handed to the font dialog (height in pixels at dpi), and
    // what comes back: the font is taken over whatever the result (its
    // height back in points); colour, own colour and the mask bit only on
    // OK.
    LOGFONTA FontForDialog(int dpi) const;
    void FontDialogClosed(const LOGFONTA &font, bool ok, COLORREF colour, int ownColour, int dpi);

    // The orientation dialog shows whole degrees and stores tenths.
    int OrientationDegrees() const { return data.font.lfEscapement / 10; }
    void OrientationConfirmed(int degrees);

    // The application became active again: the face name of the rich text
    // on the clipboard, when there is some; the label follows either way.
    // True when the clipboard was read.
    bool TakeClipboardFace(HWND owner);
};
