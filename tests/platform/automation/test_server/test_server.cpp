// A server library of two small automation classes for the tests of the
// automation layer: a counter (a property, a method, a member that throws
// the layer's exception) registered with a ProgID, and a page registered by
// class id alone. Counters hold a lock on the library while they live.
#include "test_server.h"

#include "platform/automation_server.h"
#include "platform/module.h"

#include <stdexcept>

namespace {

ServerModule &Module()
{
    static ServerModule module;
    return module;
}

class Counter : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto
            table =
                std::make_shared<const MemberTable>(
                    ClassInfo{
                        .className = "Counter",
                        .progId = kCounterProgId,
                        .typeName = "Test Counter",
                        .clsid = kCounterClsid,
                        .dispatchIid = kCounterIid,
                        .interfaceName = "ICounter",
                        .members =
                            {
                                {.name = "Value",
                                 .kind = MemberKind::Property,
                                 .type = VT_I4,
                                 .get = [](DispatchObject &o, MemberCall &c) { c.SetLong(Self(o).value_); },
                                 .put = [](DispatchObject &o,
                                           MemberCall &c) { Self(o).value_ = c.value().lVal; },
                                 .isDefault = true},
                                {.name = "Add",
                                 .kind = MemberKind::Method,
                                 .type = VT_I4,
                                 .params = {VT_I4},
                                 .get =
                                     [](DispatchObject &o, MemberCall &c) {
                                         Self(o).value_ += c.Long(0);
                                         c.SetLong(Self(o).value_);
                                     }},
                                // Throws the layer's exception with the code and text given.
                                {.name = "Fail",
                                 .kind = MemberKind::Method,
                                 .params = {VT_I4, VT_BSTR},
                                 .get =
                                     [](DispatchObject &, MemberCall &c) {
                                         throw AutomationException(c.Long(0), c.String(1));
                                     }},
                                // Throws an exception of the standard library.
                                {.name = "Crash",
                                 .kind = MemberKind::Method,
                                 .get =
                                     [](DispatchObject &, MemberCall &) {
                                         throw std::runtime_error("counter broke");
                                     }},
                            },
                    });
        return table;
    }

    Counter() : DispatchObject(Table()), lock_(Module()) {}

private:
    static Counter &Self(DispatchObject &o) { return static_cast<Counter &>(o); }
    ModuleLock lock_;
    int32_t value_ = 0;
};

const MemberTable &PageTable()
{
    static const MemberTable table(
        ClassInfo{.className = "Page", .typeName = "Test Page", .clsid = kPageClsid});
    return table;
}

const bool kClassesAdded = [] {
    Module().SetTypeLib({.libid = kTestLibId,
                         .version = "1.0",
                         .helpString = "Test Library",
                         .classes = {Counter::Table().get()}});
    Module().AddClass({.table = Counter::Table().get()},
                      [] { return static_cast<IDispatch *>(new Counter); });
    Module().AddClass({.table = &PageTable(), .control = true, .miscStatus = 0x20191, .version = "1.0"}, [] {
        return static_cast<IDispatch *>(new DispatchObject(std::shared_ptr<const MemberTable>(
            std::shared_ptr<const MemberTable>(), &PageTable()))); // the table is static: not owned
    });
    return true;
}();

} // namespace

extern "C" {

__attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID *clsid, const IID *iid,
                                                                 void **out)
{
    return Module().GetClassObject(clsid, iid, out);
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() { return Module().CanUnloadNow(); }

__attribute__((visibility("default"))) HRESULT DllRegisterServer()
{
    return Module().RegisterServer(ModulePathOf(reinterpret_cast<const void *>(&DllRegisterServer)));
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() { return Module().UnregisterServer(); }
}
