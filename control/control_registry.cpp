#include "control/control_registry.h"

#include "engine/kernel/settings.h"
#include "platform/registry.h"

#include <string>
#include <vector>

namespace {

class OpenKey {
public:
    OpenKey(const SettingsRegKey &key, const char *subkey)
    {
        const std::string path = key.path + "\\" + subkey;
        if (RegCreateKeyExA(key.root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &handle_, nullptr) != ERROR_SUCCESS)
            handle_ = 0;
    }
    ~OpenKey()
    {
        if (handle_)
            RegCloseKey(handle_);
    }
    OpenKey(const OpenKey &) = delete;
    OpenKey &operator=(const OpenKey &) = delete;
    HKEY get() const { return handle_; }

private:
    HKEY handle_ = 0;
};

} // namespace

int ControlRegValueGet(const SettingsRegKey *key, const char *subkey, const char *name, void *data,
                       DWORD size)
{
    if (!key || !subkey || !name || !data)
        return 0;
    const OpenKey k(*key, subkey);
    if (!k.get())
        return 0;
    DWORD type = REG_NONE;
    DWORD stored = 0;
    if (RegQueryValueExA(k.get(), name, nullptr, &type, nullptr, &stored) != ERROR_SUCCESS)
        return 0;
    if (size == 0) {
        if (type != REG_DWORD || stored != sizeof(DWORD))
            return 0;
        DWORD length = sizeof(DWORD);
        return RegQueryValueExA(k.get(), name, nullptr, &type, static_cast<BYTE *>(data), &length) ==
               ERROR_SUCCESS;
    }
    if (type != REG_BINARY)
        return 0;
    // The value is read whole into a buffer of its own size, and only as much
    // as the caller's buffer holds is handed on.
    std::vector<BYTE> whole(stored);
    DWORD length = stored;
    if (RegQueryValueExA(k.get(), name, nullptr, &type, whole.data(), &length) != ERROR_SUCCESS)
        return 0;
    std::copy_n(whole.begin(), std::min<DWORD>(length, size), static_cast<BYTE *>(data));
    return 1;
}

int ControlRegValueSet(const SettingsRegKey *key, const char *subkey, const char *name, const void *data,
                       int byteForm)
{
    if (!key || !subkey || !name || !data)
        return 0;
    const OpenKey k(*key, subkey);
    if (!k.get())
        return 0;
    const DWORD type = byteForm ? REG_BINARY : REG_DWORD;
    const DWORD length = byteForm ? 8 : 4;
    return RegSetValueExA(k.get(), name, 0, type, static_cast<const BYTE *>(data), length) == ERROR_SUCCESS;
}
