#include "platform/registry.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("MAP_REGISTRY_DIR", dir_.path().toLocal8Bit().constData(), 1); }
    void TearDown() override { unsetenv("MAP_REGISTRY_DIR"); }
    QTemporaryDir dir_;
};

HKEY Create(HKEY root, const char *path, DWORD *disposition = nullptr)
{
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition),
              ERROR_SUCCESS);
    return key;
}

} // namespace

TEST_F(RegistryTest, TypedValuesSurviveAReload)
{
    DWORD disposition = 0;
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\KRT\\Gorm 8.0\\", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const DWORD number = 0xDEADBEEF;
    const char text[] = "caf\xE9 with spaces\n";
    const BYTE binary[] = {0, 1, 255, '%', ' '};
    const char multi[] = "a\0b c\0";
    EXPECT_EQ(RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), 4),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE *>(text), sizeof text),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Binary", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
    EXPECT_EQ(
        RegSetValueExA(key, "Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(multi), sizeof multi),
        ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "", 0, REG_NONE, nullptr, 0), ERROR_SUCCESS);
    RegCloseKey(key);

    // Another folder, then back: the values come from the file.
    QTemporaryDir other;
    setenv("MAP_REGISTRY_DIR", other.path().toLocal8Bit().constData(), 1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KRT", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    setenv("MAP_REGISTRY_DIR", dir_.path().toLocal8Bit().constData(), 1);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\krt\\GORM 8.0", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 4, readNumber = 0;
    EXPECT_EQ(RegQueryValueExA(key, "number", nullptr, &type, reinterpret_cast<BYTE *>(&readNumber), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(readNumber, number);
    char buffer[64];
    size = 3;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof text);
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(buffer, text);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Binary", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof binary);
    EXPECT_EQ(std::memcmp(buffer, binary, sizeof binary), 0);
    // Values enumerate in creation order.
    const char *order[] = {"Number", "Text", "Binary", "Multi", ""};
    for (DWORD i = 0; i < 5; ++i) {
        char name[32];
        DWORD length = sizeof name;
        EXPECT_EQ(RegEnumValueA(key, i, name, &length, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
        EXPECT_STREQ(name, order[i]);
    }
    char name[32];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 5, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, OpenDoesNotCreateAndDeleteKeepsParents)
{
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\A", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    HKEY a = Create(HKEY_LOCAL_MACHINE, "Software\\A\\B");
    HKEY c = Create(HKEY_LOCAL_MACHINE, "Software\\A\\C");
    DWORD disposition = 0;
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "software\\a\\b", &disposition));
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    HKEY parent = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\A", 0, KEY_READ, &parent), ERROR_SUCCESS);
    char name[16];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(parent, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "C");
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\A"), ERROR_ACCESS_DENIED); // has subkeys
    EXPECT_EQ(RegDeleteKeyA(parent, "B"), ERROR_SUCCESS);
    DWORD v = 1;
    EXPECT_EQ(RegSetValueExA(a, "x", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(c, "x", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(c, "X"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(c, "X"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(12345678), ERROR_INVALID_HANDLE);
    for (HKEY k : {a, c, parent})
        RegCloseKey(k);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, DamagedFileLinesAreSkipped)
{
    {
        std::ofstream f(dir_.path().toStdString() + "/HKEY_CURRENT_USER.reg");
        f << "K =Soft\nV 4 =good =%01%00%00%00\nV 1 broken\ngarbage line\nV 1 =bad =%G0\n";
    }
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Soft", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD value = 0, size = 4, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "good", nullptr, &type, reinterpret_cast<BYTE *>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(RegQueryValueExA(key, "bad", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, RemovingTheLastKeyLeavesNoFile)
{
    const auto files = [this] { return QDir(dir_.path()).entryList(QDir::Files); };
    RegCloseKey(Create(HKEY_CLASSES_ROOT, "Some.Class\\CLSID"));
    ASSERT_EQ(files().size(), 1);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "Some.Class\\CLSID"), ERROR_SUCCESS);
    EXPECT_EQ(files().size(), 1) << "a key is left";
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "Some.Class"), ERROR_SUCCESS);
    EXPECT_TRUE(files().isEmpty()) << "the folder is as it was before the first key";
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Some.Class", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}
