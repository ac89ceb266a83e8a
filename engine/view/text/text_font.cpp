#include "engine/kernel/window_record.h"
#include "engine/view/text/text_internal.h"
#include "platform/gdi_objects.h"

#include <cstring>

namespace {

bool sameFont(const LOGFONTA &a, const LOGFONTA &b)
{
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

// The height in pixels the text is drawn at in the window.
int32_t displayHeight(HWND window, const TextObjectData &d)
{
    if (d.flags & TEXT_LOCK_SCREEN)
        return d.size;
    if (d.flags & TEXT_LOCK_MAP)
        return TextHeightToWindow(window, d.mapHeight, TEXT_UNITS_MAP_TO_PIXELS);
    return TextHeightToWindow(window, d.size, TEXT_UNITS_POINTS_TO_PIXELS);
}

} // namespace

LOGFONTA TextObjectFontDescription(const char *record, LONG height)
{
    const TextObjectData d = TextRecordLoad(record);
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfEscapement = d.rotation;
    lf.lfWeight = (d.style & TEXT_STYLE_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (d.style & TEXT_STYLE_ITALIC) ? 1 : 0;
    lf.lfUnderline = (d.style & TEXT_STYLE_UNDERLINE) ? 1 : 0;
    lf.lfStrikeOut = (d.style & TEXT_STYLE_STRIKEOUT) ? 1 : 0;
    lf.lfCharSet = d.charSet;
    // A font takes 31 characters of the face name: a longer one is cut.
    std::memcpy(lf.lfFaceName, d.faceName, strnlen(d.faceName, LF_FACESIZE - 1));
    return lf;
}

HFONT TextObjectFontGet(HWND window, const char *record)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !record)
        return 0;
    const int32_t height = displayHeight(window, TextRecordLoad(record));
    if (height < 3)
        return 0;
    const LOGFONTA wanted = TextObjectFontDescription(record, height);
    if (rec->textFont) {
        LOGFONTA cached{};
        if (GetObjectA(rec->textFont, sizeof cached, &cached) == int(sizeof cached) &&
            sameFont(cached, wanted))
            return rec->textFont;
        DeleteObject(rec->textFont);
        rec->textFont = 0;
    }
    rec->textFont = CreateFontIndirectA(&wanted);
    return rec->textFont;
}
