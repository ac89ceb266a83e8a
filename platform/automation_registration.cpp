#include "platform/automation_registration.h"

#include "platform/registry.h"

#include <QFileInfo>

namespace {

// Sets the default value (empty name) or a named string value of a key
// below HKEY_CLASSES_ROOT, creating the key.
bool SetString(const std::string &keyPath, const char *valueName, const std::string &text)
{
    HKEY key = 0;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG e = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                                  DWORD(text.size() + 1));
    RegCloseKey(key);
    return e == ERROR_SUCCESS;
}

bool CreateKey(const std::string &keyPath)
{
    HKEY key = 0;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string GetDefault(const std::string &keyPath)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    char buf[512] = {};
    DWORD size = sizeof buf - 1, type = 0;
    const LONG e = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(buf), &size);
    RegCloseKey(key);
    return e == ERROR_SUCCESS && type == REG_SZ ? std::string(buf) : std::string();
}

// Removes a key with everything below it. True when it is gone (or was
// never there).
bool DeleteTree(const std::string &keyPath)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return true;
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    RegCloseKey(key);
    bool ok = true;
    for (const std::string &child : children)
        ok = DeleteTree(keyPath + "\\" + child) && ok;
    return RegDeleteKeyA(HKEY_CLASSES_ROOT, keyPath.c_str()) == ERROR_SUCCESS && ok;
}

// Removes a key that holds neither values nor subkeys.
void DeleteIfEmpty(const std::string &keyPath)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char name[256];
    DWORD length = sizeof name;
    const bool hasKey =
        RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    length = sizeof name;
    const bool hasValue =
        RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (!hasKey && !hasValue)
        RegDeleteKeyA(HKEY_CLASSES_ROOT, keyPath.c_str());
}

std::string TypeName(const ClassInfo &info) { return info.typeName.empty() ? info.className : info.typeName; }

} // namespace

HRESULT RegisterClassKeys(const ClassRegistration &reg, const std::string &modulePath)
{
    if (!reg.table || reg.table->info().clsid == GUID_NULL)
        return E_INVALIDARG;
    const ClassInfo &info = reg.table->info();
    const std::string clsid = GuidToString(info.clsid);
    const std::string base = "CLSID\\" + clsid;
    bool ok =
        SetString(base, nullptr, TypeName(info)) && SetString(base + "\\InprocServer32", nullptr, modulePath);
    if (ok && !reg.threadingModel.empty())
        ok = SetString(base + "\\InprocServer32", "ThreadingModel", reg.threadingModel);
    if (ok && !info.progId.empty())
        ok = SetString(base + "\\ProgID", nullptr, info.progId) &&
             SetString(info.progId, nullptr, TypeName(info)) &&
             SetString(info.progId + "\\CLSID", nullptr, clsid);
    if (ok && reg.insertable) {
        ok = CreateKey(base + "\\Insertable");
        if (ok && !info.progId.empty())
            ok = CreateKey(info.progId + "\\Insertable");
    }
    if (ok && reg.control) {
        ok = CreateKey(base + "\\Control") && SetString(base + "\\MiscStatus", nullptr, "0") &&
             SetString(base + "\\MiscStatus\\1", nullptr, std::to_string(reg.miscStatus));
        if (ok && reg.toolboxBitmap >= 0)
            ok = SetString(base + "\\ToolboxBitmap32", nullptr,
                           modulePath + ", " + std::to_string(reg.toolboxBitmap));
        if (ok && !(reg.typeLib == GUID_NULL))
            ok = SetString(base + "\\TypeLib", nullptr, GuidToString(reg.typeLib));
        if (ok && !reg.version.empty())
            ok = SetString(base + "\\Version", nullptr, reg.version);
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterClassKeys(const ClassRegistration &reg)
{
    if (!reg.table || reg.table->info().clsid == GUID_NULL)
        return E_INVALIDARG;
    const ClassInfo &info = reg.table->info();
    const std::string clsid = GuidToString(info.clsid);
    bool ok = DeleteTree("CLSID\\" + clsid);
    // Another class may have taken the ProgID since: leave it to that one.
    if (!info.progId.empty() && FoldName(GetDefault(info.progId + "\\CLSID")) == FoldName(clsid))
        ok = DeleteTree(info.progId) && ok;
    DeleteIfEmpty("CLSID");
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT RegisterTypeLibKeys(const TypeLibRegistration &lib, const std::string &modulePath)
{
    if (lib.libid == GUID_NULL || lib.version.empty())
        return E_INVALIDARG;
    const std::string libid = GuidToString(lib.libid);
    const std::string base = "TypeLib\\" + libid + "\\" + lib.version;
    const std::string folder = QFileInfo(QString::fromStdString(modulePath)).absolutePath().toStdString();
    bool ok = SetString(base, nullptr, lib.helpString) &&
              SetString(base + "\\0\\linux", nullptr, modulePath) &&
              SetString(base + "\\FLAGS", nullptr, "0") && SetString(base + "\\HELPDIR", nullptr, folder);
    for (const MemberTable *table : lib.classes) {
        if (!ok)
            break;
        const ClassInfo &info = table->info();
        if (info.dispatchIid == GUID_NULL)
            continue;
        const std::string key = "Interface\\" + GuidToString(info.dispatchIid);
        ok = SetString(key, nullptr, info.interfaceName.empty() ? info.className : info.interfaceName) &&
             SetString(key + "\\TypeLib", nullptr, libid) &&
             SetString(key + "\\TypeLib", "Version", lib.version);
    }
    return ok ? S_OK : SELFREG_E_TYPELIB;
}

HRESULT UnregisterTypeLibKeys(const TypeLibRegistration &lib)
{
    if (lib.libid == GUID_NULL || lib.version.empty())
        return E_INVALIDARG;
    const std::string libid = GuidToString(lib.libid);
    bool ok = true;
    for (const MemberTable *table : lib.classes) {
        const ClassInfo &info = table->info();
        if (info.dispatchIid == GUID_NULL)
            continue;
        const std::string key = "Interface\\" + GuidToString(info.dispatchIid);
        if (FoldName(GetDefault(key + "\\TypeLib")) == FoldName(libid))
            ok = DeleteTree(key) && ok;
    }
    ok = DeleteTree("TypeLib\\" + libid + "\\" + lib.version) && ok;
    DeleteIfEmpty("TypeLib\\" + libid);
    DeleteIfEmpty("TypeLib");
    DeleteIfEmpty("Interface");
    return ok ? S_OK : SELFREG_E_TYPELIB;
}
