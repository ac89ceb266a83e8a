#include "engine/kernel/settings.h"

#include "platform/module.h"
#include "platform/profile.h"
#include "tests/support/temp_settings.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string profileValue(const char *section, const char *key, const std::string &file)
{
    char buf[256];
    GetPrivateProfileStringA(section, key, "", buf, sizeof buf, file.c_str());
    return buf;
}

TEST(Settings, RegistryHelpersKeepTypes)
{
    TempSettingsFolders folders;
    int i = 77;
    EXPECT_EQ(m_RegValueGet("Projections", "x", &i), 0);
    HKEY k = 0;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\Gorm 8.0\\Projections", 0, KEY_READ, &k),
              ERROR_SUCCESS)
        << "a getter does not create the key";
    EXPECT_EQ(i, 77);

    ASSERT_EQ(m_RegValueSet("Projections", "name", "tm.so"), 1);
    char text[16];
    ASSERT_EQ(m_RegValueGet("Projections", "name", text, sizeof text), 1);
    EXPECT_STREQ(text, "tm.so");
    EXPECT_EQ(m_RegValueGet("Projections", "name", text, 5), 0) << "6 bytes do not fit 5";

    struct Case {
        double stored;
        int asInt;
    } cases[] = {{2.75, 2}, {-2.75, -2}, {1e300, INT32_MAX}};
    for (const Case &c : cases) {
        ASSERT_EQ(m_RegValueSet("S", "d", c.stored), 1);
        ASSERT_EQ(m_RegValueGet("S", "d", &i), 1);
        EXPECT_EQ(i, c.asInt) << c.stored;
    }
    ASSERT_EQ(m_RegValueSet("S", "u", -1), 1);
    double d = 0;
    ASSERT_EQ(m_RegValueGet("S", "u", &d), 1);
    EXPECT_EQ(d, 4294967295.0) << "a DWORD reads as unsigned";
    EXPECT_EQ(m_RegValueGet("Projections", "name", &d), 0) << "a text is not a number";

    const unsigned char raw[3] = {1, 2, 3};
    ASSERT_EQ(m_RegValueSet("S", "raw", raw, 3), 1);
    unsigned char back[3] = {};
    ASSERT_EQ(m_RegValueGet("S", "raw", back, 3, 1), 1);
    EXPECT_EQ(std::memcmp(raw, back, 3), 0);
    EXPECT_EQ(m_RegValueGet("S", "raw", back, 2, 1), 0);

    const std::string tooLong(120, 'k');
    EXPECT_EQ(m_RegValueSet(tooLong.c_str(), "v", 1), 0) << "paths over 128 characters are refused";
}

TEST(Settings, StringHelpersStayInsideTheirBuffers)
{
    TempSettingsFolders folders;
    ASSERT_TRUE(RegStringSet("Text", "Font", "Arial"));
    char out[4];
    ASSERT_EQ(RegStringGet("Text", "Font", out, sizeof out), 1);
    EXPECT_STREQ(out, "Ari");
    char full[64];
    ASSERT_EQ(RegStringGet("Text", "Font", full, sizeof full), 1);
    EXPECT_STREQ(full, "Arial") << "a value stored without terminator still ends";

    ASSERT_EQ(m_RegValueSet("Converters\\Imports", "a", 1), 1);
    ASSERT_EQ(m_RegValueSet("Converters\\Exports", "a", 1), 1);
    char name[8];
    ASSERT_EQ(RegKeyGet("Converters", 0, name, sizeof name), 1);
    EXPECT_STREQ(name, "Exports");
    EXPECT_EQ(RegKeyGet("Converters", 2, name, sizeof name), 0);
    EXPECT_EQ(RegKeyDel("Converters", "Exports"), 1);
    EXPECT_EQ(RegKeyDel("Converters", "Exports"), 0);
}

