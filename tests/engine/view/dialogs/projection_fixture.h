// A map window whose registry lists the dialog tests' projection modules,
// linked into a modules folder of the test's own, with the dialog and
// message-box hooks answered by the test.
#pragma once

// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "engine/kernel/module_startup.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "tests/engine/window/window_fixture.h"

#include "engine/view/dialogs/projections_dialog.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/registry.h"

#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

class ProjectionDialogTest : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(MapLibraryStartup(), 1);
        AttachedMapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        setenv("MAP_MODULES_DIR", modules_.path().toLocal8Bit().constData(), 1);
        for (const char *name : {"dlg_datum_shift", "dlg_no_inversion", "dlg_dansk", "dlg_spheric"}) {
            const std::string file = std::string(name) + ".so";
            std::filesystem::create_symlink(std::string(MAP_DIALOG_MODULES_DIR) + "/" + file,
                                            modules_.path().toStdString() + "/" + file);
            registerModule(name, file);
        }
        oldBoxHook_ = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r);
            return IDOK;
        });
        SetModalDialogHook([this](QDialog &d, int id) {
            shown.push_back(id);
            auto it = answers.find(id);
            return it == answers.end() ? IDCANCEL : it->second(d);
        });
        view = &rec.displayView->projection;
    }
    void TearDown() override
    {
        SetModalDialogHook({});
        SetMessageBoxHook(oldBoxHook_);
        unsetenv("MAP_MODULES_DIR");
        AttachedMapWindowTest::TearDown();
    }

    void registerModule(const std::string &value, const std::string &file)
    {
        HKEY key = 0;
        const std::string path = std::string(kEngineSettingsKey) + "\\" + kProjectionsSubkey;
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegSetValueExA(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(file.c_str()),
                       DWORD(file.size() + 1));
        RegCloseKey(key);
    }

    std::string modulePath(const char *name) const
    {
        return modules_.path().toStdString() + "/" + name + ".so";
    }

    static int click(QDialog &d, int id)
    {
        DialogItemAs<QPushButton>(&d, id)->click();
        return d.result();
    }

    std::map<int, std::function<int(QDialog &)>> answers;
    std::vector<int> shown;
    std::vector<MessageBoxRequest> boxes;
    ProjectionTag *view = nullptr;

private:
    QTemporaryDir modules_;
    MessageBoxHook oldBoxHook_;
};
