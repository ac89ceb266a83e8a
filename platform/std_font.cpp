#include "platform/std_font.h"

namespace {

// A property of the standard font at its fixed dispatch id.
MemberInfo FontProperty(const char *name, DISPID id, VARTYPE type, MemberHandler get, MemberHandler put)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = type,
            .get = std::move(get),
            .put = std::move(put),
            .isDefault = id == DISPID_VALUE,
            .dispid = id};
}

StdFont &Self(DispatchObject &o) { return static_cast<StdFont &>(o); }

MemberInfo FlagProperty(const char *name, DISPID id, bool StdFont::*field)
{
    return FontProperty(
        name, id, VT_BOOL, [field](DispatchObject &o, MemberCall &c) { c.SetBool(Self(o).*field); },
        [field](DispatchObject &o, MemberCall &c) { Self(o).*field = c.value().boolVal != VARIANT_FALSE; });
}

} // namespace

std::shared_ptr<const MemberTable> StdFont::Table()
{
    static const auto
        table =
            std::make_shared<const MemberTable>(
                ClassInfo{
                    .className = "StdFont",
                    .progId = kStdFontProgId,
                    .clsid = CLSID_StdFont,
                    .dispatchIid = IID_IFontDisp,
                    .interfaceName = "IFontDisp",
                    .members =
                        {
                            FontProperty(
                                "Name", DISPID_FONT_NAME, VT_BSTR,
                                [](DispatchObject &o, MemberCall &c) {
                                    VariantClear(&c.result());
                                    c.result().vt = VT_BSTR;
                                    c.result().bstrVal = BstrFromQString(Self(o).name);
                                },
                                [](DispatchObject &o, MemberCall &c) {
                                    Self(o).name = BstrToQString(c.value().bstrVal);
                                }),
                            FontProperty(
                                "Size", DISPID_FONT_SIZE, VT_CY,
                                [](DispatchObject &o, MemberCall &c) {
                                    VariantClear(&c.result());
                                    c.result().vt = VT_CY;
                                    c.result().cyVal = Self(o).size;
                                },
                                [](DispatchObject &o, MemberCall &c) { Self(o).size = c.value().cyVal; }),
                            FontProperty(
                                "Bold", DISPID_FONT_BOLD, VT_BOOL,
                                [](DispatchObject &o, MemberCall &c) { c.SetBool(Self(o).weight >= 600); },
                                [](DispatchObject &o, MemberCall &c) {
                                    Self(o).weight = c.value().boolVal != VARIANT_FALSE ? 700 : 400;
                                }),
                            FlagProperty("Italic", DISPID_FONT_ITALIC, &StdFont::italic),
                            FlagProperty("Underline", DISPID_FONT_UNDER, &StdFont::underline),
                            FlagProperty("Strikethrough", DISPID_FONT_STRIKE, &StdFont::strikethrough),
                            FontProperty(
                                "Weight", DISPID_FONT_WEIGHT, VT_I2,
                                [](DispatchObject &o, MemberCall &c) { c.SetShort(Self(o).weight); },
                                [](DispatchObject &o, MemberCall &c) { Self(o).weight = c.value().iVal; }),
                            FontProperty(
                                "Charset", DISPID_FONT_CHARSET, VT_I2,
                                [](DispatchObject &o, MemberCall &c) { c.SetShort(Self(o).charset); },
                                [](DispatchObject &o, MemberCall &c) { Self(o).charset = c.value().iVal; }),
                        },
                });
    return table;
}

StdFont::StdFont() : DispatchObject(Table()) {}
StdFont::~StdFont() = default;

void *StdFont::FindInterface(const IID &iid)
{
    if (iid == IID_IFontDisp)
        return static_cast<IDispatch *>(this);
    return DispatchObject::FindInterface(iid);
}
