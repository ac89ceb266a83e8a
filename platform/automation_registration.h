// Self-registration: the keys under HKEY_CLASSES_ROOT that make a class
// creatable by class id and ProgID, written from its class description, and
// their removal. Unregistering removes exactly what registering wrote: the
// class's own keys, and a container key ("CLSID", "Interface", "TypeLib")
// only when nothing else is left in it.
#pragma once

#include "platform/automation_dispatch.h"

#include <string>
#include <vector>

// What a class registers besides its class id and ProgID.
struct ClassRegistration {
    const MemberTable *table = nullptr;
    std::string threadingModel = "Apartment";
    // Controls: the "Control" mark, the miscellaneous status, the tool-box
    // bitmap and the type library with its version.
    bool control = false;
    bool insertable = false;
    DWORD miscStatus = 0;
    int toolboxBitmap = -1; // resource number; none when negative
    GUID typeLib = GUID_NULL;
    std::string version = {}; // as "2.7"
};

// A type library written from member tables instead of a binary one: the
// library's key, and each class's dispatch interface pointing at it.
struct TypeLibRegistration {
    GUID libid = GUID_NULL;
    std::string version = {}; // as "2.8"
    std::string helpString = {};
    std::string helpFile = {};
    std::vector<const MemberTable *> classes = {};
};

// modulePath is the library file that serves the class. E_INVALIDARG for a
// class without a class id; SELFREG_E_CLASS when the registry cannot be
// written.
HRESULT RegisterClassKeys(const ClassRegistration &reg, const std::string &modulePath);
// S_OK also when the class was not registered. A ProgID key is removed only
// when it names this class.
HRESULT UnregisterClassKeys(const ClassRegistration &reg);

HRESULT RegisterTypeLibKeys(const TypeLibRegistration &lib, const std::string &modulePath);
HRESULT UnregisterTypeLibKeys(const TypeLibRegistration &lib);
