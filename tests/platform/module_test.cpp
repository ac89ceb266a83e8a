#include "platform/module.h"

#include <gtest/gtest.h>

#include <string>

// libplatform.so itself serves as a module that is certainly present; its
// entry is looked up by the linker name of GetModuleFileNameA.
static const char *const kEntry = "_Z18GetModuleFileNameAjPcj";
TEST(Module, LoadsByPathCountsAndFinds)
{
    const std::string folder = ModuleFolderOf(reinterpret_cast<const void *>(&LoadLibraryA));
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    const std::string path = folder + "libplatform.so";
    const HMODULE a = LoadLibraryA(path.c_str());
    ASSERT_NE(a, 0u);
    EXPECT_EQ(LoadLibraryA(path.c_str()), a); // one id, counted twice
    EXPECT_NE(GetProcAddress(a, kEntry), nullptr);
    EXPECT_EQ(GetProcAddress(a, "NoSuchEntry"), nullptr);
    char name[8];
    EXPECT_EQ(GetModuleFileNameA(a, name, sizeof name), 7u);
    EXPECT_EQ(std::string(name).size(), 7u);
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_NE(GetProcAddress(a, kEntry), nullptr); // still loaded once
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_FALSE(FreeLibrary(a));
    EXPECT_EQ(GetProcAddress(a, kEntry), nullptr);
}

TEST(Module, MissingFilesAndBadHandlesFail)
{
    EXPECT_EQ(LoadLibraryA("/no/such/folder/module.so"), 0u);
    EXPECT_EQ(LoadLibraryA("C:\\no\\such\\module.so"), 0u);
    EXPECT_EQ(LoadLibraryA("no_such_module_anywhere.so"), 0u);
    EXPECT_EQ(LoadLibraryA(""), 0u);
    EXPECT_EQ(LoadLibraryA(nullptr), 0u);
    char buffer[16] = "x";
    EXPECT_EQ(GetModuleFileNameA(999999, buffer, sizeof buffer), 0u);
    EXPECT_GT(GetModuleFileNameA(0, buffer, sizeof buffer), 0u); // the program
}
