#include "editor/shell/catalogue/shortcuts.h"
#include "editor/shell/support/reg_link.h"

#include "catalogue_fixture.h"

namespace {

class ShortcutTest : public CatalogueTest {
protected:
    ShortcutTest() : toolbars(HKEY_CURRENT_USER, "\\Software\\Vorn Technology\\ORVPro\\Toolbars") {}

    // Value name -> data of every K value of the key.
    std::map<std::string, int32_t> Stored() const
    {
        std::map<std::string, int32_t> values;
        for (const std::string &name : toolbars.ValueNames())
            if (!name.empty() && name[0] == 'K')
                values[name] = toolbars.GetInteger(name, -1);
        return values;
    }

    TRegLink toolbars;
};

TEST_F(ShortcutTest, KeysGiveTheirNamesAndTexts)
{
    using M = Qt::KeyboardModifier;
    struct Case {
        Qt::KeyboardModifiers modifiers;
        int qtKey;
        const char *name;
        const char *text;
        bool valid;
        bool mapFocus;
    };
    const Case cases[] = {
        {M::ControlModifier, Qt::Key_D, "K244", "[Ctrl+D]", true, false},
        {M::AltModifier, Qt::Key_F5, "K474", "[Alt+F5]", true, false},
        {M::ShiftModifier, Qt::Key_A, "K141", "[Shft+A]", true, false},
        {M::AltModifier | M::ControlModifier | M::ShiftModifier, Qt::Key_X, "K758", "[Alt+Ctrl+Shift+X]",
         true, false},
        {M::ControlModifier | M::ShiftModifier, Qt::Key_D, "K344", "[Ctrl+Shift+D]", true, false},
        {M::NoModifier, Qt::Key_7, "K037", "[7]", true, true},
        {M::NoModifier, Qt::Key_Q, "K051", "[Q]", true, true},
        {M::ControlModifier, Qt::Key_F13, "K27C", "[Ctrl+]", true, false},
        {M::NoModifier, Qt::Key_F14, "K07D", "[]", false, false},
        {M::ShiftModifier, Qt::Key_Delete, "K12E", "[Shft+]", false, true},
        {M::NoModifier, Qt::Key_Pause, "K013", "[]", false, false},
        {M::KeypadModifier, Qt::Key_3, "K063", "[]", false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TShortcut shortcut;
        shortcut.SetKey(c.modifiers, VirtualKeyOfQtKey(c.qtKey, c.modifiers), 10);
        EXPECT_EQ(shortcut.Position, 7);
        EXPECT_EQ(shortcut.ValueName(), c.name);
        EXPECT_EQ(shortcut.Text(), c.text);
        EXPECT_EQ(shortcut.IsValid(), c.valid);
        EXPECT_EQ(shortcut.NeedsMapFocus(), c.mapFocus);
        // The name reads back as the same key.
        const TShortcut read(c.name, 7);
        EXPECT_EQ(read.Flags, shortcut.Flags);
        EXPECT_EQ(read.Key, shortcut.Key);
    }
    TShortcut none;
    none.SetKey(Qt::ControlModifier, 'D', 8); // a tool without a position
    EXPECT_EQ(none.Position, -1);
    EXPECT_FALSE(none.IsValid());
}

TEST_F(ShortcutTest, OnlyFourCharacterKNamesAreShortcuts)
{
    const std::pair<const char *, bool> cases[] = {
        {"K244", true},  {"k244", true},  {"K24", false},  {"K2440", false},
        {"X244", false}, {"KZ44", false}, {"K2G4", false}, {"", false},
    };
    for (const auto &[name, valid] : cases) {
        TShortcut shortcut;
        shortcut.Flags = 1;
        shortcut.Key = 65;
        EXPECT_EQ(shortcut.ParseValueName(name), valid) << name;
        if (!valid) {
            EXPECT_EQ(shortcut.ValueName(), "K141") << name; // nothing changed
        }
    }
}

TEST_F(ShortcutTest, LoadTakesShortcutValuesAndDistrustsTheirData)
{
    toolbars.WriteInteger("K244", 2);
    toolbars.WriteString("K243", "28"); // wrong type
    toolbars.WriteInteger("K256", 200); // past the table
    toolbars.WriteInteger("K258", -3);
    toolbars.WriteInteger("K254", 4); // the unused position
    toolbars.WriteInteger("K24", 2);
    toolbars.WriteInteger("K2440", 2);
    toolbars.WriteString("Toolbar0", "00");
    toolbars.WriteInteger("KXYZ", 2);
    TShortcuts shortcuts(toolbars);
    shortcuts.Load();
    ASSERT_EQ(shortcuts.Count(), 5);
    std::map<std::string, int32_t> loaded;
    for (int i = 0; i < shortcuts.Count(); ++i)
        loaded[shortcuts.Item(i).ValueName()] = shortcuts.Item(i).Position;
    EXPECT_EQ(loaded, (std::map<std::string, int32_t>{
                          {"K244", 2}, {"K243", 0}, {"K256", 0}, {"K258", 0}, {"K254", 0}}));
    EXPECT_FALSE(shortcuts.Find("K256")->IsValid());
    EXPECT_EQ(shortcuts.FindByTool(2)->ValueName(), "K244");
    EXPECT_EQ(shortcuts.FindByTool(99), nullptr);
}

TEST_F(ShortcutTest, AssignRefusesATakenKeyAndReplacesTheToolsOldOne)
{
    TShortcuts shortcuts(toolbars);
    shortcuts.SetDefaults();
    shortcuts.Load();
    const auto defaults = Stored();

    struct Case {
        const char *name;
        int32_t position;
        bool result;
    };
    const Case cases[] = {
        {"K244", 25, false},  // Ctrl+D is taken
        {"K241", 0, false},   // no tool
        {"K241", 108, false}, // past the table
        {"K241", 4, false},   // the unused position
    };
    for (const Case &c : cases) {
        EXPECT_EQ(shortcuts.Assign(TShortcut(c.name, c.position)), c.result) << c.name;
        EXPECT_EQ(Stored(), defaults) << c.name;
        EXPECT_EQ(shortcuts.Count(), int(defaults.size()));
    }

    // Ctrl+A for Toggle Debug (position 2) replaces Ctrl+D.
    EXPECT_TRUE(shortcuts.Assign(TShortcut("K241", 2)));
    auto expected = defaults;
    expected.erase("K244");
    expected["K241"] = 2;
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(shortcuts.FindByTool(2)->ValueName(), "K241");
    EXPECT_EQ(shortcuts.Find("K244"), nullptr);

    shortcuts.Remove(*shortcuts.Find("K241"));
    expected.erase("K241");
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(shortcuts.FindByTool(2), nullptr);
}

TEST_F(ShortcutTest, ResetAllLeavesExactlyTheDefaults)
{
    TShortcuts shortcuts(toolbars);
    shortcuts.SetDefaults();
    const auto defaults = Stored();
    // The defaults name their tools by catalogue position.
    EXPECT_EQ(defaults.at("K244"), TfrmButtons::IndexOfTool(2));
    EXPECT_EQ(defaults.at("K02E"), TfrmButtons::IndexOfTool(185));
    EXPECT_EQ(defaults.at("K324"), 6); // tool 7
    // Ctrl+Z and Ctrl+Y: Undo and Redo.
    EXPECT_EQ(defaults.at("K25A"), TfrmButtons::IndexOfTool(50));
    EXPECT_EQ(defaults.at("K259"), TfrmButtons::IndexOfTool(51));
    EXPECT_EQ(TShortcut("K25A", 0).Text(), "[Ctrl+Z]");
    EXPECT_EQ(defaults.size(), 11u);

    toolbars.WriteInteger("K241", 30);
    toolbars.WriteInteger("K244", 31);
    toolbars.DeleteValue("K256");
    toolbars.WriteString("Toolbar0", "0007");
    shortcuts.ResetAll();
    EXPECT_EQ(Stored(), defaults);
    EXPECT_EQ(shortcuts.Count(), 11);
    EXPECT_EQ(toolbars.GetString("Toolbar0", ""), "0007"); // layouts untouched
}

TEST_F(ShortcutTest, StoreNeedsAToolAndAShortName)
{
    EXPECT_FALSE(TShortcut("K244", 0).Store(toolbars));
    TShortcut wide;
    wide.Flags = 16; // 16 x 256 needs four digits
    wide.Key = 65;
    wide.Position = 7;
    EXPECT_FALSE(wide.Store(toolbars));
    EXPECT_TRUE(Stored().empty());
    EXPECT_TRUE(TShortcut("K244", 7).Store(toolbars));
    EXPECT_EQ(Stored(), (std::map<std::string, int32_t>{{"K244", 7}}));
}

TEST(VirtualKeys, QtKeysMapToVirtualKeyCodes)
{
    struct Case {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        int vk;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers pad = Qt::KeypadModifier;
    const Case cases[] = {
        {Qt::Key_A, none, 65},
        {Qt::Key_Z, Qt::ShiftModifier, 90},
        {Qt::Key_0, none, 48},
        {Qt::Key_9, none, 57},
        {Qt::Key_0, pad, 96},
        {Qt::Key_9, pad, 105},
        {Qt::Key_F1, none, 112},
        {Qt::Key_F13, none, 124},
        {Qt::Key_F24, none, 135},
        {Qt::Key_Left, none, 37},
        {Qt::Key_Up, none, 38},
        {Qt::Key_Right, none, 39},
        {Qt::Key_Down, none, 40},
        {Qt::Key_Home, none, 36},
        {Qt::Key_End, none, 35},
        {Qt::Key_PageUp, none, 33},
        {Qt::Key_PageDown, none, 34},
        {Qt::Key_Insert, none, 45},
        {Qt::Key_Delete, none, 46},
        {Qt::Key_Pause, none, 19},
        {Qt::Key_Escape, none, 27},
        {Qt::Key_Return, none, 13},
        {Qt::Key_Enter, pad, 13},
        {Qt::Key_Tab, none, 9},
        {Qt::Key_Space, none, 32},
        {Qt::Key_Backspace, none, 8},
        {Qt::Key_Asterisk, pad, 106},
        {Qt::Key_Plus, pad, 107},
        {Qt::Key_Minus, pad, 109},
        {Qt::Key_Period, pad, 110},
        {Qt::Key_Slash, pad, 111},
        {Qt::Key_Minus, none, 0},
        {Qt::Key_Home, pad, 36},
        {Qt::Key_Exclam, none, 0},
        {Qt::Key_F25, none, 0},
        {0, none, 0},
        {-5, none, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(VirtualKeyOfQtKey(c.qtKey, c.modifiers), c.vk) << std::hex << c.qtKey;
}

} // namespace
