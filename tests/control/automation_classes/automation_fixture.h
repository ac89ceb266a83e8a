// Helpers for the tests of the geometry, layer and legend classes and of
// the engine object bridge: calls by name with the dispatch error they
// raise, and objects made as a container makes them.
#pragma once

#include "control/automation/engine_bridge.h"
#include "control/automation/geometry_class_ids.h"
#include "control/automation/krt_group.h"
#include "control/automation/krt_layer.h"
#include "control/automation/krt_legend.h"
#include "control/automation/krt_line_style.h"
#include "control/automation/krt_points.h"
#include "control/automation/krt_poly.h"
#include "control/automation/krt_raster.h"
#include "control/automation/krt_text.h"
#include "platform/automation_dispatch.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

// What one dispatch call gave: its result code, the error number or code of
// a dispatch exception and its text, and the result.
struct CallOutcome {
    HRESULT hr = S_OK;
    int32_t error = 0; // wCode, or scode when wCode is 0
    std::string text;
    Variant result;
};

inline CallOutcome Invoke(IDispatch *object, std::string_view name, WORD flags,
                          std::vector<Variant> args = {})
{
    CallOutcome out;
    EXCEPINFO info{};
    out.result = CallByName(object, name, flags, args, &out.hr, &info);
    if (out.hr == DISP_E_EXCEPTION) {
        out.error = info.wCode ? info.wCode : info.scode;
        out.text = BstrToWindows1252(info.bstrDescription);
    }
    ClearExcepInfo(&info);
    return out;
}

inline CallOutcome PutValue(IDispatch *object, std::string_view name, const VARIANT &value)
{
    CallOutcome out;
    EXCEPINFO info{};
    out.hr = PutByName(object, name, value, &info);
    if (out.hr == DISP_E_EXCEPTION) {
        out.error = info.wCode ? info.wCode : info.scode;
        out.text = BstrToWindows1252(info.bstrDescription);
    }
    ClearExcepInfo(&info);
    return out;
}

inline Variant GetValue(IDispatch *object, std::string_view name, std::vector<Variant> args = {})
{
    CallOutcome out = Invoke(object, name, DISPATCH_PROPERTYGET, std::move(args));
    EXPECT_EQ(out.hr, S_OK) << name;
    return out.result;
}

inline int32_t GetLong(IDispatch *object, std::string_view name)
{
    Variant v = GetValue(object, name);
    Variant l;
    EXPECT_EQ(VariantChangeType(&l, &v, 0, VT_I4), S_OK) << name;
    return l.lVal;
}

inline std::string GetText(IDispatch *object, std::string_view name)
{
    Variant v = GetValue(object, name);
    EXPECT_EQ(v.vt, VT_BSTR) << name;
    return v.vt == VT_BSTR ? BstrToWindows1252(v.bstrVal) : std::string();
}

// A new object of a class, held by the caller.
template <class T>
ComPtr<T> Make()
{
    return ComPtr<T>::Adopt(new T);
}

inline IDispatch *D(DispatchObject *o) { return static_cast<IDispatch *>(o); }

// A poly with the points given.
inline ComPtr<KrtPoly> MakePoly(bool polyline, std::initializer_list<MAP_COORDPT> points)
{
    auto poly = Make<KrtPoly>();
    poly->isPolyline = polyline;
    for (const MAP_COORDPT &p : points)
        poly->points().Add(p.x, p.y);
    return poly;
}

// An object of another library: answers IDispatch (or not) and, when asked,
// the presentation interface with a default value.
class ForeignObject : public ComObject<IDispatch> {
public:
    bool refuseDispatch = false;
    bool offersPresentation = false;
    std::string name = "Ranges of Area";

    HRESULT GetIDsOfNames(std::span<const std::string>, std::span<DISPID>) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, WORD, DISPPARAMS &, VARIANT *result, EXCEPINFO *, UINT *) override
    {
        if (id != DISPID_VALUE || !result)
            return DISP_E_MEMBERNOTFOUND;
        *static_cast<Variant *>(result) = VariantFromString(name);
        return S_OK;
    }

protected:
    void *FindInterface(const IID &iid) override
    {
        static constexpr IID kPresentation = {
            0xE5B7CB21, 0x0A98, 0x11D2, {0x9C, 0x61, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
        if (iid == IDispatch::kIid)
            return refuseDispatch ? nullptr : static_cast<IDispatch *>(this);
        if (iid == kPresentation && offersPresentation)
            return static_cast<IDispatch *>(this);
        return ComObject<IDispatch>::FindInterface(iid);
    }
};
