#include "platform/automation_variant.h"

#include "platform/automation_dispatch.h"

#include <QString>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <limits>

namespace {

bool KnownBaseType(VARTYPE t)
{
    switch (t) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
        return true;
    default:
        return false;
    }
}

bool KnownType(VARTYPE vt)
{
    if (vt & VT_BYREF) {
        const VARTYPE base = vt & VT_TYPEMASK;
        return base == VT_VARIANT || (KnownBaseType(base) && base != VT_EMPTY && base != VT_NULL);
    }
    return (vt & ~VT_TYPEMASK) == 0 && KnownBaseType(vt);
}

// The value a by-reference VARIANT points at, as a by-value VARIANT that
// shares (does not own) its string and object. Null for a null reference.
const VARIANT *Deref(const VARIANT *src, VARIANT *scratch)
{
    if (!(src->vt & VT_BYREF))
        return src;
    if (!src->pvarVal)
        return nullptr;
    const VARTYPE base = src->vt & VT_TYPEMASK;
    if (base == VT_VARIANT) {
        const VARIANT *inner = src->pvarVal;
        return inner->vt == (VT_BYREF | VT_VARIANT) ? nullptr : Deref(inner, scratch); // one level only
    }
    VariantInit(scratch);
    scratch->vt = base;
    switch (base) {
    case VT_I2:
        scratch->iVal = *src->piVal;
        break;
    case VT_I4:
        scratch->lVal = *src->plVal;
        break;
    case VT_R4:
        scratch->fltVal = *src->pfltVal;
        break;
    case VT_R8:
        scratch->dblVal = *src->pdblVal;
        break;
    case VT_CY:
        scratch->cyVal = *src->pcyVal;
        break;
    case VT_BSTR:
        scratch->bstrVal = *src->pbstrVal;
        break;
    case VT_DISPATCH:
        scratch->pdispVal = *src->ppdispVal;
        break;
    case VT_ERROR:
        scratch->scode = *src->pscode;
        break;
    case VT_BOOL:
        scratch->boolVal = *src->pboolVal;
        break;
    case VT_UNKNOWN:
        scratch->punkVal = *src->ppunkVal;
        break;
    default:
        return nullptr;
    }
    return scratch;
}

// Rounds half to even, as the standard coercions do.
double RoundEven(double x)
{
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(x);
    std::fesetround(mode);
    return r;
}

HRESULT ToInteger(double x, double lo, double hi, int64_t *out)
{
    if (std::isnan(x))
        return DISP_E_OVERFLOW;
    const double r = RoundEven(x);
    if (r < lo || r > hi)
        return DISP_E_OVERFLOW;
    *out = int64_t(r);
    return S_OK;
}

// Currency to a double, and an integer of ten-thousandths from a double.
double CyToDouble(CY c) { return double(c.int64) / 10000.0; }

HRESULT CyFromDouble(double x, CY *out)
{
    const double scaled = RoundEven(x * 10000.0);
    if (std::isnan(scaled) || scaled < -9.2233720368547758e18 || scaled >= 9.2233720368547758e18)
        return DISP_E_OVERFLOW;
    out->int64 = int64_t(scaled);
    return S_OK;
}

// A number read from text: surrounding blanks allowed, '.' as the decimal
// sign, an exponent allowed.
HRESULT ParseNumber(BSTR s, double *out)
{
    const QString text = BstrToQString(s).trimmed();
    if (text.isEmpty())
        return DISP_E_TYPEMISMATCH;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok)
        return std::isinf(v) ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
    *out = v;
    return S_OK;
}

QString FormatReal(double v, int digits)
{
    QString s = QString::number(v, 'g', digits);
    s.replace(QLatin1Char('e'), QLatin1Char('E'));
    return s;
}

