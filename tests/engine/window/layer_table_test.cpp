// Layer table files: the entry lines as the table reads them, the three
// look-ups with their marks, damaged and over-long lines, and where a file
// is looked for.
#include "engine/window/layer_table.h"

#include "platform/global_memory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class LayerTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kms_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string &name, const std::string &text)
    {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    // Reads the file; the records are copied out and the block freed.
    std::vector<KMSIniEntry> read(const std::string &path, bool *ok = nullptr)
    {
        unsigned count = 12345;
        const HGLOBAL h = ReadKMSIni(path.c_str(), &count);
        if (ok)
            *ok = h != 0;
        if (!h) {
            EXPECT_EQ(count, 12345u) << "count not written on failure";
            return {};
        }
        const auto *p = static_cast<const KMSIniEntry *>(GlobalLock(h));
        std::vector<KMSIniEntry> out(p, p + count);
        GlobalUnlock(h);
        GlobalFree(h);
        return out;
    }

    fs::path dir;
};

const char kTable[] = "[Other]\n"
                      "9;ignored;before the section;FF0000;1;2;P;-1;x;3;text\n"
                      "[Layers]\n"
                      "5;Roads;Main roads;FF0000;10;70000;P;-1;R;7;highway\n"
                      "; a comment line\n"
                      "0;Zero;number zero;000000;0;0;L;-1;Z;0;skip\n"
                      "  6 ;\tRivers ;Water courses  ;00FF00;1;2;L;0000FF;W;3;\n"
                      "7;Short;no text;12345;1;2;p;-1;;4;last\n"
                      "8;Broken;too few fields;FF0000\n"
                      "5;Again;second five;000000;0;0;L;-1;A;0;dup\r\n";

TEST_F(LayerTableTest, EntryLinesAfterTheSectionAreRead)
{
    const std::vector<KMSIniEntry> t = read(write("layers.ini", kTable));
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].number, 5);
    EXPECT_STREQ(t[0].shortName, "Roads");
    EXPECT_STREQ(t[0].longName, "Main roads");
    EXPECT_EQ(t[0].colour, 255) << "FF0000 is red";
    EXPECT_EQ(t[0].value1, 10);
    EXPECT_EQ(t[0].value2, 70000);
    EXPECT_EQ(t[0].kind, 0);
    EXPECT_EQ(t[0].colour2, -1);
    EXPECT_EQ(t[0].code[0], 'R');
    EXPECT_EQ(t[0].value3, 7);
    EXPECT_STREQ(t[0].text, "highway");
    EXPECT_EQ(t[0].used, 0);

    EXPECT_EQ(t[1].number, 6);
    EXPECT_STREQ(t[1].shortName, "Rivers") << "blanks before a field skipped, trailing ones removed";
    EXPECT_STREQ(t[1].longName, "Water courses");
    EXPECT_EQ(t[1].colour, 65280) << "00FF00 is green";
    EXPECT_EQ(t[1].colour2, 0xFF0000);
    EXPECT_EQ(t[1].kind, 1);
    EXPECT_STREQ(t[1].text, "") << "the line ends after the tenth field's ';'";

    EXPECT_EQ(t[2].number, 7);
    EXPECT_EQ(t[2].colour, -1) << "five hexadecimal digits";
    EXPECT_EQ(t[2].kind, 0);
    EXPECT_STREQ(t[2].text, "last") << "the last field may end the line";
    EXPECT_EQ(t[2].code[0], 0);
    EXPECT_STREQ(t[3].shortName, "Again");
    EXPECT_STREQ(t[3].text, "dup") << "CR LF ends the field";
}

TEST_F(LayerTableTest, LongFieldsAndLinesAreCutToTheirRecords)
{
    const std::string longName(30, 'S'), huge(300, 'x');
    const std::vector<KMSIniEntry> t =
        read(write("long.ini", "[Layers]\n3;" + longName + ";" + std::string(60, 'L') + ";-1;1;2;L;-1;C;0;" +
                                   std::string(40, 'T') + "\n4;" + huge + "\n12;ok;ok;-1;0;0;L;-1;c;0;t\n"));
    ASSERT_EQ(t.size(), 2u) << "the 300-character line is read in pieces that do not parse";
    EXPECT_EQ(std::string(t[0].shortName), std::string(24, 'S'));
    EXPECT_EQ(std::string(t[0].longName), std::string(47, 'L'));
    EXPECT_EQ(std::string(t[0].text), std::string(16, 'T'));
    EXPECT_EQ(t[1].number, 12);
}

