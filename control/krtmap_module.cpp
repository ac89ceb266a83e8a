// The library's module object and its exported entry points.
#include "control/krtmap_module.h"

#include "control/automation/geometry_classes.h"
#include "control/automation/krt_objects.h"
#include "control/control_ids.h"
#include "control/krt_geometry.h"
#include "control/map_control_object.h"
#include "control/property_pages.h"
#include "control/variant_values.h"
#include "platform/module.h"

namespace {

const bool kClassesAdded = [] {
    ServerModule &m = KrtMapModule();
    std::vector<const MemberTable *> described = {MapControl::Table().get(), KrtPoint::Table().get(),
                                                  KrtRect::Table().get()};
    for (const MemberTable *t : GeometryClassTables())
        described.push_back(t);
    AddObjectModelClasses(m, described);
    m.SetTypeLib({.libid = kKrtMapLibId,
                  .version = "2.8",
                  .helpString = "KrtMap ActiveX Control",
                  .helpFile = "KrtMap.hlp",
                  .classes = described});
    m.AddClass({.table = MapControl::Table().get(),
                .control = true,
                .insertable = true,
                .miscStatus = kControlMiscStatus,
                .toolboxBitmap = 1,
                .typeLib = kKrtMapLibId,
                .version = "2.7"},
               [] { return static_cast<IDispatch *>(new MapControl); });
    m.AddClass({.table = CMapPropPage::Table().get()},
               [] { return static_cast<IDispatch *>(new PropertyPageObject(CMapPropPage::Table())); });
    m.AddClass({.table = CPropPageAbout::Table().get()},
               [] { return static_cast<IDispatch *>(new PropertyPageObject(CPropPageAbout::Table())); });
    m.AddClass({.table = KrtPoint::Table().get()}, [] { return static_cast<IDispatch *>(new KrtPoint); });
    m.AddClass({.table = KrtRect::Table().get()}, [] { return static_cast<IDispatch *>(new KrtRect); });
    AddGeometryClasses(m);
    return true;
}();

} // namespace

ServerModule &KrtMapModule()
{
    static ServerModule module;
    return module;
}

extern "C" {

KRTMAP_EXPORT HRESULT DllGetClassObject(const CLSID *clsid, const IID *iid, void **out)
{
    return KrtMapModule().GetClassObject(clsid, iid, out);
}

KRTMAP_EXPORT HRESULT DllCanUnloadNow() { return KrtMapModule().CanUnloadNow(); }

KRTMAP_EXPORT HRESULT DllRegisterServer()
{
    return KrtMapModule().RegisterServer(ModulePathOf(reinterpret_cast<const void *>(&DllRegisterServer)));
}

KRTMAP_EXPORT HRESULT DllUnregisterServer() { return KrtMapModule().UnregisterServer(); }
}