QString FormatCurrency(CY c)
{
    const bool negative = c.int64 < 0;
    const uint64_t mag = negative ? uint64_t(0) - uint64_t(c.int64) : uint64_t(c.int64);
    QString s = QString::number(mag / 10000);
    uint64_t frac = mag % 10000;
    if (frac) {
        QString f = QString::number(frac).rightJustified(4, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        s += QLatin1Char('.') + f;
    }
    return negative ? QLatin1Char('-') + s : s;
}

// The numeric value of a by-value number, boolean or empty VARIANT.
bool AsDouble(const VARIANT *v, double *out)
{
    switch (v->vt) {
    case VT_EMPTY:
        *out = 0;
        return true;
    case VT_I2:
        *out = v->iVal;
        return true;
    case VT_I4:
        *out = v->lVal;
        return true;
    case VT_R4:
        *out = v->fltVal;
        return true;
    case VT_R8:
        *out = v->dblVal;
        return true;
    case VT_CY:
        *out = CyToDouble(v->cyVal);
        return true;
    case VT_BOOL:
        *out = v->boolVal ? -1 : 0;
        return true;
    default:
        return false;
    }
}

// Conversion of a by-value source into an EMPTY result.
HRESULT Convert(VARIANT *res, const VARIANT *src, uint16_t flags, VARTYPE vt)
{
    if (src->vt == vt)
        return VariantCopy(res, src);
    if (vt == VT_EMPTY) {
        return S_OK;
    }
    if (src->vt == VT_NULL || vt == VT_NULL || vt == VT_ERROR || src->vt == VT_ERROR)
        return DISP_E_TYPEMISMATCH;

    // Objects: between their two interfaces, or to a value through the
    // default member.
    if (src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) {
        IUnknown *object = src->vt == VT_DISPATCH ? src->pdispVal : src->punkVal;
        if (vt == VT_UNKNOWN) {
            res->vt = VT_UNKNOWN;
            res->punkVal = object;
            if (object)
                object->AddRef();
            return S_OK;
        }
        if (!object && vt == VT_DISPATCH) { // nothing, as the other kind of object
            res->vt = VT_DISPATCH;
            res->pdispVal = nullptr;
            return S_OK;
        }
        if (!object)
            return DISP_E_TYPEMISMATCH;
        if (vt == VT_DISPATCH) {
            void *d = nullptr;
            if (FAILED(object->QueryInterface(IDispatch::kIid, &d)))
                return DISP_E_TYPEMISMATCH;
            res->vt = VT_DISPATCH;
            res->pdispVal = static_cast<IDispatch *>(d);
            return S_OK;
        }
        if ((flags & VARIANT_NOVALUEPROP) || src->vt != VT_DISPATCH)
            return DISP_E_TYPEMISMATCH;
        DISPPARAMS none{};
        Variant value;
        if (FAILED(
                src->pdispVal->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &value, nullptr, nullptr)) ||
            value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN)
            return DISP_E_TYPEMISMATCH;
        return Convert(res, &value, flags, vt);
    }
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN)
        return DISP_E_TYPEMISMATCH;

    if (vt == VT_BSTR) {
        QString text;
        double d = 0;
        if (src->vt == VT_BOOL && (flags & VARIANT_ALPHABOOL))
            text = src->boolVal ? QStringLiteral("True") : QStringLiteral("False");
        else if (src->vt == VT_R4)
            text = FormatReal(src->fltVal, 7);
        else if (src->vt == VT_CY)
            text = FormatCurrency(src->cyVal);
        else if (src->vt == VT_I2 || src->vt == VT_I4 || src->vt == VT_BOOL)
            text = QString::number(AsDouble(src, &d) ? int64_t(d) : 0);
        else if (src->vt == VT_R8)
            text = FormatReal(src->dblVal, 15);
        else if (src->vt != VT_EMPTY)
            return DISP_E_TYPEMISMATCH;
        BSTR s = BstrFromQString(text);
        if (!s)
            return E_OUTOFMEMORY;
        res->vt = VT_BSTR;
        res->bstrVal = s;
        return S_OK;
    }

    double d = 0;
    if (src->vt == VT_BSTR) {
        if (vt == VT_BOOL) {
            const QString text = BstrToQString(src->bstrVal).trimmed();
            if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
                res->vt = VT_BOOL;
                res->boolVal = VARIANT_TRUE;
                return S_OK;
            }
            if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
                res->vt = VT_BOOL;
                res->boolVal = VARIANT_FALSE;
                return S_OK;
            }
        }
        if (HRESULT hr = ParseNumber(src->bstrVal, &d); FAILED(hr))
            return hr;
    } else if (!AsDouble(src, &d)) {
        return DISP_E_TYPEMISMATCH;
    }

    int64_t n = 0;
    switch (vt) {
    case VT_I2:
        if (HRESULT hr = ToInteger(d, INT16_MIN, INT16_MAX, &n); FAILED(hr))
            return hr;
        res->iVal = int16_t(n);
        break;
    case VT_I4:
        if (HRESULT hr = ToInteger(d, INT32_MIN, INT32_MAX, &n); FAILED(hr))
            return hr;
        res->lVal = int32_t(n);
        break;
    case VT_R4:
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX)
            return DISP_E_OVERFLOW;
        res->fltVal = float(d);
        break;
    case VT_R8:
        res->dblVal = d;
        break;
    case VT_CY:
        if (HRESULT hr = CyFromDouble(d, &res->cyVal); FAILED(hr))
            return hr;
        if (src->vt == VT_I4 || src->vt == VT_I2) // exact, whatever the double's precision
            res->cyVal.int64 = int64_t(src->vt == VT_I4 ? src->lVal : src->iVal) * 10000;
        break;
    case VT_BOOL:
        res->boolVal = d != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    default:
        return DISP_E_BADVARTYPE;
    }
    res->vt = vt;
    return S_OK;
}

} // namespace

