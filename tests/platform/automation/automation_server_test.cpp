// Creation by class id and ProgID through the registry, from a server
// library registered by the tests: registration and its exact removal, lock
// counts, and a library's exception arriving as EXCEPINFO.
#include "test_server/test_server.h"

#include "platform/automation_creation.h"
#include "platform/module.h"
#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

class ServerTest : public testing::Test {
protected:
    ServerTest()
    {
        setenv("MAP_REGISTRY_DIR", registryDir_.path().toLocal8Bit().constData(), 1);
        library_ = dlopen(MAP_AUTOMATION_TEST_SERVER, RTLD_NOW | RTLD_NODELETE);
        EXPECT_NE(library_, nullptr) << dlerror();
    }
    ~ServerTest() override
    {
        if (library_)
            dlclose(library_);
        unsetenv("MAP_REGISTRY_DIR");
    }

    // The library's entry points, as a registration tool calls them.
    HRESULT Entry(const char *name)
    {
        auto f = reinterpret_cast<DllRegisterServerFunction>(dlsym(library_, name));
        return f ? f() : E_FAIL;
    }
    HRESULT CanUnloadNow() { return Entry("DllCanUnloadNow"); }

    static void SetDefault(HKEY root, const std::string &path, const std::string &text)
    {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                       DWORD(text.size() + 1));
        RegCloseKey(key);
    }
    static std::string Default(const std::string &path)
    {
        HKEY key = 0;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<missing>";
        char buf[512] = {};
        DWORD size = sizeof buf - 1;
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &size);
        RegCloseKey(key);
        return buf;
    }
    // Registry as a machine has it: other classes and values already there.
    void SeedRegistry()
    {
        SetDefault(HKEY_CLASSES_ROOT, "CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32",
                   "/usr/lib/other.so");
        SetDefault(HKEY_CLASSES_ROOT, "Other.Class\\CLSID", "{11111111-2222-3333-4444-555555555555}");
        SetDefault(HKEY_CLASSES_ROOT, ".mpd", "MapFile");
        SetDefault(HKEY_CURRENT_USER, "Software\\Test", "kept");
    }
    std::map<QString, QByteArray> RegistryFiles() const
    {
        std::map<QString, QByteArray> files;
        for (const QString &name : QDir(registryDir_.path()).entryList(QDir::Files)) {
            QFile f(registryDir_.path() + "/" + name);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            files[name] = f.readAll();
        }
        return files;
    }
    ComPtr<IDispatch> Create(std::string_view name, HRESULT *hr)
    {
        ComPtr<IDispatch> object;
        *hr = CreateObject(name, IDispatch::kIid, object.putVoid());
        return object;
    }

private:
    QTemporaryDir registryDir_;
    void *library_ = nullptr;
};

TEST_F(ServerTest, RegisteringThenUnregisteringLeavesTheFilesAsTheyWere)
{
    SeedRegistry();
    const auto before = RegistryFiles();
    ASSERT_EQ(before.size(), 2u);

    ASSERT_EQ(Entry("DllRegisterServer"), S_OK);
    const std::string clsid = GuidToString(kCounterClsid);
    EXPECT_EQ(Default(std::string(kCounterProgId) + "\\CLSID"), clsid);
    EXPECT_EQ(Default("CLSID\\" + clsid), "Test Counter");
    EXPECT_EQ(Default("CLSID\\" + clsid + "\\ProgID"), kCounterProgId);
    EXPECT_EQ(Default("CLSID\\" + clsid + "\\InprocServer32"), MAP_AUTOMATION_TEST_SERVER);
    EXPECT_EQ(Default("Interface\\" + GuidToString(kCounterIid)), "ICounter");
    EXPECT_EQ(Default("Interface\\" + GuidToString(kCounterIid) + "\\TypeLib"), GuidToString(kTestLibId));
    EXPECT_EQ(Default("TypeLib\\" + GuidToString(kTestLibId) + "\\1.0"), "Test Library");
    const std::string page = "CLSID\\" + GuidToString(kPageClsid);
    EXPECT_EQ(Default(page + "\\MiscStatus\\1"), "131473");
    EXPECT_EQ(Default(page + "\\Control"), "");
    EXPECT_EQ(Default(page + "\\ProgID"), "<missing>");
    EXPECT_NE(RegistryFiles(), before);

    // Registering twice changes nothing more.
    const auto once = RegistryFiles();
    ASSERT_EQ(Entry("DllRegisterServer"), S_OK);
    EXPECT_EQ(RegistryFiles(), once);

    ASSERT_EQ(Entry("DllUnregisterServer"), S_OK);
    EXPECT_EQ(RegistryFiles(), before);
    // Unregistering what is not there is no failure and changes nothing.
    ASSERT_EQ(Entry("DllUnregisterServer"), S_OK);
    EXPECT_EQ(RegistryFiles(), before);
}

