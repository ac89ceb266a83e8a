// Gives each test its own registry and data folders, a running trace log
// whose lines the test can read, answered message boxes, and the
// catalogue form.
#pragma once

#include "editor/shell/catalogue/tool_catalogue.h"
#include "editor/shell/support/data_folders.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/tracer_form.h"
#include "platform/message_box.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest()
    {
        setenv("MAP_REGISTRY_DIR", (root() + "/registry").c_str(), 1);
        setenv(kEditorFoldersVariable, root().c_str(), 1);
        oldHook_ = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r.text);
            return IDOK;
        });
        Global().StartLog(root());
        Global().Tracer()->Model().SetMessagePump({});
        form = std::make_unique<TfrmButtons>();
    }
    ~CatalogueTest() override
    {
        form.reset();
        Global().StopLog();
        SetMessageBoxHook(oldHook_);
        unsetenv("MAP_REGISTRY_DIR");
        unsetenv(kEditorFoldersVariable);
    }
    std::string root() const { return dir_.path().toStdString(); }

    // Trace lines written since the last call, without their time.
    std::vector<std::string> TakeTrace()
    {
        std::vector<std::string> lines;
        for (const std::string &line : Global().Tracer()->Model().Lines())
            lines.push_back(line.size() > 7 ? line.substr(7) : line);
        Global().Tracer()->Model().ClearLines();
        return lines;
    }
    bool Traced(const std::string &text)
    {
        const auto lines = TakeTrace();
        return std::any_of(lines.begin(), lines.end(),
                           [&text](const std::string &line) { return line.find(text) != std::string::npos; });
    }

    std::vector<std::string> boxes;
    std::unique_ptr<TfrmButtons> form;

private:
    QTemporaryDir dir_;
    MessageBoxHook oldHook_;
};