bool VariantTypeIsValid(VARTYPE vt) { return KnownType(vt); }

void VariantInit(VARIANT *v)
{
    v->vt = VT_EMPTY;
    v->reserved1 = v->reserved2 = v->reserved3 = 0;
    v->cyVal.int64 = 0;
}

HRESULT VariantClear(VARIANT *v)
{
    if (!v)
        return E_INVALIDARG;
    if (!KnownType(v->vt))
        return DISP_E_BADVARTYPE;
    if (v->vt == VT_BSTR)
        SysFreeString(v->bstrVal);
    else if (v->vt == VT_DISPATCH && v->pdispVal)
        v->pdispVal->Release();
    else if (v->vt == VT_UNKNOWN && v->punkVal)
        v->punkVal->Release();
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT *dest, const VARIANT *src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!KnownType(src->vt))
        return DISP_E_BADVARTYPE;
    if (dest == src)
        return S_OK;
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (!copy.bstrVal)
            return E_OUTOFMEMORY;
    } else if (src->vt == VT_DISPATCH && src->pdispVal) {
        src->pdispVal->AddRef();
    } else if (src->vt == VT_UNKNOWN && src->punkVal) {
        src->punkVal->AddRef();
    }
    if (HRESULT hr = VariantClear(dest); FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT *dest, const VARIANT *src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!KnownType(src->vt))
        return DISP_E_BADVARTYPE;
    VARIANT scratch;
    const VARIANT *value = Deref(src, &scratch);
    if (!value)
        return E_INVALIDARG;
    Variant copy;
    if (HRESULT hr = VariantCopy(&copy, value); FAILED(hr))
        return hr;
    if (HRESULT hr = VariantClear(dest); FAILED(hr))
        return hr;
    *dest = copy;
    VariantInit(&copy);
    return S_OK;
}

HRESULT VariantChangeType(VARIANT *dest, const VARIANT *src, uint16_t flags, VARTYPE vt)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!KnownType(src->vt) || !KnownType(dest->vt) || (vt & VT_BYREF) || !KnownBaseType(vt))
        return DISP_E_BADVARTYPE;
    VARIANT scratch;
    const VARIANT *value = Deref(src, &scratch);
    if (!value)
        return E_INVALIDARG;
    Variant result;
    if (HRESULT hr = Convert(&result, value, flags, vt); FAILED(hr))
        return hr;
    VariantClear(dest);
    *dest = result;
    VariantInit(&result);
    return S_OK;
}

Variant VariantFromLong(int32_t value)
{
    Variant v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

Variant VariantFromShort(int16_t value)
{
    Variant v;
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

Variant VariantFromDouble(double value)
{
    Variant v;
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

Variant VariantFromBool(bool value)
{
    Variant v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant VariantFromString(std::string_view text)
{
    Variant v;
    v.bstrVal = BstrFromWindows1252(text);
    if (v.bstrVal)
        v.vt = VT_BSTR;
    return v;
}

Variant VariantFromDispatch(IDispatch *object)
{
    Variant v;
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    if (object)
        object->AddRef();
    return v;
}

VARIANT VariantRefTo(VARIANT *target)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = target;
    return v;
}
