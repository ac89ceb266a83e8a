// Classes the platform serves itself, as the system's own registered
// classes: found by class id and by ProgID (in any case) before the
// registry is asked. The standard font object is one.
#pragma once

#include "platform/automation_server.h"

#include <string_view>

// The class object of a system class; CLASS_E_CLASSNOTAVAILABLE when the
// class id is not one.
HRESULT SystemClassObject(const CLSID &clsid, const IID &iid, void **out);
// True, with the class id, when the ProgID names a system class.
bool SystemClassFromProgId(std::string_view progId, CLSID *out);
