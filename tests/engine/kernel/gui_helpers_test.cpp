#include "engine/kernel/gui_helpers.h"

#include "engine/kernel/window_record.h"
#include "platform/clipboard.h"
#include "platform/file_dialog.h"
#include "platform/global_memory.h"
#include "platform/window.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

TEST(DirFromPath, CutsAfterTheLastSeparator)
{
    const struct {
        const char *path;
        const char *dir;
    } cases[] = {
        {"C:\\MAPS\\TOWN.MPD", "C:\\MAPS\\"},    {"TOWN.MPD", ""},    {"C:TOWN.MPD", "C:"},
        {"/home/u/maps/a.mpd", "/home/u/maps/"}, {"a\\b/c", "a\\b/"}, {"", ""},
    };
    for (const auto &c : cases) {
        char path[64];
        std::strcpy(path, c.path);
        EXPECT_EQ(DirFromPath(path), int(std::strlen(c.dir))) << c.path;
        EXPECT_STREQ(path, c.dir);
    }
    EXPECT_EQ(DirFromPath(nullptr), 0);
}

struct TableCase {
    const char *text;
    int result, rows, columns, header;
};

TEST(TabTextTableScan, RowsColumnsAndHeader)
{
    const TableCase cases[] = {
        {"Name\tValue\nA\t1\nB\t2", 1, 3, 2, 1},
        {"Name\tValue\r\nA\t1\r\nB\t2\r\n", 1, 3, 2, 1}, // CR LF line ends
        {"1\t2", 1, 1, 2, 0},                            // one row: no header flag
        {"A\t1\nB\t2", 1, 2, 2, 0},                      // a number in the first row: no header
        {"x\ty\n\n\nz\tw\n", 1, 2, 2, 1},                // empty lines are skipped
        {"one\ntwo\nthree", 0, 3, 1, 1},                 // one column is not a table
        {"a\tb\nc\td\te", 0, 2, 2, 0},                   // rows of other widths
        {"a\tb\tc\nd\te", 0, 2, 3, 0},
        {"a\tb\n-3\t+4\n", 1, 2, 2, 1},
        {" -3\tb\nc\td", 1, 2, 2, 0}, // a signed number after blanks
        {"a\t", 0, 0, 0, 0},          // the last row ends only with content
        {"", 0, 0, 0, 0},
    };
    for (const TableCase &c : cases) {
        int rows = -1, columns = -1, header = -1;
        EXPECT_EQ(TabTextTableScan(c.text, std::strlen(c.text), &rows, &columns, &header), c.result)
            << c.text;
        if (c.result) {
            EXPECT_EQ(rows, c.rows) << c.text;
            EXPECT_EQ(columns, c.columns) << c.text;
            EXPECT_EQ(header, c.header) << c.text;
        }
    }
    // The length bounds the scan even without a terminating zero.
    const char unterminated[] = {'a', '\t', 'b', '\n', 'c', '\t', 'd', 'X', 'X'};
    int rows = 0, columns = 0;
    EXPECT_EQ(TabTextTableScan(unterminated, 7, &rows, &columns, nullptr), 1);
    EXPECT_EQ(rows, 2);
}

TEST(TextStartsWithNumber, SignsAndBlanks)
{
    EXPECT_EQ(TextStartsWithNumber("  7a"), 1);
    EXPECT_EQ(TextStartsWithNumber("-1"), 1);
    EXPECT_EQ(TextStartsWithNumber("+"), 0);
    EXPECT_EQ(TextStartsWithNumber("-x"), 0);
    EXPECT_EQ(TextStartsWithNumber(""), 0);
}

void putClipboardText(const char *text)
{
    ASSERT_TRUE(OpenClipboard(0));
    ASSERT_TRUE(EmptyClipboard());
    const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::memcpy(GlobalLock(h), text, std::strlen(text) + 1);
    GlobalUnlock(h);
    ASSERT_EQ(SetClipboardData(CF_TEXT, h), h);
    ASSERT_TRUE(CloseClipboard());
}

