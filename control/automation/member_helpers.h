// Member-table entries for the plain fields of the automation classes: a
// property that stores and returns one field and does nothing else, and a
// read-only property whose setter accepts and ignores the value.
#pragma once

#include "control/automation/font_description.h"
#include "control/automation/geometry_class_ids.h"
#include "control/krt_geometry.h"
#include "platform/automation_dispatch.h"

#include <cstdint>
#include <string>

namespace automation_members {

template <class T>
T &As(DispatchObject &o)
{
    return static_cast<T &>(o);
}

// A 32-bit field (signed or unsigned) as a long.
template <class T, class F>
MemberInfo Long(const char *name, F T::*field)
{
    static_assert(sizeof(F) == 4);
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_I4,
            .get = [field](DispatchObject &o, MemberCall &c) { c.SetLong(int32_t(As<T>(o).*field)); },
            .put = [field](DispatchObject &o, MemberCall &c) { As<T>(o).*field = F(c.value().lVal); }};
}

template <class T>
MemberInfo Double(const char *name, double T::*field)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_R8,
            .get = [field](DispatchObject &o, MemberCall &c) { c.SetDouble(As<T>(o).*field); },
            .put = [field](DispatchObject &o, MemberCall &c) { As<T>(o).*field = c.value().dblVal; }};
}

template <class T>
MemberInfo Bool(const char *name, bool T::*field)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_BOOL,
            .get = [field](DispatchObject &o, MemberCall &c) { c.SetBool(As<T>(o).*field); },
            .put = [field](DispatchObject &o,
                           MemberCall &c) { As<T>(o).*field = c.value().boolVal != VARIANT_FALSE; }};
}

// A Windows-1252 string field.
template <class T>
MemberInfo String(const char *name, std::string T::*field)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_BSTR,
            .get = [field](DispatchObject &o, MemberCall &c) { c.SetString(As<T>(o).*field); },
            .put = [field](DispatchObject &o,
                           MemberCall &c) { As<T>(o).*field = BstrToWindows1252(c.value().bstrVal); }};
}

// One bit of a flags word as a boolean.
template <class T, class F>
MemberInfo FlagBit(const char *name, F T::*field, F bit)
{
    return {
        .name = name,
        .kind = MemberKind::Property,
        .type = VT_BOOL,
        .get = [field, bit](DispatchObject &o, MemberCall &c) { c.SetBool((As<T>(o).*field & bit) != 0); },
        .put =
            [field, bit](DispatchObject &o, MemberCall &c) {
                F &word = As<T>(o).*field;
                word = c.value().boolVal != VARIANT_FALSE ? F(word | bit) : F(word & ~bit);
            }};
}

// A property whose put is accepted and ignored.
inline MemberInfo ReadOnly(MemberInfo m)
{
    m.put = {};
    m.readOnly = true;
    m.readOnlyPut = ReadOnlyPut::Ignore;
    return m;
}

// The object a put or an argument passes, directly or by reference; null
// for anything else.
inline IDispatch *DispatchOf(const VARIANT &v)
{
    if (v.vt == VT_DISPATCH)
        return v.pdispVal;
    if (v.vt == (VT_BYREF | VT_DISPATCH) && v.ppdispVal)
        return *v.ppdispVal;
    if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal)
        return DispatchOf(*v.pvarVal);
    return nullptr;
}

// The text of a value put as a variant; throws "Bad OLE type" when it has
// none.
inline std::string TextOf(const VARIANT &v)
{
    Variant text;
    if (FAILED(VariantChangeType(&text, &v, 0, VT_BSTR)) || text.vt != VT_BSTR)
        throw AutomationException(kErrorBadOleType, "Bad OLE type");
    return BstrToWindows1252(text.bstrVal);
}

// A string field read and written as a string variant.
template <class T>
MemberInfo VariantText(const char *name, std::string T::*field)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_VARIANT,
            .get = [field](DispatchObject &o, MemberCall &c) { c.SetString(As<T>(o).*field); },
            .put = [field](DispatchObject &o, MemberCall &c) { As<T>(o).*field = TextOf(c.value()); }};
}

// A position as a KrtPoint: get makes a new point, put copies a given
// point's values (anything but a KrtPoint of this library changes nothing).
template <class T>
MemberInfo Position(const char *name, int32_t T::*x, int32_t T::*y)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_VARIANT,
            .get =
                [x, y](DispatchObject &o, MemberCall &c) {
                    auto *p = new KrtPoint;
                    p->x = As<T>(o).*x;
                    p->y = As<T>(o).*y;
                    c.SetDispatch(p);
                },
            .put =
                [x, y](DispatchObject &o, MemberCall &c) {
                    if (const KrtPoint *p = AsKrtPoint(DispatchOf(c.value()))) {
                        As<T>(o).*x = p->x;
                        As<T>(o).*y = p->y;
                    }
                },
            .putRef = true};
}

// A font description as a standard font object: get makes a new one, put
// reads the given one (a value that is no font changes nothing).
template <class T>
MemberInfo Font(const char *name, FontDescription T::*field)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_VARIANT,
            .get = [field](DispatchObject &o,
                           MemberCall &c) { c.SetDispatch(FontObjectFromDescription(As<T>(o).*field)); },
            .put = [field](DispatchObject &o,
                           MemberCall &c) { ReadFontObject(DispatchOf(c.value()), &(As<T>(o).*field)); },
            .putRef = true};
}

} // namespace automation_members
