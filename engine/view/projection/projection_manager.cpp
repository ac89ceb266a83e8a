#include "engine/view/projection/projection_manager.h"

#include "engine/view/projection/unit_table.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/registry.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr const char *kDummyText = "ProjMan_DUMMY:\n this function should not be called\n it is called "
                                   "because a proper function\n was not found";
constexpr const char *kBindWarning = "error loading function from projection dll";
constexpr const char *kNoModuleName = "can't find module name";

// One placeholder per entry signature, so that a call through a slot never
// goes to a function of another signature.
int32_t DummyConvert(HGLOBAL, const MAP_COORDPT *, MAP_COORDPT *, int32_t) { return ProjMan_dummy(); }
int32_t DummySetup(HWND, HGLOBAL) { return ProjMan_dummy(); }
HGLOBAL DummyConstructor() { return HGLOBAL(ProjMan_dummy()); }
int32_t DummyDestructor(HGLOBAL) { return ProjMan_dummy(); }
int32_t DummyIdentify(char *, int32_t) { return ProjMan_dummy(); }
int32_t DummySetScale(HGLOBAL, double, int32_t) { return ProjMan_dummy(); }
int32_t DummyGetProjInfo(HGLOBAL, tagProjInfo *) { return ProjMan_dummy(); }
int32_t DummyStringBasedSetup(HGLOBAL, const char *) { return ProjMan_dummy(); }

template <typename Proc>
bool Bind(HMODULE lib, const char *name, Proc *slot)
{
    FARPROC p = GetProcAddress(lib, name);
    if (!p)
        return false;
    *slot = reinterpret_cast<Proc>(p);
    return true;
}

std::string BareFileName(const std::string &path)
{
    const size_t sep = path.find_last_of("/\\");
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

bool IsBareFileName(const std::string &name)
{
    return !name.empty() && name.find_first_of("/\\") == std::string::npos && name != "." && name != "..";
}

// The file name each loaded module was loaded by, so that a copy reloads the
// same module by name (a module's own path may be longer than any buffer).
class LoadedModuleNames {
public:
    void Remember(HMODULE lib, const std::string &fileName)
    {
        std::lock_guard lock(mutex_);
        names_[lib] = fileName;
    }
    std::string Find(HMODULE lib)
    {
        std::lock_guard lock(mutex_);
        const auto it = names_.find(lib);
        return it == names_.end() ? std::string() : it->second;
    }

private:
    std::mutex mutex_;
    std::map<HMODULE, std::string> names_;
};

LoadedModuleNames &ModuleNames()
{
    static LoadedModuleNames names;
    return names;
}

// Loads a module by its bare file name from the modules folder into the
// record, but only when it is registered and binds all ten entries: a module
// that lacks one is freed again and the record is left as it was.
int LoadModuleByName(const std::string &name, ProjectionTag *tag)
{
    if (!IsRegisteredProjectionModule(name))
        return 0;
    const HMODULE lib = LoadLibraryA((ProjectionModulesFolder() + name).c_str());
    if (!lib)
        return 0;
    ProjectionTag bound{};
    ProjMan_InitProjection(&bound);
    bound.hLib = lib;
    if (!ProjMan_SetProjectionDynamicFunctions(&bound)) { // warns
        FreeLibrary(lib);
        return 0;
    }
    ModuleNames().Remember(lib, name);
    ProjMan_FreeProjection(tag);
    tag->hLib = lib;
    tag->Forward = bound.Forward;
    tag->Backward = bound.Backward;
    tag->Setup = bound.Setup;
    tag->Constructor = bound.Constructor;
    tag->Destructor = bound.Destructor;
    tag->Identify = bound.Identify;
    tag->SetForwardScale = bound.SetForwardScale;
    tag->SetBackwardScale = bound.SetBackwardScale;
    tag->GetProjInfo = bound.GetProjInfo;
    tag->StringBasedSetup = bound.StringBasedSetup;
    tag->hInstanceData = tag->Constructor();
    tag->reserved[0] = tag->reserved[1] = 0;
    return 1;
}

// Opens the "Projections" key under the current user, else the machine.
HKEY OpenProjectionsKey()
{
    const std::string path = std::string(kEngineSettingsKey) + "\\" + kProjectionsSubkey;
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS)
        return key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS)
        return key;
    return 0;
}

