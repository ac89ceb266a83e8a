#include "editor/shell/main/first_run.h"

#include "editor/shell/support/messages.h"
#include "editor/shell/support/reg_link.h"

#include "platform/automation_server.h"
#include "platform/module.h"

#include <algorithm>
#include <filesystem>

std::string RegisteredServerOf(const CLSID &controlClass)
{
    const TRegLink server(HKEY_CLASSES_ROOT, "\\CLSID\\" + GuidToString(controlClass) + "\\InprocServer32");
    return server.GetString("", "");
}

TRegistrationResult EnsureControlRegistered(const CLSID &controlClass,
                                            const std::vector<std::string> &candidates)
{
    std::error_code ec;
    const std::string registered = RegisteredServerOf(controlClass);
    if (!registered.empty() && std::filesystem::is_regular_file(registered, ec))
        return TRegistrationResult::AlreadyRegistered;

    const auto found = std::find_if(candidates.begin(), candidates.end(), [&](const std::string &file) {
        return !file.empty() && std::filesystem::is_regular_file(file, ec);
    });
    if (found == candidates.end()) {
        ErrorMessage("Unable to find the map control library (libKrtMap.so).");
        return TRegistrationResult::Failed;
    }
    const HMODULE library = LoadLibraryA(found->c_str());
    if (!library) {
        ErrorMessage("Unable to load the map control library (" + *found + ").");
        return TRegistrationResult::Failed;
    }
    const auto registerServer =
        reinterpret_cast<DllRegisterServerFunction>(GetProcAddress(library, "DllRegisterServer"));
    const bool ok = registerServer && SUCCEEDED(registerServer());
    // The library stays loaded: the automation layer makes the controls
    // from it next, and unloading a Qt library mid-run is not safe.
    if (!ok) {
        ErrorMessage("Unable to register the map control (" + *found + ").");
        return TRegistrationResult::Failed;
    }
    return TRegistrationResult::Registered;
}

std::vector<std::string> EnsureProjectionModules(const std::vector<std::string> &moduleFiles)
{
    const TRegLink key(HKEY_CURRENT_USER, kProjectionsKey);
    std::vector<std::string> listed;
    for (const std::string &name : key.ValueNames()) {
        // Values of another type than text name nothing the engine loads.
        const std::string file = key.GetString(name, "");
        if (!file.empty())
            listed.push_back(file);
    }
    std::vector<std::string> added;
    for (const std::string &file : moduleFiles) {
        if (file.empty() || std::find(listed.begin(), listed.end(), file) != listed.end())
            continue;
        if (key.WriteString(file, file)) {
            listed.push_back(file);
            added.push_back(file);
        }
    }
    return added;
}
