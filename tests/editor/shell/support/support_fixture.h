// Gives each test its own registry and data folders, so tests never touch
// the user's settings or files, nor one another's.
#pragma once

#include "editor/shell/support/data_folders.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

class SupportTest : public ::testing::Test {
protected:
    SupportTest()
    {
        setenv("MAP_REGISTRY_DIR", (root() + "/registry").c_str(), 1);
        setenv(kEditorFoldersVariable, root().c_str(), 1);
    }
    ~SupportTest() override
    {
        unsetenv("MAP_REGISTRY_DIR");
        unsetenv(kEditorFoldersVariable);
    }
    std::string root() const { return dir_.path().toStdString(); }
    std::string file(const std::string &name) const { return root() + "/" + name; }

private:
    QTemporaryDir dir_;
};
