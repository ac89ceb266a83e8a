#include "editor/shell/support/reg_link.h"

#include "editor/shell/support/messages.h"
#include "platform/text_codec.h"

#include <QString>

#include <pwd.h>
#include <unistd.h>

namespace {

// The platform's paths carry no leading backslash.
std::string PlatformPath(const std::string &key)
{
    size_t start = 0;
    while (start < key.size() && key[start] == '\\')
        ++start;
    return key.substr(start);
}

// An open key, closed when it goes.
class OpenKey {
public:
    ~OpenKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    enum Mode { Read, Change, Create };
    bool Open(HKEY hive, const std::string &path, Mode mode)
    {
        const std::string sub = PlatformPath(path);
        if (mode == Create)
            return RegCreateKeyExA(hive, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                   nullptr, &key_, nullptr) == ERROR_SUCCESS;
        return RegOpenKeyExA(hive, sub.c_str(), 0, mode == Read ? KEY_READ : KEY_ALL_ACCESS, &key_) ==
               ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = 0;
};

// Deletes a key's subkeys, then the key.
bool DeleteTree(HKEY parent, const std::string &sub)
{
    HKEY key = 0;
    if (RegOpenKeyExA(parent, sub.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    bool ok = true;
    for (const std::string &child : children)
        ok = DeleteTree(key, child) && ok;
    RegCloseKey(key);
    return ok && RegDeleteKeyA(parent, sub.c_str()) == ERROR_SUCCESS;
}

std::string AccountFullName()
{
    const passwd *pw = getpwuid(getuid());
    if (!pw)
        return {};
    std::string gecos = pw->pw_gecos ? pw->pw_gecos : "";
    gecos = gecos.substr(0, gecos.find(','));
    const std::string name = gecos.empty() ? std::string(pw->pw_name ? pw->pw_name : "") : gecos;
    return ToWindows1252(QString::fromLocal8Bit(name.c_str()));
}

} // namespace

TRegLink::TRegLink(HKEY hive, std::string key)
{
    SetHive(hive);
    SetKey(std::move(key));
}

void TRegLink::SetHive(HKEY hive)
{
    hive_ = hive;
    if (!key_.empty())
        Validate();
}

void TRegLink::SetKey(std::string key)
{
    key_ = std::move(key);
    if (hive_ != 0)
        Validate();
}

void TRegLink::Validate() const
{
    if (hive_ < HKEY_CLASSES_ROOT || hive_ > HKEY_DYN_DATA)
        InfoMessage("Hive value out of range.");
    else if (key_.empty())
        InfoMessage("Key has not been initialised.");
    else if (key_.front() != '\\')
        InfoMessage("Key does not begin with \"\\\".");
    else if (key_.back() == '\\')
        InfoMessage("Key must not end with \"\\\" (Win95).");
}

bool TRegLink::WriteString(const std::string &name, const std::string &value) const
{
    OpenKey key;
    if (!key.Open(hive_, key_, OpenKey::Create))
        return false;
    RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                   DWORD(value.size() + 1));
    return true;
}

bool TRegLink::WriteInteger(const std::string &name, int32_t value) const
{
    OpenKey key;
    if (!key.Open(hive_, key_, OpenKey::Create))
        return false;
    const DWORD data = DWORD(value);
    RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data), sizeof data);
    return true;
}

bool TRegLink::ReadString(const std::string &name, std::string &value, const std::string &defaultValue) const
{
    value = defaultValue;
    OpenKey key;
    if (!key.Open(hive_, key_, OpenKey::Read))
        return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return true;
    std::string data(size, '\0');
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data.data()),
                         &size) != ERROR_SUCCESS)
        return true;
    data.resize(size);
    value = data.substr(0, data.find('\0'));
    return true;
}

std::string TRegLink::GetString(const std::string &name, const std::string &defaultValue) const
{
    std::string value;
    ReadString(name, value, defaultValue);
    return value;
}

bool TRegLink::ReadInteger(const std::string &name, int32_t &value, int32_t defaultValue) const
{
    value = defaultValue;
    OpenKey key;
    if (!key.Open(hive_, key_, OpenKey::Read))
        return false;
    DWORD type = 0, data = 0, size = sizeof data;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&data), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof data)
        value = int32_t(data);
    return true;
}

int32_t TRegLink::GetInteger(const std::string &name, int32_t defaultValue) const
{
    int32_t value = 0;
    ReadInteger(name, value, defaultValue);
    return value;
}

std::vector<std::string> TRegLink::ValueNames() const
{
    std::vector<std::string> names;
    OpenKey key;
    if (!key.Open(hive_, key_, OpenKey::Read))
        return names;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD length = sizeof name;
        if (RegEnumValueA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

bool TRegLink::KeyExists() const
{
    OpenKey key;
    return key.Open(hive_, key_, OpenKey::Read);
}

bool TRegLink::DeleteKey() const
{
    const std::string sub = PlatformPath(key_);
    // The root itself is never deleted.
    return !sub.empty() && DeleteTree(hive_, sub);
}

bool TRegLink::DeleteValue(const std::string &name) const
{
    OpenKey key;
    if (!key.Open(hive_, key_, OpenKey::Change))
        return false;
    return RegDeleteValueA(key.get(), name.c_str()) == ERROR_SUCCESS;
}

TWindowsReg::TWindowsReg() : TRegLink(HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Windows NT\\CurrentVersion")
{
}

std::string TWindowsReg::RegisteredOwner() const
{
    const std::string owner = GetString("RegisteredOwner", "");
    return owner.empty() ? AccountFullName() : owner;
}

std::string TWindowsReg::RegisteredOrganisation() const { return GetString("RegisteredOrganisation", ""); }

TCOMRegistration::TCOMRegistration(std::string progId) : progId_(std::move(progId))
{
    SetHive(HKEY_CLASSES_ROOT);
    clsid_ = ReadDefault("\\" + progId_ + "\\CLSID", "Not Found");
    registered_ = clsid_ != "Not Found";
    classProgId_ = ReadDefault("\\CLSID\\" + clsid_ + "\\ProgID", "[Not Found]");
    inprocServer_ = ReadDefault("\\CLSID\\" + clsid_ + "\\InprocServer32", "[Not Found]");
    version_ = ReadDefault("\\CLSID\\" + clsid_ + "\\Version", "[Not Found]");
    typeLib_ = ReadDefault("\\CLSID\\" + clsid_ + "\\TypeLib", "[Not Found]");
}

std::string TCOMRegistration::ReadDefault(const std::string &key, const std::string &missing)
{
    SetKey(key);
    std::string value;
    ReadString("", value, missing);
    return value;
}

TSKWRegistration::TSKWRegistration() : TCOMRegistration("SkerrowExgAuto.DataStore") {}

TXceedRegistration::TXceedRegistration() : TCOMRegistration("XceedSoftware.XceedZip.4") {}