TEST_F(ServerTest, UnregisteringKeepsAProgIdTakenByAnotherClass)
{
    SeedRegistry();
    ASSERT_EQ(Entry("DllRegisterServer"), S_OK);
    SetDefault(HKEY_CLASSES_ROOT, std::string(kCounterProgId) + "\\CLSID",
               "{11111111-2222-3333-4444-555555555555}");
    ASSERT_EQ(Entry("DllUnregisterServer"), S_OK);
    EXPECT_EQ(Default(std::string(kCounterProgId) + "\\CLSID"), "{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(Default("CLSID\\" + GuidToString(kCounterClsid)), "<missing>");
}

TEST_F(ServerTest, CreatesByProgIdOnlyWhileRegistered)
{
    SeedRegistry();
    HRESULT hr = S_OK;
    EXPECT_FALSE(Create(kCounterProgId, &hr));
    EXPECT_EQ(hr, CO_E_CLASSSTRING);
    EXPECT_FALSE(Create(GuidToString(kCounterClsid), &hr));
    EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);

    ASSERT_EQ(Entry("DllRegisterServer"), S_OK);
    for (const char *name : {"AutoTest.Counter.1", "autotest.counter.1", "AUTOTEST.COUNTER.1",
                             "{6a1d2f10-3c4b-4e21-9a01-527e11c04d01}"}) {
        ComPtr<IDispatch> counter = Create(name, &hr);
        ASSERT_EQ(hr, S_OK) << name;
        const Variant five = VariantFromLong(5);
        const Variant r = CallByName(counter.get(), "ADD", DISPATCH_METHOD, std::span(&five, 1), &hr);
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(r.lVal, 5);
    }

    ASSERT_EQ(Entry("DllUnregisterServer"), S_OK);
    EXPECT_FALSE(Create("autotest.counter.1", &hr));
    EXPECT_EQ(hr, CO_E_CLASSSTRING);
    for (const char *bad : {"", "Other.Class\\CLSID", "{6a1d2f10-3c4b}"})
        EXPECT_FALSE(Create(bad, &hr)) << bad;
}

TEST_F(ServerTest, TheLibrarysExceptionArrivesAsExcepInfo)
{
    ASSERT_EQ(Entry("DllRegisterServer"), S_OK);
    HRESULT hr = S_OK;
    ComPtr<IDispatch> counter = Create(kCounterProgId, &hr);
    ASSERT_EQ(hr, S_OK);

    struct Case {
        int32_t code;
        const char *text;
        WORD wCode;
        SCODE scode;
    };
    for (const Case &c : {Case{1000, "Bad OLE type", 1000, 0}, Case{1003, "", 1003, 0},
                          Case{CTL_E_SETNOTSUPPORTED, "read-only", 0, CTL_E_SETNOTSUPPORTED},
                          Case{0, "no code", 0, E_FAIL}}) {
        SCOPED_TRACE(c.code);
        const Variant args[] = {VariantFromLong(c.code), VariantFromString(c.text)};
        EXCEPINFO info{};
        const Variant r = CallByName(counter.get(), "fail", DISPATCH_METHOD, args, &hr, &info);
        EXPECT_EQ(hr, DISP_E_EXCEPTION);
        EXPECT_EQ(info.wCode, c.wCode);
        EXPECT_EQ(info.scode, c.scode);
        EXPECT_EQ(BstrToWindows1252(info.bstrDescription), c.text);
        EXPECT_EQ(BstrToWindows1252(info.bstrSource), kCounterProgId);
        EXPECT_EQ(r.vt, VT_EMPTY);
        ClearExcepInfo(&info);
    }

    EXCEPINFO info{};
    CallByName(counter.get(), "Crash", DISPATCH_METHOD, {}, &hr, &info);
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_FAIL);
    EXPECT_EQ(BstrToWindows1252(info.bstrDescription), "counter broke");
    ClearExcepInfo(&info);
    // A caller that wants no record still gets the code.
    const Variant args[] = {VariantFromLong(1000), VariantFromString("x")};
    CallByName(counter.get(), "Fail", DISPATCH_METHOD, args, &hr, nullptr);
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
}

