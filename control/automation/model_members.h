// Builders of member-table entries for the object model's classes: a
// property with a getter and a setter, a read-only property whose setter
// accepts and ignores the value, and a method.
#pragma once

#include "platform/automation_dispatch.h"
#include "platform/automation_exception.h"

#include <utility>
#include <vector>

namespace model {

inline MemberInfo Prop(const char *name, VARTYPE type, MemberHandler get, MemberHandler put,
                       std::vector<VARTYPE> params = {})
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = type,
            .params = std::move(params),
            .get = std::move(get),
            .put = std::move(put),
            .putRef = true};
}

inline MemberInfo ReadOnly(const char *name, VARTYPE type, MemberHandler get,
                           std::vector<VARTYPE> params = {})
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = type,
            .params = std::move(params),
            .get = std::move(get),
            .readOnly = true,
            .readOnlyPut = ReadOnlyPut::Ignore,
            .putRef = true};
}

inline MemberInfo Method(const char *name, VARTYPE result, std::vector<VARTYPE> params, MemberHandler call,
                         int optional = 0)
{
    return {.name = name,
            .kind = MemberKind::Method,
            .type = result,
            .params = std::move(params),
            .optionalParams = optional,
            .get = std::move(call)};
}

// A member with a dispatch id of its own instead of its table position.
inline MemberInfo Id(DISPID id, MemberInfo m)
{
    m.dispid = id;
    return m;
}

// The error of an argument that is not an object of the class expected.
inline constexpr int32_t kBadOleTypeCode = 1000;
[[noreturn]] inline void ThrowBadOleType() { throw AutomationException(kBadOleTypeCode, "Bad OLE type"); }

// The object a value holds, directly or by reference; null for any other
// value.
inline IDispatch *ObjectOf(const VARIANT &v)
{
    if (v.vt == VT_DISPATCH)
        return v.pdispVal;
    if (v.vt == (VT_BYREF | VT_DISPATCH) && v.ppdispVal)
        return *v.ppdispVal;
    if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal && v.pvarVal->vt == VT_DISPATCH)
        return v.pvarVal->pdispVal;
    return nullptr;
}

// The object of class T behind a member call's self.
template <class T>
T &Self(DispatchObject &o)
{
    return static_cast<T &>(o);
}

} // namespace model
