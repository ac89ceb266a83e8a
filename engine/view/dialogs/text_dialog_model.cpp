#include "engine/view/dialogs/text_dialog_model.h"

#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "platform/clipboard.h"
#include "platform/global_memory.h"
#include "platform/registry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char *kSection = "Text";

const SettingsRegKey *settingsOf(HWND window)
{
    const _WNDRES *rec = GetWndRes(window);
    return rec ? rec->settingsKey : nullptr;
}

// The section's key under the window's settings path.
std::string sectionPath(const SettingsRegKey &key) { return key.path + "\\" + kSection; }

} // namespace

void SetLogFontFace(LOGFONTA &font, std::string_view face)
{
    const size_t n = std::min(face.size(), sizeof font.lfFaceName - 1);
    std::memcpy(font.lfFaceName, face.data(), n);
    font.lfFaceName[n] = 0;
}

int TextStyleFromFont(const LOGFONTA &font)
{
    int style = font.lfWeight == FW_BOLD ? 2 : 0;
    if (font.lfItalic)
        style = style ? 6 : 4;
    if (font.lfUnderline)
        style |= 8;
    if (font.lfStrikeOut)
        style |= 16;
    return style;
}

void FontFromTextStyle(LOGFONTA &font, int style)
{
    font.lfWeight = (style & 2) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style & 4) ? 1 : 0;
    font.lfUnderline = (style & 8) ? 1 : 0;
    font.lfStrikeOut = (style & 16) ? 1 : 0;
}

LONG FontHeightFromPoints(LONG points, int dpi) { return -LONG(int64_t(points) * dpi / 72); }

LONG FontPointsFromHeight(LONG height, int dpi)
{
    if (dpi <= 0)
        return 0;
    return LONG(double(height) * -72.0 / dpi + 0.5);
}

std::string RtfFaceName(const char *text, size_t length)
{
    const std::string_view all(text ? text : "", text ? length : 0);
    const std::string_view rtf = all.substr(0, all.find('\0'));
    const size_t word = rtf.find("fcharset");
    if (word == std::string_view::npos)
        return "Arial";
    const size_t blank = rtf.find(' ', word);
    if (blank == std::string_view::npos)
        return "Arial"; // no name follows

    const size_t end = rtf.find(";}", blank + 1);
    return std::string(
        rtf.substr(blank + 1, end == std::string_view::npos ? std::string_view::npos : end - blank - 1));
}

TextDlgData TextDefaultsRead(HWND window, uint16_t *flags)
{
    TextDlgData d;
    int colour = 0, size = 12, bold = 0, italic = 0, format = 0;
    std::string face = "Arial";
    if (const SettingsRegKey *key = settingsOf(window)) {
        std::string stored;
        if (SettingsStringGet(key, kSection, "FaceName", nullptr, 0, &stored) && !stored.empty())
            face = stored;
        key->GetValue(kSection, "Size", &size, 0);
        key->GetValue(kSection, "Bold", &bold, 0);
        key->GetValue(kSection, "Italic", &italic, 0);
        key->GetValue(kSection, "Color", &colour, 0);
        key->GetValue(kSection, "Format", &format, 0);
    }
    SetLogFontFace(d.font, face);
    d.font.lfHeight = size;
    d.font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    d.font.lfItalic = italic ? 1 : 0;
    d.colour = COLORREF(colour);
    d.ownColour = colour != -1 ? 1 : 0;
    if (flags)
        *flags = uint16_t(format);
    return d;
}

void TextDefaultsWrite(HWND window, const TextDlgData &data, uint16_t flags)
{
    const SettingsRegKey *key = settingsOf(window);
    if (!key)
        return;
    HKEY section = 0;
    if (RegCreateKeyExA(key->root, sectionPath(*key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &section, nullptr) == ERROR_SUCCESS) {
        const char *face = data.font.lfFaceName;
        RegSetValueExA(section, "FaceName", 0, REG_SZ, reinterpret_cast<const BYTE *>(face),
                       DWORD(strnlen(face, sizeof data.font.lfFaceName) + 1));
        RegCloseKey(section);
    }
    const int style = TextStyleFromFont(data.font);
    const int size = data.font.lfHeight;
    const int bold = (style & 2) ? 1 : 0;
    const int italic = (style & 4) ? 1 : 0;
    const int colour = data.ownColour ? int(data.colour) : -1;
    const int format = flags;
    key->SetValue(kSection, "Size", &size, 0);
    key->SetValue(kSection, "Bold", &bold, 0);
    key->SetValue(kSection, "Italic", &italic, 0);
    key->SetValue(kSection, "Color", &colour, 0);
    key->SetValue(kSection, "Format", &format, 0);
}

// ---------------------------------------------------------------------------

int TextDialogModel::HorzIndex() const { return (flags & 2) ? 2 : (flags & 1); }

int TextDialogModel::VertIndex() const { return (flags & 8) ? 2 : ((flags & 4) ? 1 : 0); }

int TextDialogModel::LockIndex() const { return (flags & 0x20) ? 2 : ((flags & 0x10) ? 1 : 0); }

void TextDialogModel::Accept(const std::string &newText, int horz, int vert, int lock,
                             const std::string &xText, const std::string &yText)
{
    text = newText.substr(0, kTextDialogMaxText);
    uint16_t f = 0;
    f |= horz == 1 ? 1 : horz == 2 ? 2 : 0;
    f |= vert == 1 ? 4 : vert == 2 ? 8 : 0;
    f |= lock == 1 ? 0x10 : lock == 2 ? 0x20 : 0;
    flags = f;
    // The fields are read through 32-character buffers.
    data.x = int32_t(std::atol(xText.substr(0, 31).c_str()));
    data.y = int32_t(std::atol(yText.substr(0, 31).c_str()));
}

std::string TextDialogModel::FontLabel() const
{
    char size[24];
    std::snprintf(size, sizeof size, " %d pt", int(data.font.lfHeight));
    return std::string(data.font.lfFaceName, strnlen(data.font.lfFaceName, sizeof data.font.lfFaceName)) +
           size;
}

LOGFONTA TextDialogModel::FontForDialog(int dpi) const
{
    LOGFONTA f = data.font;
    f.lfHeight = FontHeightFromPoints(data.font.lfHeight, dpi);
    return f;
}

void TextDialogModel::FontDialogClosed(const LOGFONTA &font, bool ok, COLORREF colour, int ownColour, int dpi)
{
    data.font = font;
    data.font.lfFaceName[sizeof data.font.lfFaceName - 1] = 0;
    data.font.lfHeight = FontPointsFromHeight(font.lfHeight, dpi);
    if (!ok)
        return;
    data.colour = colour;
    data.ownColour = ownColour;
    changeMask |= TEXTDLG_FONT;
}

void TextDialogModel::OrientationConfirmed(int degrees)
{
    data.font.lfEscapement = degrees * 10;
    changeMask |= TEXTDLG_ROTATION;
}

bool TextDialogModel::TakeClipboardFace(HWND owner)
{
    if (!OpenClipboard(owner))
        return false;
    const UINT rtf = RegisterClipboardFormatA("Rich Text Format");
    bool read = false;
    if (IsClipboardFormatAvailable(rtf)) {
        if (const HGLOBAL h = GetClipboardData(rtf)) {
            const char *p = static_cast<const char *>(GlobalLock(h));
            if (p) {
                SetLogFontFace(data.font, RtfFaceName(p, GlobalSize(h)));
                read = true;
            }
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return read;
}
