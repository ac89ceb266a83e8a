#include "editor/shell/support/reg_link.h"

#include "message_hook.h"
#include "support_fixture.h"
#include "test_paths.h"

#include "editor/shell/support/paths.h"
#include "platform/automation_unknown.h"
#include "platform/module.h"

#include <QFileInfo>

#include <string>
#include <vector>

namespace {

using RegLinkTest = SupportTest;

const char *const kSettings = "\\Software\\KRT\\GORM 8.0\\Settings";

TEST_F(RegLinkTest, LinkRulesShowTheFirstBrokenOne)
{
    struct Case {
        HKEY hive;
        const char *key;
        const char *message; // null: none
    };
    const Case cases[] = {
        {HKEY_CURRENT_USER, "\\Software\\Vorn Technology\\ORVPro", nullptr},
        {HKEY_CLASSES_ROOT, "\\CLSID", nullptr},
        {HKEY_DYN_DATA, "\\Config", nullptr},
        {HKEY_CURRENT_USER, "Software\\Vorn Technology", "Key does not begin with \"\\\"."},
        {HKEY_CURRENT_USER, "\\Software\\Vorn Technology\\", "Key must not end with \"\\\" (Win95)."},
        {HKEY_CURRENT_USER, "", "Key has not been initialised."},
        {0x80000007, "\\Software", "Hive value out of range."},
        {0x7FFFFFFF, "", "Hive value out of range."},
        {0x80000009, "Software\\", "Hive value out of range."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        MessageRecorder boxes;
        TRegLink link;
        link.SetHive(c.hive);
        link.SetKey(c.key);
        // Set the other way round, the check runs when the hive comes,
        // except for an empty key, which is not set yet.
        TRegLink reversed;
        reversed.SetKey(c.key);
        reversed.SetHive(c.hive);
        std::vector<std::string> expected;
        if (c.message) {
            expected.push_back(c.message);
            if (c.key[0] != '\0')
                expected.push_back(c.message);
        }
        EXPECT_EQ(boxes.texts, expected);
        for (const MessageBoxRequest &r : boxes.requests)
            EXPECT_EQ(r.type & MB_ICONINFORMATION, MB_ICONINFORMATION);
    }
}

TEST_F(RegLinkTest, ReadsWhatItWroteWhateverTheCaseAndLeadingBackslash)
{
    MessageRecorder boxes;
    const TRegLink upper(HKEY_CURRENT_USER, kSettings);
    ASSERT_TRUE(upper.WriteString("FaceName", "Arial"));
    ASSERT_TRUE(upper.WriteInteger("Size", -12));

    const TRegLink lower(HKEY_CURRENT_USER, "\\software\\krt\\Gorm 8.0\\SETTINGS");
    EXPECT_EQ(lower.GetString("facename", "none"), "Arial");
    EXPECT_EQ(lower.GetInteger("SIZE", 0), -12);
    EXPECT_EQ(lower.ValueNames(), (std::vector<std::string>{"FaceName", "Size"}));

    // The platform's own path without the leading backslash is the same key.
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\Gorm 8.0\\Settings", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(RegLinkTest, WrongTypesAndMissingValuesGiveTheDefault)
{
    const TRegLink link(HKEY_CURRENT_USER, kSettings);
    ASSERT_TRUE(link.WriteInteger("Number", 7));
    ASSERT_TRUE(link.WriteString("Text", "12"));
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\GORM 8.0\\Settings", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    const BYTE two[2] = {1, 2};
    RegSetValueExA(key, "Short", 0, REG_BINARY, two, 2);
    RegSetValueExA(key, "Nothing", 0, REG_NONE, nullptr, 0);
    RegCloseKey(key);

    std::string text;
    EXPECT_TRUE(link.ReadString("Number", text, "default"));
    EXPECT_EQ(text, "default");
    int32_t number = 0;
    for (const char *name : {"Text", "Short", "Nothing", "Missing"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(link.ReadInteger(name, number, 44));
        EXPECT_EQ(number, 44);
    }
    EXPECT_EQ(link.GetString("Missing", "d"), "d");
    // Nothing was changed by the reads.
    EXPECT_EQ(link.GetInteger("Number", 0), 7);
    EXPECT_EQ(link.GetString("Text", ""), "12");
}

TEST_F(RegLinkTest, MissingKeysAreNotCreatedByReadsOrDeletes)
{
    const TRegLink link(HKEY_CURRENT_USER, "\\Software\\Vorn Technology\\Missing");
    std::string text = "x";
    EXPECT_FALSE(link.ReadString("A", text, "dflt"));
    EXPECT_EQ(text, "dflt");
    int32_t number = 0;
    EXPECT_FALSE(link.ReadInteger("A", number, 3));
    EXPECT_EQ(number, 3);
    EXPECT_TRUE(link.ValueNames().empty());
    EXPECT_FALSE(link.DeleteValue("A"));
    EXPECT_FALSE(link.DeleteKey());
    EXPECT_FALSE(link.KeyExists());

    // A root the platform does not keep never opens.
    const TRegLink users(HKEY_USERS, "\\Software");
    EXPECT_FALSE(users.WriteInteger("A", 1));
    EXPECT_EQ(users.GetInteger("A", 9), 9);
}

TEST_F(RegLinkTest, DeleteKeyTakesEverythingBelow)
{
    const TRegLink top(HKEY_CURRENT_USER, "\\Software\\Vorn Technology\\ORVPro");
    const TRegLink sub(HKEY_CURRENT_USER, "\\Software\\Vorn Technology\\ORVPro\\Recent\\Deep");
    const TRegLink sibling(HKEY_CURRENT_USER, "\\Software\\Vorn Technology\\Other");
    ASSERT_TRUE(top.WriteInteger("Debug", 1));
    ASSERT_TRUE(sub.WriteString("File0", "/a.mpd"));
    ASSERT_TRUE(sibling.WriteString("Keep", "yes"));

    EXPECT_TRUE(sub.DeleteValue("File0"));
    EXPECT_FALSE(sub.DeleteValue("File0"));
    EXPECT_TRUE(top.DeleteKey());
    EXPECT_FALSE(top.KeyExists());
    EXPECT_FALSE(sub.KeyExists());
    EXPECT_EQ(sibling.GetString("Keep", ""), "yes");
}

TEST_F(RegLinkTest, WindowsRegGivesTheAccountAsOwner)
{
    TWindowsReg windows;
    EXPECT_FALSE(windows.RegisteredOwner().empty());
    EXPECT_EQ(windows.RegisteredOrganisation(), "");
    ASSERT_TRUE(windows.WriteString("RegisteredOwner", "Ann Other"));
    EXPECT_EQ(windows.RegisteredOwner(), "Ann Other");
}

TEST_F(RegLinkTest, UnknownProgIdIsNotRegistered)
{
    MessageRecorder boxes;
    for (const TCOMRegistration &reg :
         {TCOMRegistration("No.Such.Class"), TCOMRegistration(TSKWRegistration()),
          TCOMRegistration(TXceedRegistration())}) {
        SCOPED_TRACE(reg.ProgID());
        EXPECT_FALSE(reg.Registered());
        EXPECT_EQ(reg.CLSID(), "Not Found");
        EXPECT_EQ(reg.ClassProgID(), "[Not Found]");
        EXPECT_EQ(reg.InprocServer(), "[Not Found]");
        EXPECT_EQ(reg.Version(), "[Not Found]");
        EXPECT_EQ(reg.TypeLib(), "[Not Found]");
        EXPECT_EQ(reg.Hive(), HKEY_CLASSES_ROOT);
    }
    EXPECT_EQ(TSKWRegistration().ProgID(), "SkerrowExgAuto.DataStore");
    EXPECT_EQ(TXceedRegistration().ProgID(), "XceedSoftware.XceedZip.4");
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(RegLinkTest, TheControlRegistersItselfAndIsFound)
{
    const std::string library = std::string(MAP_MODULES_DIR) + "/../libKrtMap.so";
    HMODULE module = LoadLibraryA(library.c_str());
    ASSERT_NE(module, HMODULE(0)) << library;
    using Register = HRESULT (*)();
    auto reg = reinterpret_cast<Register>(GetProcAddress(module, "DllRegisterServer"));
    ASSERT_NE(reg, nullptr);
    ASSERT_EQ(reg(), S_OK);

    // ProgIDs are found in any case.
    for (const char *progId : {"KRTMAP.MapCtrl.1", "krtmap.mapctrl.1"}) {
        SCOPED_TRACE(progId);
        const TCOMRegistration control(progId);
        EXPECT_TRUE(control.Registered());
        EXPECT_TRUE(SameTextIgnoringCase(control.CLSID(), "{2CD73567-4AC1-11D1-85D5-00A0245717F8}"))
            << control.CLSID();
        EXPECT_EQ(control.ClassProgID(), "KRTMAP.MapCtrl.1");
        EXPECT_EQ(QFileInfo(QString::fromStdString(control.InprocServer())).canonicalFilePath(),
                  QFileInfo(QString::fromStdString(library)).canonicalFilePath());
        EXPECT_EQ(control.Version(), "2.7");
        EXPECT_TRUE(SameTextIgnoringCase(control.TypeLib(), "{2CD73564-4AC1-11D1-85D5-00A0245717F8}"))
            << control.TypeLib();
        // The link is left at the last key it read.
        EXPECT_EQ(control.Key(), "\\CLSID\\" + control.CLSID() + "\\TypeLib");
    }
    FreeLibrary(module);
}

} // namespace
