// Creation of objects by class id or ProgID: the class is looked up under
// HKEY_CLASSES_ROOT (ProgIDs in any case), its registered library is loaded
// (and never unmapped, so the objects and types it made stay valid), and the
// library's DllGetClassObject gives the class object that makes it.
#pragma once

#include "platform/automation_server.h"

#include <string_view>

// CO_E_CLASSSTRING when the ProgID is not registered or names no class id.
HRESULT CLSIDFromProgID(std::string_view progId, CLSID *out);
// The class object of a registered class: REGDB_E_CLASSNOTREG when the class
// id is not registered, CO_E_DLLNOTFOUND when its library cannot be loaded,
// CO_E_ERRORINDLL when it exports no DllGetClassObject.
HRESULT CoGetClassObject(const CLSID &clsid, const IID &iid, void **out);
HRESULT CoCreateInstance(const CLSID &clsid, IUnknown *outer, const IID &iid, void **out);
// By ProgID, or by class id in its braced text form.
HRESULT CreateObject(std::string_view progIdOrClsid, const IID &iid, void **out);
// Asks each loaded server library whether it can go (DllCanUnloadNow) and
// forgets those that answer S_OK; they stay mapped.
void CoFreeUnusedLibraries();
// How many server libraries are loaded now.
size_t LoadedServerCount();
