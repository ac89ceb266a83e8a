#include "engine/kernel/plugin_menus.h"

#include "platform/menu.h"
#include "platform/profile.h"
#include "test_paths.h"
#include "tests/support/temp_settings.h"

#include <QFile>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// The profile names plug-ins by short links in the test's folder, as the
// key holds at most 128 characters.
class PlugIns : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *kind : {"five", "greedy", "none", "nocommand"}) {
            const QString target =
                QStringLiteral(MAP_MODULES_DIR "/test_plugins/libtest_plugin_%1.so").arg(kind);
            ASSERT_TRUE(QFile::exists(target)) << target.toStdString();
            ASSERT_TRUE(QFile::link(target, folders_.path() + "/" + kind + ".so"));
        }
        menu_ = CreatePopupMenu();
    }
    void TearDown() override
    {
        PlugInMenusFree();
        DestroyMenu(menu_);
    }

    void name(std::initializer_list<const char *> kinds)
    {
        std::string list;
        for (const char *k : kinds)
            list += (list.empty() ? "" : ",") + folders_.path().toStdString() + "/" + k + ".so";
        ASSERT_LE(list.size(), 128u);
        WriteProfileStringA("GORM", "DLLS", list.c_str());
    }

    TempSettingsFolders folders_;
    HMENU menu_ = 0;
};

TEST_F(PlugIns, EachTakesTheIdsAfterThePreviousOne)
{
    name({"five", "greedy"});
    EXPECT_EQ(PlugInMenusLoad(menu_, 0, 1000, 1099), 1099) << "the greedy one is cut to the range";
    EXPECT_EQ(PlugInMenusCount(), 2);
    EXPECT_EQ(PlugInCommandCount(), 100);
    ASSERT_EQ(GetMenuItemCount(menu_), 6);
    EXPECT_EQ(GetMenuItemID(menu_, 0), 1005u) << "the second plug-in inserted at the same position";
    EXPECT_EQ(GetMenuItemID(menu_, 1), 1000u);

    EXPECT_EQ(PlugInMenusCommand(0, 1003), 101003);
    EXPECT_EQ(PlugInMenusCommand(0, 1099), 101099);
    EXPECT_EQ(PlugInMenusCommand(0, 999), 0);
    EXPECT_EQ(PlugInMenusCommand(0, 1100), 0);
}

TEST_F(PlugIns, BrokenAndEmptyPlugInsAreSkipped)
{
    name({"missing", "nocommand", "none", "five"});
    EXPECT_EQ(PlugInMenusLoad(menu_, 0, 1000, 1099), 1004);
    EXPECT_EQ(PlugInMenusCount(), 1);
    EXPECT_EQ(GetMenuItemCount(menu_), 5) << "a plug-in without DLL_Command is not asked to add items";

    WriteProfileStringA("GORM", "DLLS", "");
    PlugInMenusFree();
    EXPECT_EQ(PlugInMenusLoad(menu_, 0, 1000, 1099), 999);
}

TEST_F(PlugIns, FreeingResetsTheCommandMap)
{
    name({"five"});
    EXPECT_EQ(PlugInMenusLoad(menu_, 0, 1000, 1099), 1004);
    EXPECT_EQ(PlugInMenusFree(), 1);
    EXPECT_EQ(PlugInMenusCount(), 0);
    EXPECT_EQ(PlugInCommandCount(), 0);
    EXPECT_EQ(PlugInMenusCommand(0, 1000), 0);
    EXPECT_EQ(PlugInMenusLoad(menu_, 0, 2000, 2099), 2004);
    EXPECT_EQ(PlugInCommandCount(), 5);
}

TEST_F(PlugIns, TableAndCommandMapAreBounded)
{
    {
        // Eleven names fit the key only as bare names, found in the current
        // folder.
        const std::filesystem::path cwd = std::filesystem::current_path();
        std::filesystem::current_path(folders_.path().toStdString());
        std::string list = "five.so";
        for (int i = 1; i < 11; ++i)
            list += ",five.so";
        WriteProfileStringA("GORM", "DLLS", list.c_str());
        const int last = PlugInMenusLoad(menu_, 0, 1000, 1099);
        std::filesystem::current_path(cwd);
        EXPECT_EQ(last, 1049) << "ten rows, the eleventh is not loaded";
        EXPECT_EQ(PlugInMenusCount(), PLUGIN_MAX_LIBRARIES);
        PlugInMenusFree();
    }

    name({"greedy", "five"});
    EXPECT_EQ(PlugInMenusLoad(menu_, 0, 1000, 1299), 1099) << "no more ids than the command map holds";
    EXPECT_EQ(PlugInCommandCount(), PLUGIN_MAX_COMMANDS);
    EXPECT_EQ(PlugInMenusCount(), 1);
}

} // namespace