// The registered module file names, in the order of the key's values.
std::vector<std::string> RegisteredModules()
{
    std::vector<std::string> names;
    const HKEY key = OpenProjectionsKey();
    if (!key)
        return names;
    for (DWORD i = 0;; ++i) {
        char valueName[128];
        DWORD nameLength = sizeof valueName;
        DWORD type = 0;
        BYTE data[261];
        DWORD dataSize = 260;
        const LONG e = RegEnumValueA(key, i, valueName, &nameLength, nullptr, &type, data, &dataSize);
        if (e == ERROR_NO_MORE_ITEMS || e == ERROR_INVALID_HANDLE || e == ERROR_KEY_DELETED)
            break;
        if (e != ERROR_SUCCESS || type != REG_SZ)
            continue; // too long, or not a string
        data[dataSize] = 0;
        const std::string file(reinterpret_cast<const char *>(data));
        if (IsBareFileName(file))
            names.push_back(file);
    }
    RegCloseKey(key);
    return names;
}

} // namespace

std::string ProjectionModulesFolder()
{
    // The environment names another folder for tests and relocated installs;
    // a document never does.
    if (const char *env = std::getenv("MAP_MODULES_DIR"); env && *env) {
        std::string folder = env;
        return folder.back() == '/' ? folder : folder + '/';
    }
    // Beside the engine library; a program linked with the engine's parts
    // directly (the tests) finds the library folder next to its own.
    const std::string own = ModuleFolderOf(reinterpret_cast<const void *>(&ProjMan_LoadProjection));
    if (own.empty())
        return {};
    std::error_code ec;
    for (const char *relative : {"modules", "../lib/modules"})
        if (std::filesystem::is_directory(own + relative, ec))
            return own + relative + "/";
    return own + "modules/";
}

bool IsRegisteredProjectionModule(const std::string &fileName)
{
    if (!IsBareFileName(fileName))
        return false;
    for (const std::string &name : RegisteredModules())
        if (name == fileName)
            return true;
    return false;
}

int ProjMan_InitProjection(ProjectionTag *tag)
{
    tag->hLib = 0;
    tag->hInstanceData = 0;
    tag->reserved[0] = tag->reserved[1] = 0;
    return ProjMan_SetInternalDynamicFunctions(tag);
}

int ProjMan_SetInternalDynamicFunctions(ProjectionTag *tag)
{
    tag->Forward = DummyConvert;
    tag->Backward = DummyConvert;
    tag->Setup = DummySetup;
    tag->Constructor = DummyConstructor;
    tag->Destructor = DummyDestructor;
    tag->Identify = DummyIdentify;
    tag->SetForwardScale = DummySetScale;
    tag->SetBackwardScale = DummySetScale;
    tag->GetProjInfo = DummyGetProjInfo;
    tag->StringBasedSetup = DummyStringBasedSetup;
    return 1;
}

void ProjMan_SetDefaultUnits(ProjectionTag *tag)
{
    tag->baseKind = CS_CARTESIAN;
    tag->baseUnit = 4;
    tag->baseDatum = 43;
    tag->transformedKind = CS_CARTESIAN;
    tag->transformedUnit = 4;
    tag->transformedDatum = 43;
    tag->areaUnit = 20;
    tag->lengthUnit = 5;
}

int ProjMan_LoadProjection(const char *path, ProjectionTag *tag)
{
    // A path comes from a document or a dialog: only its file name counts,
    // and only a registered module in the modules folder is ever loaded.
    if (!path || !tag)
        return 0;
    return LoadModuleByName(BareFileName(path), tag);
}

std::string ProjectionModuleFileName(const ProjectionTag *tag)
{
    return tag && tag->hLib ? ModuleNames().Find(tag->hLib) : std::string();
}

int ProjMan_FreeProjection(ProjectionTag *tag)
{
    if (tag->hLib) {
        tag->Destructor(tag->hInstanceData);
        FreeLibrary(tag->hLib);
        ProjMan_InitProjection(tag);
    }
    return 1;
}

int ProjMan_SetProjectionDynamicFunctions(ProjectionTag *tag)
{
    const HMODULE lib = tag->hLib;
    const char *const *n = kProjectionEntryNames;
    bool all = true;
    all &= Bind(lib, n[0], &tag->Forward);
    all &= Bind(lib, n[1], &tag->Backward);
    all &= Bind(lib, n[2], &tag->Setup);
    all &= Bind(lib, n[3], &tag->Constructor);
    all &= Bind(lib, n[4], &tag->Destructor);
    all &= Bind(lib, n[5], &tag->Identify);
    all &= Bind(lib, n[6], &tag->SetForwardScale);
    all &= Bind(lib, n[7], &tag->SetBackwardScale);
    all &= Bind(lib, n[8], &tag->GetProjInfo);
    all &= Bind(lib, n[9], &tag->StringBasedSetup);
    if (!all) {
        ProjMan_Warning(kBindWarning);
        return 0;
    }
    return 1;
}

