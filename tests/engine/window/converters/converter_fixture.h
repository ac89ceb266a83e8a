// What the converter service's tests share: a modules folder of their own
// (MAP_MODULES_DIR) filled with the stub converters under chosen names, the
// stubs' call log, the registry values of converters, and the message boxes
// shown.
#pragma once

#include "engine/kernel/settings.h"
#include "engine/window/converters/converter_table.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "test_paths.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class ConverterFolders {
public:
    ConverterFolders()
    {
        modules_ = dir_.path().toStdString() + "/modules/";
        std::filesystem::create_directories(modules_);
        setenv("MAP_MODULES_DIR", modules_.c_str(), 1);
        setenv("STUB_CONVERTER_LOG", logPath().c_str(), 1);
        previous_ = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            messages.push_back(r);
            return IDOK;
        });
    }
    ~ConverterFolders()
    {
        SetMessageBoxHook(previous_);
        unsetenv("MAP_MODULES_DIR");
        unsetenv("STUB_CONVERTER_LOG");
    }

    const std::string &Modules() const { return modules_; }
    std::string logPath() const { return dir_.path().toStdString() + "/calls.log"; }
    std::string Path(const std::string &name) const { return dir_.path().toStdString() + "/" + name; }

    // Copies the stub of that behaviour ("full", "plain", "noentry") into the
    // modules folder under the file name given.
    void Install(const std::string &stub, const std::string &as) const
    {
        const QString from =
            QString::fromStdString(std::string(MAP_MODULES_DIR) + "/test_converters/stub_" + stub + ".cnv");
        ASSERT_TRUE(QFile::copy(from, QString::fromStdString(modules_ + as))) << from.toStdString();
    }
    // Copies one of the engine's own modules ("miff.cnv") into the folder.
    void InstallBuilt(const std::string &name) const
    {
        const QString from = QString::fromStdString(std::string(MAP_MODULES_DIR) + "/" + name);
        ASSERT_TRUE(QFile::copy(from, QString::fromStdString(modules_ + name))) << from.toStdString();
    }
    static void Register(ConverterKind kind, const std::string &name, const std::string &value)
    {
        ASSERT_TRUE(RegStringSet(ConvertersKeyPath(kind), name.c_str(), value.c_str()));
    }
    static std::string Current(ConverterKind kind)
    {
        char text[256] = {};
        RegStringGet("Converters", CurrentConverterValue(kind), text, sizeof text);
        return text;
    }
    // The stubs' calls so far, one line each.
    std::vector<std::string> Calls() const
    {
        std::vector<std::string> lines;
        std::ifstream in(logPath());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    std::vector<MessageBoxRequest> messages;

private:
    QTemporaryDir dir_;
    std::string modules_;
    MessageBoxHook previous_;
};