TEST_F(ServerTest, ObjectsAndServerLocksKeepTheLibrary)
{
    ASSERT_EQ(Entry("DllRegisterServer"), S_OK);
    ASSERT_EQ(CanUnloadNow(), S_OK);
    HRESULT hr = S_OK;
    {
        ComPtr<IDispatch> a = Create(kCounterProgId, &hr);
        ComPtr<IDispatch> b = Create(kCounterProgId, &hr);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        a = ComPtr<IDispatch>();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        const size_t loaded = LoadedServerCount();
        CoFreeUnusedLibraries(); // b still lives: the library stays
        EXPECT_EQ(LoadedServerCount(), loaded);
    }
    EXPECT_EQ(CanUnloadNow(), S_OK);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(kCounterClsid, IClassFactory::kIid, factory.putVoid()), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_OK); // a class object alone holds no lock
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_OK);

    // Aggregation is not offered; the object's interfaces by id.
    auto *outer = reinterpret_cast<IUnknown *>(factory.get());
    void *p = nullptr;
    EXPECT_EQ(factory->CreateInstance(outer, IDispatch::kIid, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IClassFactory::kIid, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(CanUnloadNow(), S_OK); // the refused object is gone again
    ASSERT_EQ(factory->CreateInstance(nullptr, kCounterIid, &p), S_OK);
    static_cast<IUnknown *>(p)->Release();
    factory = ComPtr<IClassFactory>();

    // Freed once unused, and loaded again on the next creation.
    CoFreeUnusedLibraries();
    EXPECT_EQ(LoadedServerCount(), 0u);
    ComPtr<IDispatch> again = Create(kCounterProgId, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(LoadedServerCount(), 1u);
}

TEST_F(ServerTest, BrokenRegistrationsFailCleanly)
{
    const std::string missing = "{22222222-2222-3333-4444-555555555555}";
    const std::string noEntry = "{33333333-2222-3333-4444-555555555555}";
    const std::string notServed = "{44444444-2222-3333-4444-555555555555}";
    SetDefault(HKEY_CLASSES_ROOT, "CLSID\\" + missing + "\\InprocServer32", "/no/such/library.so");
    SetDefault(HKEY_CLASSES_ROOT, "CLSID\\" + noEntry + "\\InprocServer32",
               ModulePathOf(reinterpret_cast<const void *>(&SysAllocString))); // the layer: no entry points
    SetDefault(HKEY_CLASSES_ROOT, "CLSID\\" + notServed + "\\InprocServer32", MAP_AUTOMATION_TEST_SERVER);
    SetDefault(HKEY_CLASSES_ROOT, "Broken.Id\\CLSID", "not a guid");
    HRESULT hr = S_OK;
    EXPECT_FALSE(Create(missing, &hr));
    EXPECT_EQ(hr, CO_E_DLLNOTFOUND);
    EXPECT_FALSE(Create(noEntry, &hr));
    EXPECT_EQ(hr, CO_E_ERRORINDLL);
    EXPECT_FALSE(Create(notServed, &hr));
    EXPECT_EQ(hr, CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(Create("broken.id", &hr));
    EXPECT_EQ(hr, CO_E_CLASSSTRING);
    EXPECT_EQ(CreateObject(kCounterProgId, IDispatch::kIid, nullptr), E_POINTER);
}

} // namespace
