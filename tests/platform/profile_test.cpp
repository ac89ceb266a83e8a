#include "platform/profile.h"

#include "temp_folders.h"

#include <QFile>
#include <gtest/gtest.h>

#include <string>

namespace {

void writeFile(const QString &path, const char *text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

std::string get(const char *section, const char *key, const char *def, const char *file)
{
    char buf[256];
    GetPrivateProfileStringA(section, key, def, buf, sizeof buf, file);
    return buf;
}

TEST(Profile, ReadsWithWindowsSemantics)
{
    TempProfileFolder folder;
    writeFile(folder.path() + "/map.ini", "; comment\n[GORM]\nDLLS = one.so \nKey=first\nkey=second\n"
                                          "Quoted=\"  spaced  \"\n[gorm]\nkey=third\n[Empty]\n");
    struct Case {
        const char *section, *key, *def, *expected;
    } cases[] = {
        {"gorm", "dlls", "", "one.so"},       // case-insensitive, trimmed
        {"GORM", "KEY", "", "first"},         // first match wins
        {"GORM", "quoted", "", "  spaced  "}, // one pair of quotes goes
        {"GORM", "missing", " def ", "def"},  // default, trimmed
        {"Nope", "key", "d", "d"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(get(c.section, c.key, c.def, "map.ini"), c.expected) << c.key;
    EXPECT_EQ(GetPrivateProfileIntA("GORM", "Key", 9, "map.ini"), 0u); // not a number
    EXPECT_EQ(GetPrivateProfileIntA("GORM", "none", 9, "map.ini"), 9u);

    char list[64];
    DWORD n = GetPrivateProfileStringA("GORM", nullptr, "", list, sizeof list, "map.ini");
    EXPECT_EQ(std::string(list, n), std::string("DLLS\0Key\0key\0Quoted\0", 20));
    n = GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof list, "map.ini");
    EXPECT_EQ(std::string(list, n), std::string("GORM\0gorm\0Empty\0", 16));
}

TEST(Profile, TruncatesIntoSmallBuffers)
{
    TempProfileFolder folder;
    writeFile(folder.path() + "/t.ini", "[s]\nk=abcdef\nlong=x\n");
    char buf[4] = {'!', '!', '!', '!'};
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buf, sizeof buf, "t.ini"), 3u);
    EXPECT_STREQ(buf, "abc");
    char list[5];
    EXPECT_EQ(GetPrivateProfileStringA("s", nullptr, "", list, sizeof list, "t.ini"), 3u);
    EXPECT_EQ(list[3], 0);
    EXPECT_EQ(list[4], 0);
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buf, 0, "t.ini"), 0u);
}

TEST(Profile, WritesReplaceAddAndDelete)
{
    TempProfileFolder folder;
    ASSERT_TRUE(WritePrivateProfileStringA("A", "x", "1", "w.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("a", "X", "2", "w.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("B", "y", "line\nbreak", "w.ini"));
    EXPECT_EQ(get("A", "x", "", "w.ini"), "2");
    EXPECT_EQ(get("B", "y", "", "w.ini"), "line break") << "a value stays one line";
    ASSERT_TRUE(WritePrivateProfileStringA("A", "x", nullptr, "w.ini"));
    EXPECT_EQ(get("A", "x", "gone", "w.ini"), "gone");
    ASSERT_TRUE(WritePrivateProfileStringA("B", nullptr, nullptr, "w.ini"));
    EXPECT_EQ(get("B", "y", "gone", "w.ini"), "gone");
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", "w.ini"));
}

TEST(Profile, WinIniIntlHasFixedDefaultsNotTheLocale)
{
    TempProfileFolder folder;
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    char buf[16];
    struct Case {
        const char *key, *expected;
    } cases[] = {
        {"sDecimal", "."}, {"sThousand", " "}, {"iDigits", "2"}, {"sList", ";"},
        {"iNegCurr", "5"}, {"sCurrency", "$"}, {"iLzero", "1"},  {"sDate", "/"},
    };
    for (const Case &c : cases) {
        GetProfileStringA("intl", c.key, "?", buf, sizeof buf);
        EXPECT_STREQ(buf, c.expected) << c.key;
    }
    unsetenv("LC_ALL");
    ASSERT_TRUE(WriteProfileStringA("intl", "sDecimal", ","));
    GetProfileStringA("Intl", "SDECIMAL", "?", buf, sizeof buf);
    EXPECT_STREQ(buf, ",");
    GetProfileStringA("intl", "sThousand", "?", buf, sizeof buf);
    EXPECT_STREQ(buf, " ") << "keys the file lacks keep their defaults";
}

} // namespace
