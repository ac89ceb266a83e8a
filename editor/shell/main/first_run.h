// What the editor makes sure of at every start, as its first run would:
// the map control's class is registered (its library's DllRegisterServer
// runs when the class is missing from HKEY_CLASSES_ROOT or names a library
// that is gone), and the engine's "Projections" key lists the projection
// modules the build makes, since the engine loads only listed modules.
#pragma once

#include "platform/automation_guid.h"

#include <string>
#include <vector>

enum class TRegistrationResult {
    AlreadyRegistered,
    Registered,
    Failed, // a message was shown; the editor cannot host maps
};

// candidates: the control library's possible files, in the order tried
// (beside the program, then the build tree). The first one that exists is
// loaded and registered. A missing, unloadable or failing library shows an
// error box naming it.
TRegistrationResult EnsureControlRegistered(const CLSID &controlClass,
                                            const std::vector<std::string> &candidates);

// The library file the class is registered with, empty when none.
std::string RegisteredServerOf(const CLSID &controlClass);

// Adds each module file name (relative to the engine library's modules
// folder) that no string value of "Projections" under the engine key names;
// the value's name is the file name. Returns the names added.
std::vector<std::string> EnsureProjectionModules(const std::vector<std::string> &moduleFiles);

// The key the engine reads its projection modules from (current user).
inline constexpr const char *kProjectionsKey = "\\Software\\KRT\\GORM 8.0\\Projections";
