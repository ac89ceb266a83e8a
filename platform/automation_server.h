// The server side of creation: what a library that serves automation
// classes keeps (its lock count and class list) and hands out through its
// exported entry points DllGetClassObject, DllCanUnloadNow,
// DllRegisterServer and DllUnregisterServer.
#pragma once

#include "platform/automation_registration.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class IClassFactory : public IUnknown {
public:
    static constexpr IID kIid = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    // CLASS_E_NOAGGREGATION when outer is given.
    virtual HRESULT CreateInstance(IUnknown *outer, const IID &iid, void **out) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};

// The entry points a server library exports (extern "C").
using DllGetClassObjectFunction = HRESULT (*)(const CLSID *clsid, const IID *iid, void **out);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();

class ServerModule;

// Keeps the library loaded while it lives: objects made by ProgID hold one.
class ModuleLock {
public:
    explicit ModuleLock(ServerModule &module);
    ModuleLock(const ModuleLock &other);
    ModuleLock &operator=(const ModuleLock &) = delete;
    ~ModuleLock();

private:
    ServerModule &module_;
};

// Makes a new object with one reference, or throws.
using ObjectMaker = std::function<IUnknown *()>;

class ServerModule {
public:
    struct Class {
        ClassRegistration registration;
        ObjectMaker make;
    };

    // A class served by this library; registration.table must outlive the module.
    void AddClass(ClassRegistration registration, ObjectMaker make);
    // The type library record written first when registering.
    void SetTypeLib(TypeLibRegistration lib) { typeLib_ = std::move(lib); }

    void Lock() { ++locks_; }
    void Unlock() { --locks_; }
    long locks() const { return locks_; }

    // The bodies of the exported entry points. modulePath is the library's
    // own file (ModulePathOf of one of its functions).
    HRESULT GetClassObject(const CLSID *clsid, const IID *iid, void **out);
    HRESULT CanUnloadNow() const { return locks_ == 0 ? S_OK : S_FALSE; }
    // The type library, then every class; stops at the first failure with
    // SELFREG_E_TYPELIB or SELFREG_E_CLASS.
    HRESULT RegisterServer(const std::string &modulePath);
    HRESULT UnregisterServer();

private:
    std::vector<Class> classes_;
    std::optional<TypeLibRegistration> typeLib_;
    std::atomic<long> locks_{0};
};

// The class object of one class: makes its objects, and holds the library
// while a client has locked it.
class ClassFactory : public ComObject<IClassFactory> {
public:
    ClassFactory(ServerModule &module, ObjectMaker make);
    HRESULT CreateInstance(IUnknown *outer, const IID &iid, void **out) override;
    HRESULT LockServer(BOOL lock) override;

protected:
    ~ClassFactory() override;

private:
    ServerModule &module_;
    ObjectMaker make_;
};
