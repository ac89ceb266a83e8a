#include "platform/automation_server.h"

#include <new>

ModuleLock::ModuleLock(ServerModule &module) : module_(module) { module_.Lock(); }
ModuleLock::ModuleLock(const ModuleLock &other) : module_(other.module_) { module_.Lock(); }
ModuleLock::~ModuleLock() { module_.Unlock(); }

void ServerModule::AddClass(ClassRegistration registration, ObjectMaker make)
{
    classes_.push_back({std::move(registration), std::move(make)});
}

HRESULT ServerModule::GetClassObject(const CLSID *clsid, const IID *iid, void **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!clsid || !iid)
        return E_INVALIDARG;
    for (const Class &c : classes_) {
        if (!(c.registration.table && c.registration.table->info().clsid == *clsid))
            continue;
        auto *factory = new (std::nothrow) ClassFactory(*this, c.make);
        if (!factory)
            return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(*iid, out);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ServerModule::RegisterServer(const std::string &modulePath)
{
    if (typeLib_ && FAILED(RegisterTypeLibKeys(*typeLib_, modulePath)))
        return SELFREG_E_TYPELIB;
    for (const Class &c : classes_)
        if (FAILED(RegisterClassKeys(c.registration, modulePath)))
            return SELFREG_E_CLASS;
    return S_OK;
}

HRESULT ServerModule::UnregisterServer()
{
    if (typeLib_ && FAILED(UnregisterTypeLibKeys(*typeLib_)))
        return SELFREG_E_TYPELIB;
    for (const Class &c : classes_)
        if (FAILED(UnregisterClassKeys(c.registration)))
            return SELFREG_E_CLASS;
    return S_OK;
}

ClassFactory::ClassFactory(ServerModule &module, ObjectMaker make) : module_(module), make_(std::move(make))
{
}

ClassFactory::~ClassFactory() = default;

HRESULT ClassFactory::CreateInstance(IUnknown *outer, const IID &iid, void **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    IUnknown *object = nullptr;
    try {
        object = make_();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    if (!object)
        return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release(); // the maker's reference; *out holds the caller's
    return hr;
}

HRESULT ClassFactory::LockServer(BOOL lock)
{
    if (lock)
        module_.Lock();
    else
        module_.Unlock();
    return S_OK;
}