TEST(ClipboardLinkText, TableTextOnTheClipboard)
{
    putClipboardText("Town\tPeople\nAsh\t120\nElm\t80\n");
    EXPECT_EQ(ClipboardLinkTextAvailable(), 1);
    putClipboardText("just words");
    EXPECT_EQ(ClipboardLinkTextAvailable(), 0);

    // Another program holding the clipboard open does not hold us up.
    putClipboardText("a\tb");
    const HWND other = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    ASSERT_TRUE(OpenClipboard(other));
    EXPECT_EQ(ClipboardLinkTextAvailable(), 0);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(ClipboardLinkTextAvailable(), 1);
    DestroyWindow(other);
    ASSERT_TRUE(OpenClipboard(0));
    EmptyClipboard();
    CloseClipboard();
}

TEST(GuiRecord, MadeForWindowsOnly)
{
    _GUI *gui = reinterpret_cast<_GUI *>(0x1);
    EXPECT_EQ(newGUI(0, &gui), 0);
    EXPECT_EQ(gui, reinterpret_cast<_GUI *>(0x1)) << "nothing stored on failure";
    const HWND w = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    EXPECT_EQ(newGUI(w, nullptr), 0);
    ASSERT_EQ(newGUI(w, &gui), 1);
    ASSERT_NE(gui, nullptr);
    EXPECT_EQ(gui->displayOptions, 0);
    EXPECT_EQ(deleteGUI(gui), 1);
    EXPECT_EQ(deleteGUI(nullptr), 0);
    DestroyWindow(w);
}

class BrowseIni : public ::testing::Test {
protected:
    void SetUp() override
    {
        ini_ = dir_.path().toStdString() + "/engine.ini";
        std::ofstream(ini_) << "[GORM]\n";
        previous_ = SetFileDialogHook([this](const FileDialogRequest &r) -> std::optional<std::string> {
            seen_ = r;
            return answer_;
        });
    }
    void TearDown() override { SetFileDialogHook(previous_); }

    QTemporaryDir dir_;
    std::string ini_;
    std::optional<std::string> answer_;
    FileDialogRequest seen_;
    FileDialogHook previous_;
};

TEST_F(BrowseIni, AsksForAnExistingFileWithTheLibraryTexts)
{
    answer_ = ini_;
    char out[512] = "unchanged";
    EXPECT_EQ(BrowseIniFile(0, 0, "start.ini", nullptr, nullptr, out, sizeof out), 1);
    EXPECT_EQ(std::string(out), ini_);
    EXPECT_EQ(seen_.initialPath, "start.ini");
    EXPECT_EQ(seen_.title, "Browsing the initialization file");
    ASSERT_EQ(seen_.filters.size(), 2u);
    EXPECT_EQ(seen_.filters[0].first, "Initialization files (*.ini)");
    EXPECT_EQ(seen_.filters[0].second, "*.ini");
    EXPECT_EQ(seen_.filters[1].second, "*.*");
    EXPECT_TRUE(seen_.flags & OFN_FILEMUSTEXIST);
    EXPECT_TRUE(seen_.flags & OFN_HIDEREADONLY);
}

TEST_F(BrowseIni, RefusesMissingFilesCancelAndShortBuffers)
{
    char out[512] = "unchanged";
    answer_ = dir_.path().toStdString() + "/missing.ini";
    EXPECT_EQ(BrowseIniFile(0, 0, "", "Pick", "Text|*.txt", out, sizeof out), 0);
    EXPECT_EQ(seen_.title, "Pick");
    EXPECT_STREQ(out, "unchanged");
    answer_.reset();
    EXPECT_EQ(BrowseIniFile(0, 0, "", nullptr, nullptr, out, sizeof out), 0);
    answer_ = ini_;
    char small[8] = "keep";
    EXPECT_EQ(BrowseIniFile(0, 0, "", nullptr, nullptr, small, sizeof small), 0);
    EXPECT_STREQ(small, "keep");
    EXPECT_EQ(BrowseIniFile(0, 0, "", nullptr, nullptr, nullptr, 0), 1)
        << "no buffer: only the choice counts";
}

} // namespace
