// VARIANT, the tagged value of automation: the types the callers use
// (EMPTY, NULL, I2, I4, R4, R8, CY, BSTR, DISPATCH, ERROR, BOOL, UNKNOWN),
// each also by reference, and a reference to another VARIANT; with the
// standard coercions between them.
#pragma once

#include "platform/automation_bstr.h"
#include "platform/automation_unknown.h"

#include <string>
#include <string_view>

class IDispatch;

using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_NULL = 1;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_R4 = 4;
inline constexpr VARTYPE VT_R8 = 5;
inline constexpr VARTYPE VT_CY = 6;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_DISPATCH = 9;
inline constexpr VARTYPE VT_ERROR = 10;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_VARIANT = 12;
inline constexpr VARTYPE VT_UNKNOWN = 13;
inline constexpr VARTYPE VT_BYREF = 0x4000;
inline constexpr VARTYPE VT_TYPEMASK = 0x0FFF;

// Flags of VariantChangeType.
inline constexpr uint16_t VARIANT_NOVALUEPROP = 0x01; // an object's default value is not asked for
inline constexpr uint16_t VARIANT_ALPHABOOL = 0x02;   // BOOL to text gives "True"/"False", not "-1"/"0"

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHresult(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHresult(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHresult(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHresult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHresult(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = MakeHresult(0x80020007);
inline constexpr HRESULT DISP_E_BADVARTYPE = MakeHresult(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = MakeHresult(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = MakeHresult(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = MakeHresult(0x8002000B);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHresult(0x8002000E);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = MakeHresult(0x8002000F);

// Currency: a 64-bit integer of ten-thousandths.
struct CY {
    int64_t int64;
};

struct VARIANT {
    VARTYPE vt;
    WORD reserved1;
    WORD reserved2;
    WORD reserved3;
    union {
        int16_t iVal;
        int32_t lVal;
        float fltVal;
        double dblVal;
        CY cyVal;
        BSTR bstrVal;
        IDispatch *pdispVal;
        SCODE scode;
        VARIANT_BOOL boolVal;
        IUnknown *punkVal;
        int16_t *piVal;
        int32_t *plVal;
        float *pfltVal;
        double *pdblVal;
        CY *pcyVal;
        BSTR *pbstrVal;
        IDispatch **ppdispVal;
        SCODE *pscode;
        VARIANT_BOOL *pboolVal;
        IUnknown **ppunkVal;
        VARIANT *pvarVal;
    };
};
static_assert(sizeof(VARIANT) == 16 || sizeof(VARIANT) == 8 + sizeof(void *));

// A type this layer knows (by value, by reference, or a reference to a VARIANT).
bool VariantTypeIsValid(VARTYPE vt);
// Makes the VARIANT EMPTY without looking at what it held.
void VariantInit(VARIANT *v);
// Frees what the VARIANT owns (its string, its reference on an object; a
// by-reference value owns nothing) and makes it EMPTY. DISP_E_BADVARTYPE for
// a type not listed above, the VARIANT left as it was.
HRESULT VariantClear(VARIANT *v);
// dest becomes an independent copy of src (a new string, one more reference).
HRESULT VariantCopy(VARIANT *dest, const VARIANT *src);
// Like VariantCopy, a by-reference src copied as the value it refers to.
HRESULT VariantCopyInd(VARIANT *dest, const VARIANT *src);
// Converts src to type vt into dest (dest may be src). Integers from reals
// and currency round half to even; out of range gives DISP_E_OVERFLOW; text
// that is not a number, and any conversion without a rule, gives
// DISP_E_TYPEMISMATCH. Numbers as text use '.' whatever the locale. An object
// converts to a value through its default member (dispid 0) unless
// VARIANT_NOVALUEPROP. On failure dest is left as it was.
HRESULT VariantChangeType(VARIANT *dest, const VARIANT *src, uint16_t flags, VARTYPE vt);

// Owning wrapper that clears its VARIANT when it goes.
class Variant : public VARIANT {
public:
    // As VariantInit, without the call.
    Variant()
    {
        vt = VT_EMPTY;
        reserved1 = reserved2 = reserved3 = 0;
        cyVal.int64 = 0;
    }
    Variant(const Variant &o) : Variant() { VariantCopy(this, &o); }
    explicit Variant(const VARIANT &o) : Variant() { VariantCopy(this, &o); }
    Variant &operator=(const Variant &o)
    {
        if (this != &o)
            VariantCopy(this, &o);
        return *this;
    }
    // Only strings and objects are owned: the other types need no call.
    ~Variant()
    {
        if (vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN)
            VariantClear(this);
    }
};
// Arrays of Variant pass where arrays of VARIANT are read.
static_assert(sizeof(Variant) == sizeof(VARIANT));

// Makers of owned values.
Variant VariantFromLong(int32_t value);
Variant VariantFromShort(int16_t value);
Variant VariantFromDouble(double value);
Variant VariantFromBool(bool value);
// Text in Windows-1252.
Variant VariantFromString(std::string_view text);
// Takes one more reference on the object (null gives a null DISPATCH).
Variant VariantFromDispatch(IDispatch *object);
// A VARIANT that refers to another (VT_BYREF | VT_VARIANT); owns nothing.
VARIANT VariantRefTo(VARIANT *target);