TEST_F(LayerTableTest, FilesWithoutTheSectionOrMissingGiveNothing)
{
    const struct {
        const char *name, *text;
    } cases[] = {{"none.ini", "[layers]\n5;a;b;-1;0;0;L;-1;c;0;t\n"},
                 {"empty.ini", ""},
                 {"binary.ini", "\x01\x02\xff"}};
    for (const auto &c : cases) {
        bool ok = true;
        read(write(c.name, c.text), &ok);
        EXPECT_FALSE(ok) << c.name;
    }
    bool ok = true;
    read((dir / "missing.ini").string(), &ok);
    EXPECT_FALSE(ok);
    read(dir.string(), &ok);
    EXPECT_FALSE(ok) << "a folder";
    unsigned count = 0;
    EXPECT_EQ(ReadKMSIni(nullptr, &count), 0u);
}

TEST_F(LayerTableTest, ABareNameIsSearchedOnThePathNeverInTheCurrentFolder)
{
    write("table.ini", kTable);
    const fs::path old = fs::current_path();
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    fs::current_path(dir);
    setenv("PATH", "/nonexistent", 1);
    bool ok = true;
    read("table.ini", &ok);
    EXPECT_FALSE(ok) << "found in the current folder";
    setenv("PATH", ("/nonexistent:" + dir.string()).c_str(), 1);
    EXPECT_EQ(read("table.ini").size(), 4u);
    EXPECT_EQ(read("C:\\maps\\table.ini").size(), 4u) << "the last element of a name with a folder";
    setenv("PATH", oldPath.c_str(), 1);
    fs::current_path(old);
}

TEST_F(LayerTableTest, LookUpsFindTheFirstMatchAndMarkIt)
{
    std::vector<KMSIniEntry> t = read(write("layers.ini", kTable));
    ASSERT_EQ(t.size(), 4u);
    const unsigned n = unsigned(t.size());
    KMSIniEntry out{};
    ASSERT_EQ(FindKMSEntry(5, t.data(), &out, n, 1), 1);
    EXPECT_STREQ(out.shortName, "Roads");
    EXPECT_EQ(out.used, 0) << "the copy shows the byte as it was";
    EXPECT_EQ(t[0].used, 1);
    EXPECT_EQ(t[3].used, 0) << "only the first entry with the number";
    ASSERT_EQ(FindKMSEntry(5, t.data(), &out, n, 0), 1);
    EXPECT_EQ(out.used, 1) << "found again, now marked";
    EXPECT_EQ(FindKMSEntry(99, t.data(), &out, n, 1), 0);
    EXPECT_EQ(FindKMSEntry(5, nullptr, &out, n, 1), 0);
    EXPECT_EQ(FindKMSEntry(5, t.data(), &out, 0, 1), 0);

    EXPECT_EQ(FindKMSEntryShort("Rivers", t.data(), &out, n, 1), 1);
    EXPECT_EQ(out.number, 6);
    EXPECT_EQ(t[1].used, 1);
    EXPECT_EQ(FindKMSEntryShort("rivers", t.data(), &out, n, 0), 0) << "case-sensitive";
    EXPECT_EQ(FindKMSEntryShort("", t.data(), &out, n, 0), 0);

    EXPECT_EQ(FindKMSEntryShort2("Short", t.data(), n, 1), &t[2]);
    EXPECT_EQ(t[2].used, 1);
    EXPECT_EQ(FindKMSEntryShort2("Short", t.data(), 0, 1), nullptr);
    EXPECT_EQ(FindKMSEntryShort2(std::string(40, 'S').c_str(), t.data(), n, 1), nullptr);
}

} // namespace
