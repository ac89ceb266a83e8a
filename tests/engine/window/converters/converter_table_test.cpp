// The registered converters: splitting a registry value, finding a module
// in the modules folder, and which converters the table lists.
#include "engine/window/converters/converter_table.h"
#include "tests/engine/window/converters/converter_fixture.h"
#include "tests/support/temp_settings.h"

#include <gtest/gtest.h>

namespace {

using Fields = std::vector<std::string>;

TEST(ConverterValue, SplitsAtCommasBarsAndSemicolons)
{
    const struct {
        const char *value;
        Fields fields;
    } cases[] = {
        {"Map documents (*.mpd),*.mpd,mpd5.cnv", {"Map documents (*.mpd)", "*.mpd", "mpd5.cnv"}},
        {"Text|*.txt;text.cnv,extra", {"Text", "*.txt", "text.cnv", "extra"}},
        {" A , *.a , a.cnv ", {"A", "*.a", "a.cnv"}},
        {"one field", {"one field"}},
        {"", {""}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SplitConverterValue(c.value), c.fields) << c.value;
}

class ConverterTableTest : public ::testing::Test {
protected:
    TempSettingsFolders settings;
    ConverterFolders conv;
};

TEST_F(ConverterTableTest, ModulesAreFoundIgnoringCaseAndOnlyByPlainName)
{
    conv.Install("plain", "tiff.cnv");
    EXPECT_EQ(ResolveConverterModule("TIFF.cnv"), conv.Modules() + "tiff.cnv");
    EXPECT_EQ(ResolveConverterModule("tiff.CNV"), conv.Modules() + "tiff.cnv");
    EXPECT_EQ(ResolveConverterModule("gif.cnv"), "");
    const std::vector<std::string> bad = {"../modules/tiff.cnv", conv.Modules() + "tiff.cnv", "sub\\tiff.cnv",
                                          "..", ""};
    for (const std::string &name : bad)
        EXPECT_EQ(ResolveConverterModule(name), "") << name;
}

TEST_F(ConverterTableTest, ListsOnlyUsableConvertersInRegistryOrder)
{
    conv.Install("full", "full.cnv");
    conv.Install("plain", "Plain.CNV");
    conv.Install("noentry", "noentry.cnv");
    const ConverterKind k = ConverterKind::Import;
    ConverterFolders::Register(k, "FULL", "Full files,*.ful,full.cnv");
    ConverterFolders::Register(k, "ONE", "just a description");
    ConverterFolders::Register(k, "NOENTRY", "No entry,*.no,noentry.cnv");
    ConverterFolders::Register(k, "MISSING", "Missing,*.mis,missing.cnv");
    ConverterFolders::Register(k, "FOLDER", "Folder,*.f," + conv.Modules() + "full.cnv");
    ConverterFolders::Register(k, "Four", "Four fields,*.fou,PLAIN.cnv,ignored");
    ConverterFolders::Register(k, std::string(200, 'N'), "Long,*.l,full.cnv");

    ConverterTable table;
    ASSERT_TRUE(BuildConverterTable(k, &table));
    ASSERT_EQ(table.entries.size(), 2u);
    const ConverterEntry &full = table.entries[0];
    EXPECT_EQ(full.name, "FULL");
    EXPECT_EQ(full.description, "Full files");
    EXPECT_EQ(full.pattern, "*.ful");
    EXPECT_EQ(full.modulePath, conv.Modules() + "full.cnv");
    EXPECT_TRUE(full.hasOptions);
    const ConverterEntry &four = table.entries[1];
    EXPECT_EQ(four.name, "Four");
    EXPECT_EQ(four.library, "PLAIN.cnv");
    EXPECT_EQ(four.modulePath, conv.Modules() + "Plain.CNV");
    EXPECT_FALSE(four.hasOptions);
    EXPECT_EQ(table.current, 0u);
    EXPECT_EQ(ConverterFilterText(table), "Full files|*.ful|Four fields|*.fou||");

    // Names compare with the registered names upper-cased.
    EXPECT_EQ(FindConverterEntry(table, "FOUR"), 1);
    EXPECT_EQ(FindConverterEntry(table, "four"), -1);
    EXPECT_EQ(FindConverterEntry(table, "ONE"), -1);
}

TEST_F(ConverterTableTest, CurrentEntryIsTheOneStoredWhileItIsUsable)
{
    conv.Install("plain", "a.cnv");
    ConverterFolders::Register(ConverterKind::Export, "A", "A,*.a,a.cnv");
    ConverterFolders::Register(ConverterKind::Export, "B", "B,*.b,a.cnv");
    ConverterFolders::Register(ConverterKind::Export, "GONE", "Gone,*.g,gone.cnv");
    ConverterTable table;
    for (const auto &[stored, expected] : {std::pair{"B", 1u}, {"b", 0u}, {"GONE", 0u}}) {
        StoreCurrentConverter(ConverterKind::Export, stored);
        ASSERT_TRUE(BuildConverterTable(ConverterKind::Export, &table));
        EXPECT_EQ(table.current, expected) << stored;
    }
    EXPECT_EQ(ConverterFolders::Current(ConverterKind::Export), "GONE");
}

TEST_F(ConverterTableTest, BuiltInConvertersAreListedWhenMissingAndKeptWhenPresent)
{
    conv.InstallBuilt("miff.cnv");
    ConverterFolders::Register(ConverterKind::Export, "MIFF", "My own,*.mif,miff.cnv");
    RegisterBuiltInConverters();
    char text[256] = {};
    ASSERT_TRUE(RegStringGet("Converters\\Imports", "MIFF", text, sizeof text));
    EXPECT_STREQ(text, "Interchange files (*.mif),*.mif,miff.cnv");
    ASSERT_TRUE(RegStringGet("Converters\\Exports", "MIFF", text, sizeof text));
    EXPECT_STREQ(text, "My own,*.mif,miff.cnv");
    // Its module is not in this modules folder: not listed.
    EXPECT_FALSE(RegStringGet("Converters\\Imports", "MPD5", text, sizeof text));

    ConverterTable table;
    ASSERT_TRUE(BuildConverterTable(ConverterKind::Import, &table));
    ASSERT_EQ(table.entries.size(), 1u);
    EXPECT_TRUE(table.entries[0].hasOptions) << "the multiplier";
}

TEST_F(ConverterTableTest, MissingKeyIsReported)
{
    ConverterTable table;
    EXPECT_FALSE(BuildConverterTable(ConverterKind::Import, &table));
    EXPECT_TRUE(table.entries.empty());
}

} // namespace
