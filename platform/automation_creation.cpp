#include "platform/automation_creation.h"

#include "platform/registry.h"
#include "platform/system_classes.h"

#include <dlfcn.h>
#include <map>
#include <mutex>
#include <string>

namespace {

struct LoadedServer {
    void *handle;
    DllGetClassObjectFunction getClassObject;
    DllCanUnloadNowFunction canUnloadNow;
};

struct Servers {
    std::mutex mutex;
    std::map<std::string, LoadedServer> byPath;
};

Servers &servers()
{
    static Servers s;
    return s;
}

bool ReadDefault(const std::string &keyPath, std::string *out)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    LONG e = RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size);
    std::string data(size, '\0');
    if (e == ERROR_SUCCESS && type == REG_SZ)
        e = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size);
    RegCloseKey(key);
    if (e != ERROR_SUCCESS || type != REG_SZ)
        return false;
    data.resize(std::min<size_t>(size, data.size()));
    while (!data.empty() && data.back() == '\0')
        data.pop_back();
    *out = data;
    return true;
}

HRESULT Load(const std::string &path, LoadedServer *out)
{
    Servers &s = servers();
    std::lock_guard lock(s.mutex);
    if (auto it = s.byPath.find(path); it != s.byPath.end()) {
        *out = it->second;
        return S_OK;
    }
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE);
    if (!handle)
        return CO_E_DLLNOTFOUND;
    LoadedServer server{handle,
                        reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle, "DllGetClassObject")),
                        reinterpret_cast<DllCanUnloadNowFunction>(dlsym(handle, "DllCanUnloadNow"))};
    if (!server.getClassObject) {
        dlclose(handle);
        return CO_E_ERRORINDLL;
    }
    s.byPath[path] = server;
    *out = server;
    return S_OK;
}

} // namespace

HRESULT CLSIDFromProgID(std::string_view progId, CLSID *out)
{
    if (!out)
        return E_POINTER;
    if (SystemClassFromProgId(progId, out))
        return S_OK;
    std::string text;
    if (progId.empty() || progId.find('\\') != std::string_view::npos ||
        !ReadDefault(std::string(progId) + "\\CLSID", &text))
        return CO_E_CLASSSTRING;
    const std::optional<GUID> clsid = GuidFromString(text);
    if (!clsid)
        return CO_E_CLASSSTRING;
    *out = *clsid;
    return S_OK;
}

HRESULT CoGetClassObject(const CLSID &clsid, const IID &iid, void **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (HRESULT hr = SystemClassObject(clsid, iid, out); hr != CLASS_E_CLASSNOTAVAILABLE)
        return hr;
    std::string path;
    if (!ReadDefault("CLSID\\" + GuidToString(clsid) + "\\InprocServer32", &path) || path.empty())
        return REGDB_E_CLASSNOTREG;
    LoadedServer server{};
    if (HRESULT hr = Load(path, &server); FAILED(hr))
        return hr;
    return server.getClassObject(&clsid, &iid, out);
}

HRESULT CoCreateInstance(const CLSID &clsid, IUnknown *outer, const IID &iid, void **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    ComPtr<IClassFactory> factory;
    if (HRESULT hr = CoGetClassObject(clsid, IClassFactory::kIid, factory.putVoid()); FAILED(hr))
        return hr;
    return factory->CreateInstance(outer, iid, out);
}

HRESULT CreateObject(std::string_view progIdOrClsid, const IID &iid, void **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    CLSID clsid{};
    if (!progIdOrClsid.empty() && progIdOrClsid.front() == '{') {
        const std::optional<GUID> g = GuidFromString(progIdOrClsid);
        if (!g)
            return CO_E_CLASSSTRING;
        clsid = *g;
    } else if (HRESULT hr = CLSIDFromProgID(progIdOrClsid, &clsid); FAILED(hr)) {
        return hr;
    }
    return CoCreateInstance(clsid, nullptr, iid, out);
}

void CoFreeUnusedLibraries()
{
    Servers &s = servers();
    std::lock_guard lock(s.mutex);
    for (auto it = s.byPath.begin(); it != s.byPath.end();) {
        if (it->second.canUnloadNow && it->second.canUnloadNow() == S_OK) {
            dlclose(it->second.handle);
            it = s.byPath.erase(it);
        } else {
            ++it;
        }
    }
}

size_t LoadedServerCount()
{
    Servers &s = servers();
    std::lock_guard lock(s.mutex);
    return s.byPath.size();
}