int ProjMan_SetBackwardAndForwardFunctions(ProjectionTag *tag)
{
    if (tag->hLib)
        ProjMan_SetProjectionDynamicFunctions(tag);
    const bool baseSpheric = tag->baseKind & CS_SPHERIC;
    const bool transformedSpheric = tag->transformedKind & CS_SPHERIC;
    if (!baseSpheric && transformedSpheric) {
        std::swap(tag->Forward, tag->Backward);
        return 0;
    }
    return 1;
}

int ProjMan_UpdateScales(ProjectionTag *tag, int notExchanged)
{
    if (!tag->hLib)
        return 1;
    const tagUnitInfo *base = FindUnitInfo(tag->baseUnit);
    const tagUnitInfo *transformed = FindUnitInfo(tag->transformedUnit);
    // The forward scale is for the side before the module's Forward and the
    // backward scale for the side after it; after an exchange the two systems
    // change sides, and each datum goes with its system's unit, so that a
    // module shifting between the datums shifts the right way.
    const tagUnitInfo *forwardUnit = notExchanged ? base : transformed;
    const tagUnitInfo *backwardUnit = notExchanged ? transformed : base;
    const int32_t forwardDatum = notExchanged ? tag->baseDatum : tag->transformedDatum;
    const int32_t backwardDatum = notExchanged ? tag->transformedDatum : tag->baseDatum;
    if (forwardUnit)
        tag->SetForwardScale(tag->hInstanceData, 1.0 / forwardUnit->factor, forwardDatum);
    if (backwardUnit)
        tag->SetBackwardScale(tag->hInstanceData, backwardUnit->factor, backwardDatum);
    return 1;
}

int ProjMan_CopyProjection(ProjectionTag *destination, const ProjectionTag *source)
{
    int result = 1;
    if (!source->hLib) {
        ProjMan_FreeProjection(destination);
    } else {
        // Reloaded by the name it was loaded by, through the same checks as
        // every load, never by a path read back from the loaded module.
        const std::string name = ProjectionModuleFileName(source);
        if (name.empty()) {
            ProjMan_Warning(kNoModuleName);
            result = 0;
        } else {
            result = LoadModuleByName(name, destination);
            if (result && source->hInstanceData && destination->hInstanceData) {
                const void *from = GlobalLock(source->hInstanceData);
                void *to = GlobalLock(destination->hInstanceData);
                if (from && to)
                    std::memcpy(
                        to, from,
                        std::min(GlobalSize(destination->hInstanceData), GlobalSize(source->hInstanceData)));
                GlobalUnlock(source->hInstanceData);
                GlobalUnlock(destination->hInstanceData);
            }
        }
    }
    destination->baseKind = source->baseKind;
    destination->baseUnit = source->baseUnit;
    destination->baseDatum = source->baseDatum;
    destination->transformedKind = source->transformedKind;
    destination->transformedUnit = source->transformedUnit;
    destination->transformedDatum = source->transformedDatum;
    destination->areaUnit = source->areaUnit;
    destination->lengthUnit = source->lengthUnit;
    return result;
}

int ProjMan_Setup(HWND parent, ProjectionTag *tag) { return tag->Setup(parent, tag->hInstanceData); }

int ProjMan_Identify(ProjectionTag *tag, char *buffer, int length) { return tag->Identify(buffer, length); }

int ProjMan_GetProjInfo(ProjectionTag *tag, tagProjInfo *info)
{
    return tag->GetProjInfo(tag->hInstanceData, info);
}

int ProjMan_Warning(const char *text)
{
    MessageBoxA(0, text, kProjectionWarningCaption, MB_OK);
    return 1;
}

int ProjMan_dummy()
{
    ProjMan_Warning(kDummyText);
    return 0;
}

HGLOBAL ProjMan_GetProjectionList()
{
    std::string list;
    const std::string folder = ProjectionModulesFolder();
    for (const std::string &file : RegisteredModules()) {
        ProjectionTag scratch{};
        ProjMan_InitProjection(&scratch);
        const std::string full = folder + file;
        if (!LoadModuleByName(file, &scratch))
            continue;
        char name[261] = {};
        if (scratch.Identify(name, 260)) {
            name[260] = 0;
            list += name;
            list += '\0';
            list += full;
            list += '\0';
        }
        ProjMan_FreeProjection(&scratch);
    }
    if (list.empty())
        return 0;
    const HGLOBAL block = GlobalAlloc(GHND, list.size() + 1);
    if (!block)
        return 0;
    auto *p = static_cast<char *>(GlobalLock(block));
    std::memcpy(p, list.data(), list.size());
    GlobalUnlock(block);
    return block;
}
