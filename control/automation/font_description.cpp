#include "control/automation/font_description.h"

#include "platform/automation_creation.h"
#include "platform/std_font.h"

#include <algorithm>
#include <cstring>

namespace {

HRESULT PutById(IDispatch *object, DISPID id, const VARIANT &value)
{
    VARIANT arg = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    return object->Invoke(id, DISPATCH_PROPERTYPUT, params, nullptr, nullptr, nullptr);
}

bool GetById(IDispatch *object, DISPID id, VARTYPE type, Variant *out)
{
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    Variant raw;
    if (FAILED(object->Invoke(id, DISPATCH_PROPERTYGET, params, &raw, nullptr, nullptr)))
        return false;
    return SUCCEEDED(VariantChangeType(out, &raw, VARIANT_NOVALUEPROP, type));
}

} // namespace

bool WriteFontObject(IDispatch *font, const FontDescription &d)
{
    if (!font)
        return false;
    Variant size;
    size.vt = VT_CY;
    size.cyVal.int64 = int64_t(d.size) * 10000;
    const bool ok =
        SUCCEEDED(PutById(font, DISPID_FONT_NAME, VariantFromString(d.face))) &&
        SUCCEEDED(PutById(font, DISPID_FONT_BOLD, VariantFromBool(d.style & kFontStyleBold))) &&
        SUCCEEDED(PutById(font, DISPID_FONT_ITALIC, VariantFromBool(d.style & kFontStyleItalic))) &&
        SUCCEEDED(PutById(font, DISPID_FONT_UNDER, VariantFromBool(d.style & kFontStyleUnderline))) &&
        SUCCEEDED(PutById(font, DISPID_FONT_STRIKE, VariantFromBool(d.style & kFontStyleStrikethrough))) &&
        SUCCEEDED(PutById(font, DISPID_FONT_SIZE, size)) &&
        SUCCEEDED(PutById(font, DISPID_FONT_CHARSET, VariantFromShort(d.charSet)));
    return ok;
}

IDispatch *FontObjectFromDescription(const FontDescription &description)
{
    IDispatch *font = nullptr;
    if (FAILED(CreateObject(kStdFontProgId, IDispatch::kIid, reinterpret_cast<void **>(&font))) || !font)
        return nullptr;
    WriteFontObject(font, description);
    return font;
}

bool ReadFontObject(IDispatch *font, FontDescription *description)
{
    if (!font || !description)
        return false;
    Variant name, size, bold, italic, underline, strike, charSet;
    if (!GetById(font, DISPID_FONT_NAME, VT_BSTR, &name) || !GetById(font, DISPID_FONT_SIZE, VT_CY, &size) ||
        !GetById(font, DISPID_FONT_BOLD, VT_BOOL, &bold) ||
        !GetById(font, DISPID_FONT_ITALIC, VT_BOOL, &italic) ||
        !GetById(font, DISPID_FONT_UNDER, VT_BOOL, &underline) ||
        !GetById(font, DISPID_FONT_STRIKE, VT_BOOL, &strike) ||
        !GetById(font, DISPID_FONT_CHARSET, VT_I2, &charSet))
        return false;
    // Whole points, 0.8 and more rounding up; sizes beyond a long saturate.
    const int64_t cy = size.cyVal.int64;
    const int64_t points = cy > INT64_MAX - 2000 ? INT64_MAX / 10000 : (cy + 2000) / 10000;
    description->size = int32_t(std::clamp<int64_t>(points, INT32_MIN, INT32_MAX));
    description->face = BstrToWindows1252(name.bstrVal);
    description->style = uint16_t(
        (bold.boolVal ? kFontStyleBold : 0) | (italic.boolVal ? kFontStyleItalic : 0) |
        (underline.boolVal ? kFontStyleUnderline : 0) | (strike.boolVal ? kFontStyleStrikethrough : 0));
    description->charSet = charSet.iVal;
    return true;
}

int FontMapToOle(IDispatch *font, const char *face, int32_t size, uint16_t style, int16_t charSet)
{
    return WriteFontObject(font, {size, face ? face : "", style, charSet}) ? 1 : 0;
}

int FontOleToMap(IDispatch *font, char *face, uint32_t faceSize, int32_t *size, uint16_t *style,
                 int16_t *charSet)
{
    FontDescription d;
    if (!ReadFontObject(font, &d))
        return 0;
    if (face && faceSize > 0) {
        const size_t n = std::min<size_t>(d.face.size(), faceSize - 1);
        std::memcpy(face, d.face.data(), n);
        face[n] = 0;
    }
    if (size)
        *size = d.size;
    if (style)
        *style = d.style;
    if (charSet)
        *charSet = d.charSet;
    return 1;
}
