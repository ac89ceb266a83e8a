#include "control/variant_values.h"

#include <cstdio>

namespace {

// One level of VARIANT-by-reference unwrapped; null for a reference to nothing.
const VARIANT *Unwrap(const VARIANT &value)
{
    if (value.vt == (VT_BYREF | VT_VARIANT))
        return value.pvarVal;
    return &value;
}

} // namespace

Variant VariantSetString(const std::string &text) { return VariantFromString(text.empty() ? " " : text); }

int VariantGetString(const VARIANT &value, std::string *out)
{
    const VARIANT *v = Unwrap(value);
    if (!v || !out)
        return 0;
    if (v->vt == VT_BSTR) {
        *out = BstrToWindows1252(v->bstrVal);
        return 1;
    }
    if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal) {
        *out = BstrToWindows1252(*v->pbstrVal);
        return 1;
    }
    return 0;
}

int VariantGetLong(const VARIANT &value, int32_t *out)
{
    const VARIANT *v = Unwrap(value);
    if (!v || !out)
        return 0;
    switch (v->vt) {
    case VT_I2:
        *out = v->iVal;
        return 1;
    case VT_BYREF | VT_I2:
        if (!v->piVal)
            return 0;
        *out = *v->piVal;
        return 1;
    case VT_I4:
        *out = v->lVal;
        return 1;
    case VT_BYREF | VT_I4:
        if (!v->plVal)
            return 0;
        *out = *v->plVal;
        return 1;
    case VT_BSTR:
    case VT_BYREF | VT_BSTR: {
        if (v->vt != VT_BSTR && !v->pbstrVal)
            return 0;
        const std::string text = BstrToWindows1252(v->vt == VT_BSTR ? v->bstrVal : *v->pbstrVal);
        int number = 0;
        if (std::sscanf(text.c_str(), "%d", &number) != 1)
            return 0;
        *out = number;
        return 1;
    }
    default:
        return 0;
    }
}
