// A registry and a modules folder of a test's own: the product's modules
// and the test modules are linked into a temporary folder, and those named
// are registered under "Projections".
#pragma once

#include "engine/view/projection/projection_manager.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "test_paths.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class ModuleSandbox {
public:
    ModuleSandbox()
    {
        setenv("MAP_REGISTRY_DIR", registry_.path().toLocal8Bit().constData(), 1);
        setenv("MAP_MODULES_DIR", modules_.path().toLocal8Bit().constData(), 1);
        for (const char *name : {"tm.so", "utm.so"})
            Link(std::string(MAP_MODULES_DIR) + "/" + name);
#ifdef MAP_TEST_MODULES_DIR
        for (const char *name : {"recording.so", "recording_no_setup.so"})
            Link(std::string(MAP_TEST_MODULES_DIR) + "/" + name);
#endif
        previousHook_ = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r);
            return IDOK;
        });
    }
    ~ModuleSandbox()
    {
        SetMessageBoxHook(previousHook_);
        unsetenv("MAP_MODULES_DIR");
        unsetenv("MAP_REGISTRY_DIR");
    }

    // Adds a value under the current user's "Projections" key.
    void Register(const std::string &valueName, const std::string &data, DWORD type = REG_SZ)
    {
        HKEY key = 0;
        const std::string path = std::string(kEngineSettingsKey) + "\\" + kProjectionsSubkey;
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegSetValueExA(key, valueName.c_str(), 0, type, reinterpret_cast<const BYTE *>(data.c_str()),
                       DWORD(data.size() + 1));
        RegCloseKey(key);
    }
    std::string modulesFolder() const { return modules_.path().toStdString() + "/"; }

    std::vector<MessageBoxRequest> boxes;

private:
    void Link(const std::string &target)
    {
        std::filesystem::create_symlink(target,
                                        modulesFolder() + std::filesystem::path(target).filename().string());
    }
    QTemporaryDir registry_;
    QTemporaryDir modules_;
    MessageBoxHook previousHook_;
};