TEST(Settings, SettingsKeyKeepsTheDefaultOnMissingOrWrongType)
{
    TempSettingsFolders folders;
    SettingsRegKey key;
    uint32_t v = 5;
    EXPECT_EQ(key.GetValue("Settings", "Missing", &v, 0), 0);
    EXPECT_EQ(v, 5u);
    ASSERT_TRUE(RegStringSet("Settings", "Text", "12"));
    EXPECT_EQ(key.GetValue("Settings", "Text", &v, 0), 0);
    EXPECT_EQ(v, 5u);
    double d = 1.5;
    ASSERT_EQ(key.SetValue("Settings", "D", &d, 1), 1);
    double back = 0;
    ASSERT_EQ(key.GetValue("Settings", "D", &back, 1), 1);
    EXPECT_EQ(back, 1.5);
    EXPECT_EQ(key.GetValue("Settings", "D", &v, 0), 0) << "binary is not a DWORD";

    ASSERT_EQ(m_RegValueSet("Settings", "Size", "274 mm"), 1);
    char small[4];
    EXPECT_EQ(SettingsStringGet(&key, "Settings", "Size", small, sizeof small), 0);
    std::string any;
    ASSERT_EQ(SettingsStringGet(&key, "Settings", "Size", nullptr, 0, &any), 1);
    EXPECT_EQ(any, "274 mm");
}

TEST(Settings, ProfileSearchOrderAndWriteGormIni)
{
    TempSettingsFolders folders;
    QDir().mkpath(folders.path() + "/profiles");
    const std::string given = (folders.path() + "/given.ini").toStdString();
    ASSERT_TRUE(WritePrivateProfileStringA("GORM", "DLLS", "plugin.so", given.c_str()));
    char buf[64];
    EXPECT_EQ(GetOwnProfileString("GORM", "DLLS", "none", buf, sizeof buf, 0, given.c_str(), "MD"), 9);
    EXPECT_STREQ(buf, "plugin.so");
    EXPECT_EQ(GetOwnProfileString("GORM", "DLLS", "none", buf, sizeof buf, 0, given.c_str(), "T"), 4);
    EXPECT_STREQ(buf, "none");
    EXPECT_EQ(GetOwnProfileInt("GORM", "DLLS", 7, 0, given.c_str(), "D"), 0);
    EXPECT_EQ(GetOwnProfileInt("GORM", "None", 7, 0, given.c_str(), "D"), 7);

    const int flags[8] = {1, 0, 1, 0, 0, 0, 4, 9};
    ASSERT_EQ(WriteGormIni(10, flags), 1);
    const int maximized = 5;
    ASSERT_EQ(WriteGormIni(22, &maximized), 1);
    ASSERT_EQ(WriteGormIni(12, reinterpret_cast<const void *>(intptr_t(3))), 1);
    const double huge = 1e300;
    ASSERT_EQ(WriteGormIni(24, &huge), 1) << "a huge number is written without overflow";
    EXPECT_EQ(WriteGormIni(4, flags), 0);
    EXPECT_EQ(WriteGormIni(30, flags), 0);
    EXPECT_EQ(WriteGormIni(19, nullptr), 0);

    // With no engine module set, the profile is the program's own INI.
    char program[4096];
    const std::string path(program, GetModuleFileNameA(0, program, sizeof program));
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const std::string ini = (dot != std::string::npos && dot > slash ? path.substr(0, dot) : path) + ".INI";
    EXPECT_EQ(profileValue("GORM", "TOOLBOX", ini), "1");
    EXPECT_EQ(profileValue("GORM", "RecentFiles", ini), "4");
    EXPECT_EQ(profileValue("GORM APPLICATION", "Maximized", ini), "1");
    EXPECT_EQ(profileValue("GORM", "FractionDigitsNo", ini), "3");
    EXPECT_EQ(profileValue("GORM", "ReducingThreshold", ini).substr(0, 3), "100");
    QFile::remove(QString::fromStdString(ini));
}

} // namespace
