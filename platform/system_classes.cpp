#include "platform/system_classes.h"

#include "platform/std_font.h"

namespace {

ServerModule &SystemModule()
{
    static ServerModule module;
    static const bool added = [] {
        module.AddClass({.table = StdFont::Table().get()},
                        [] { return static_cast<IDispatch *>(new StdFont); });
        return true;
    }();
    (void)added;
    return module;
}

} // namespace

HRESULT SystemClassObject(const CLSID &clsid, const IID &iid, void **out)
{
    return SystemModule().GetClassObject(&clsid, &iid, out);
}

bool SystemClassFromProgId(std::string_view progId, CLSID *out)
{
    if (FoldName(progId) != FoldName(kStdFontProgId))
        return false;
    if (out)
        *out = CLSID_StdFont;
    return true;
}
