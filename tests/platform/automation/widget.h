// A small automation class of the tests' own, with members of every kind
// and an event connection point.
#pragma once

#include "platform/automation_dispatch.h"
#include "platform/automation_enum.h"

inline constexpr IID kWidgetIid = {
    0x7B2E3A01, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x01}};
inline constexpr IID kWidgetEventsIid = {
    0x7B2E3A02, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x02}};
inline constexpr DISPID kChangedEvent = 1;

class Widget : public DispatchObject {
public:
    // Positions give the ids: Width 1, Caption 2, Count 3, Serial 4, Sub 5,
    // Echo 6, Span 7, Font 8.
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto
            table =
                std::make_shared<const MemberTable>(
                    ClassInfo{
                        .className = "Widget",
                        .progId = "Test.Widget",
                        .clsid = GUID_NULL,
                        .dispatchIid = kWidgetIid,
                        .interfaceName = "IWidget",
                        .members =
                            {
                                {.name = "Width",
                                 .kind = MemberKind::Property,
                                 .type = VT_I4,
                                 .get = [](DispatchObject &o, MemberCall &c) { c.SetLong(Self(o).width); },
                                 .put =
                                     [](DispatchObject &o, MemberCall &c) {
                                         Self(o).width = c.value().lVal;
                                         Self(o).Notify(1);
                                     },
                                 .isDefault = true},
                                {.name = "Caption",
                                 .kind = MemberKind::Property,
                                 .type = VT_BSTR,
                                 .get = [](DispatchObject &o,
                                           MemberCall &c) { c.SetString(Self(o).caption); },
                                 .put =
                                     [](DispatchObject &o, MemberCall &c) {
                                         Self(o).caption = BstrToWindows1252(c.value().bstrVal);
                                     },
                                 .aliases = {"Title", "Text"}},
                                {.name = "Count",
                                 .kind = MemberKind::Property,
                                 .type = VT_I4,
                                 .get = [](DispatchObject &, MemberCall &c) { c.SetLong(3); },
                                 .readOnly = true},
                                {.name = "Serial",
                                 .kind = MemberKind::Property,
                                 .type = VT_I4,
                                 .get = [](DispatchObject &, MemberCall &c) { c.SetLong(77); },
                                 .readOnly = true,
                                 .readOnlyPut = ReadOnlyPut::Ignore},
                                // Sub(a, b, [c]) = a - b - c.
                                {.name = "Sub",
                                 .kind = MemberKind::Method,
                                 .type = VT_I4,
                                 .params = {VT_I4, VT_I4, VT_I4},
                                 .optionalParams = 1,
                                 .get =
                                     [](DispatchObject &, MemberCall &c) {
                                         c.SetLong(c.Long(0) - c.Long(1) - (c.missing(2) ? 0 : c.Long(2)));
                                     }},
                                // Echo(any) returns its argument; a by-reference VARIANT
                                // argument is set to 5 as well.
                                {.name = "Echo",
                                 .kind = MemberKind::Method,
                                 .type = VT_VARIANT,
                                 .params = {VT_VARIANT},
                                 .get =
                                     [](DispatchObject &, MemberCall &c) {
                                         VariantCopyInd(&c.result(), &c.arg(0));
                                         if (c.raw(0).vt == (VT_BYREF | VT_VARIANT))
                                             *static_cast<Variant *>(c.raw(0).pvarVal) = VariantFromLong(5);
                                     }},
                                // Span(out long) writes 9 into the caller's long.
                                {.name = "Span",
                                 .kind = MemberKind::Method,
                                 .params = {VT_BYREF | VT_I4},
                                 .get = [](DispatchObject &, MemberCall &c) { *c.raw(0).plVal = 9; }},
                                {.name = "Font",
                                 .kind = MemberKind::Property,
                                 .type = VT_DISPATCH,
                                 .get =
                                     [](DispatchObject &o, MemberCall &c) {
                                         if (Self(o).font)
                                             Self(o).font->AddRef();
                                         c.SetDispatch(Self(o).font);
                                     },
                                 .put =
                                     [](DispatchObject &o, MemberCall &c) {
                                         IDispatch *f = c.value().pdispVal;
                                         if (f)
                                             f->AddRef();
                                         if (Self(o).font)
                                             Self(o).font->Release();
                                         Self(o).font = f;
                                     },
                                 .putRef = true},
                                {.name = "_NewEnum",
                                 .kind = MemberKind::Property,
                                 .type = VT_UNKNOWN,
                                 .get =
                                     [](DispatchObject &, MemberCall &c) {
                                         std::vector<Variant> items;
                                         for (int i = 1; i <= 3; ++i)
                                             items.push_back(VariantFromLong(i * 10));
                                         c.result().vt = VT_UNKNOWN;
                                         c.result().punkVal = new VariantEnumerator(
                                             std::make_shared<VariantListSource>(std::move(items)));
                                     },
                                 .dispid = DISPID_NEWENUM},
                                {.name = "Refresh",
                                 .kind = MemberKind::Method,
                                 .get = [](DispatchObject &o, MemberCall &) { ++Self(o).refreshes; },
                                 .dispid = DISPID_REFRESH},
                            },
                    });
        return table;
    }

    Widget() : DispatchObject(Table())
    {
        events = &AddConnectionPoint(kWidgetEventsIid);
        notices = &AddConnectionPoint(IPropertyNotifySink::kIid);
    }

    void Notify(DISPID id)
    {
        notices->FireOnChanged(id);
        const Variant arg = VariantFromLong(width);
        events->FireEvent(kChangedEvent, std::span<const Variant>(&arg, 1));
    }

    int32_t width = 0;
    std::string caption;
    IDispatch *font = nullptr;
    int refreshes = 0;
    ConnectionPoint *events = nullptr;
    ConnectionPoint *notices = nullptr;

protected:
    ~Widget() override
    {
        if (font)
            font->Release();
    }

private:
    static Widget &Self(DispatchObject &o) { return static_cast<Widget &>(o); }
};
