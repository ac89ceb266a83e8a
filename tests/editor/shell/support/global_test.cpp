#include "editor/shell/support/global.h"

#include "editor/shell/support/tracer_form.h"
#include "message_hook.h"
#include "support_fixture.h"

#include <QFile>

namespace {

using GlobalTest = SupportTest;

TEST_F(GlobalTest, OptionsDefaultToTenAndSetOptionWritesBack)
{
    TGlobal global;
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(global.GetOption(bit), bit == 1 || bit == 3) << bit;
    EXPECT_FALSE(global.SettingsKey().KeyExists()); // reading wrote nothing

    global.SetOption(kOptionLandscapePages, true);
    EXPECT_EQ(global.SettingsKey().GetInteger("Options", 0), 11);
    global.SetOption(kOptionShowGridReference, false);
    global.SetOption(kOptionChooseGridSystem, true);
    EXPECT_EQ(global.SettingsKey().GetInteger("Options", 0), 9 | (1 << 18));
    // Another instance reads the same value; out-of-range bits change nothing.
    TGlobal other;
    EXPECT_TRUE(other.GetOption(kOptionChooseGridSystem));
    other.SetOption(40, true);
    EXPECT_FALSE(other.GetOption(40));
    EXPECT_EQ(global.SettingsKey().GetInteger("Options", 0), 9 | (1 << 18));
}

TEST_F(GlobalTest, OptionsOfTheWrongTypeCountAsMissing)
{
    TGlobal global;
    ASSERT_TRUE(global.SettingsKey().WriteString("Options", "255"));
    EXPECT_TRUE(global.GetOption(3));
    EXPECT_FALSE(global.GetOption(0));
}

TEST_F(GlobalTest, DebugModeNeedsTheAccessValue)
{
    struct Case {
        bool hasValue;
        int32_t value;
        bool requested;
        bool result;
        bool mode;
    };
    const Case cases[] = {
        {true, 581, true, true, true},   {true, 581, false, true, false}, {false, 0, true, false, false},
        {true, 580, true, false, false}, {true, 0, true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        TGlobal global;
        global.AppKey().DeleteValue("Debug");
        if (c.hasValue)
            global.AppKey().WriteInteger("Debug", c.value);
        EXPECT_EQ(global.CheckDebugMode(c.requested), c.result);
        EXPECT_EQ(global.DebugMode(), c.mode);
    }
}

TEST_F(GlobalTest, LinksHaveTheEditorsKeys)
{
    MessageRecorder boxes;
    TGlobal global;
    EXPECT_EQ(&global.AppKey(), &global.AppKey());
    EXPECT_EQ(global.AppKey().Key(), "\\Software\\Vorn Technology\\ORVPro");
    EXPECT_EQ(global.SettingsKey().Key(), "\\Software\\Vorn Technology\\ORVPro\\Settings");
    EXPECT_EQ(global.ToolbarsKey().Key(), "\\Software\\Vorn Technology\\ORVPro\\Toolbars");
    EXPECT_EQ(global.MenusKey().Key(), "\\Software\\Vorn Technology\\ORVPro\\Menus");
    EXPECT_EQ(global.EngineSettingsKey().Key(), "\\Software\\KRT\\GORM 8.0\\Settings");
    EXPECT_EQ(global.ConvertersKey().Key(), "\\Software\\KRT\\GORM 8.0\\Converters");
    EXPECT_EQ(global.ConvertersKey().Hive(), HKEY_CURRENT_USER);
    EXPECT_TRUE(boxes.texts.empty());

    StoreTextFont("Liberation Sans", 10);
    const TRegLink text(HKEY_CURRENT_USER, "\\Software\\KRT\\Gorm 8.0\\Text");
    EXPECT_EQ(text.GetString("FaceName", ""), "Liberation Sans");
    EXPECT_EQ(text.GetInteger("Size", 0), 10);
}

TEST_F(GlobalTest, FoldersEndWithTheCompanyAndProduct)
{
    TGlobal global;
    EXPECT_EQ(global.LocalDataFolder(), root() + "/state/Vorn Technology/Orvane/");
    EXPECT_EQ(global.AppDataFolder(), root() + "/data/Vorn Technology/Orvane/");
    EXPECT_EQ(global.DocumentsFolder(), root() + "/documents/Vorn Technology/Orvane/");
    EXPECT_EQ(global.CommonDataFolder(), root() + "/common/Vorn Technology/Orvane/");
}

TEST_F(GlobalTest, AProblemLineShowsTheErrorReport)
{
    MessageRecorder boxes;
    TGlobal global;
    global.TraceProblem("before the log"); // no log yet: nothing at all
    EXPECT_TRUE(boxes.texts.empty());
    global.StartLog(global.LocalDataFolder());
    global.Tracer()->Model().SetMessagePump({});
    global.TraceProblem("Layer 7 missing");
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind("An unusual but not entirely unexpected error has occurred.\n\n", 0), 0u);
    EXPECT_NE(boxes.texts[0].find("Orvane.log"), std::string::npos);
    ASSERT_EQ(global.Tracer()->Model().Lines().size(), 1u);
    EXPECT_EQ(global.Tracer()->Model().Lines()[0].substr(7), "  *  Layer 7 missing");
    global.StopLog();
    EXPECT_EQ(global.Tracer(), nullptr);
}

} // namespace
