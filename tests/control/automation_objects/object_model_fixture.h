// A map control with a small document for the object model's tests, and
// late-bound calls on the objects it hands out.
#pragma once

#include "tests/control/control_fixture.h"

#include "control/automation/krt_objects.h"
#include "engine/window/window_children.h"
#include "engine/window/window_identifiers.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_text.h"

#include <string>

class ObjectModelTest : public ControlTest {
protected:
    // Calls on any object, by name, arguments in natural order; failures
    // are test failures unless hr is given.
    static Variant On(IDispatch *o, std::string_view name, std::initializer_list<Variant> args = {},
                      WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET, HRESULT *hr = nullptr,
                      EXCEPINFO *info = nullptr)
    {
        const std::vector<Variant> list(args);
        HRESULT status = S_OK;
        Variant r = CallByName(o, name, flags, list, &status, info);
        if (hr)
            *hr = status;
        else
            EXPECT_EQ(status, S_OK) << name;
        return r;
    }
    static HRESULT PutOn(IDispatch *o, std::string_view name, const Variant &value, EXCEPINFO *info = nullptr)
    {
        return PutByName(o, name, value, info);
    }
    // Item(key) = value.
    static HRESULT PutItem(IDispatch *o, const Variant &key, const Variant &value, EXCEPINFO *info = nullptr)
    {
        DISPID id = 0;
        const std::string name = "Item";
        if (FAILED(o->GetIDsOfNames({&name, 1}, {&id, 1})))
            return DISP_E_UNKNOWNNAME;
        VARIANT args[2] = {value, key}; // last first
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{args, &named, 2, 1};
        return o->Invoke(id, DISPATCH_PROPERTYPUT, params, nullptr, info, nullptr);
    }
    // The object a variant holds, with a reference of its own.
    static ComPtr<IDispatch> Obj(const Variant &v)
    {
        return v.vt == VT_DISPATCH ? ComPtr<IDispatch>(v.pdispVal) : ComPtr<IDispatch>();
    }
    ComPtr<IDispatch> Property(std::string_view name) { return Obj(Get(name)); }
    static int32_t Long(const Variant &v)
    {
        Variant r;
        VariantChangeType(&r, &v, 0, VT_I4);
        return r.vt == VT_I4 ? r.lVal : INT32_MIN;
    }
    static std::string Text(const Variant &v)
    {
        return v.vt == VT_BSTR ? BstrToWindows1252(v.bstrVal) : std::string("<not a string>");
    }

    OBJHANDLE AddText(const char *text, MAP_COORDPT at, const char *face)
    {
        OBJHANDLE h = 0;
        EXPECT_EQ(map_text_CreateEx(hwnd(), &h, text, &at, face, 12, 0, 0, 0, 0, 0, 0, 0, 0), 1);
        return h;
    }
    OBJHANDLE AddLayer(int32_t number, const char *name)
    {
        OBJHANDLE h = 0;
        EXPECT_EQ(
            map_layer_Create(hwnd(), &h, nullptr, 0, number, name, COLORREF(-1), -1, -1, -1, 3, 0xFFFF, 0),
            1);
        return h;
    }
    void Identify(OBJHANDLE h, const char *code, const char *name)
    {
        EXPECT_EQ(map_object_id_Set(hwnd(), h, code, name, 0, 0, 0), 1);
    }
};
