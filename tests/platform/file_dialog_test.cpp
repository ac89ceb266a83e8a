#include "platform/file_dialog.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(FileDialog, FilterPairs)
{
    const auto f = ParseFileFilter("Maps (*.mpd)|*.mpd|All|*.*;*|Dangling");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].first, "Maps (*.mpd)");
    EXPECT_EQ(f[0].second, "*.mpd");
    EXPECT_EQ(f[1].second, "*.*;*");
    EXPECT_TRUE(ParseFileFilter("").empty());
    EXPECT_TRUE(ParseFileFilter("|*.x").empty()) << "a pair without description is dropped";
}

TEST(FileDialog, HookAnswersAndExistenceIsChecked)
{
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/a.ini";
    std::ofstream(file) << "x";
    std::optional<std::string> answer = file;
    int calls = 0;
    auto previous = SetFileDialogHook([&](const FileDialogRequest &r) {
        ++calls;
        EXPECT_EQ(r.title, "T");
        return answer;
    });
    FileDialogRequest r;
    r.title = "T";
    r.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    EXPECT_EQ(ShowOpenFileDialog(r), file);
    answer = dir.path().toStdString() + "/missing.ini";
    EXPECT_EQ(ShowOpenFileDialog(r), std::nullopt);
    answer = "/no/such/folder/x.ini";
    r.flags = OFN_PATHMUSTEXIST;
    EXPECT_EQ(ShowOpenFileDialog(r), std::nullopt);
    r.flags = 0;
    EXPECT_EQ(ShowOpenFileDialog(r), answer) << "without the flags any name is taken";
    answer.reset();
    EXPECT_EQ(ShowOpenFileDialog(r), std::nullopt);
    EXPECT_EQ(calls, 5);
    SetFileDialogHook(previous);
}

TEST(FileDialog, TheSaveFormAddsItsExtensionAndChecksTheFolder)
{
    QTemporaryDir dir;
    std::optional<std::string> answer = dir.path().toStdString() + "/picture";
    bool sawSave = false;
    auto previous = SetFileDialogHook([&](const FileDialogRequest &r) {
        sawSave = (r.flags & OFN_SAVE_FORM) != 0;
        return answer;
    });
    FileDialogRequest r;
    r.flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    EXPECT_EQ(ShowSaveFileDialog(r, "bmp"), *answer + ".bmp") << "a file to be made need not exist";
    EXPECT_TRUE(sawSave);
    EXPECT_EQ(ShowOpenFileDialog(r), std::nullopt) << "the open form: it must exist";
    EXPECT_FALSE(sawSave);
    answer = dir.path().toStdString() + "/picture.dib";
    EXPECT_EQ(ShowSaveFileDialog(r, "bmp"), answer) << "a name with its own extension keeps it";
    answer = "/no/such/folder/picture";
    EXPECT_EQ(ShowSaveFileDialog(r, "bmp"), std::nullopt);
    answer.reset();
    EXPECT_EQ(ShowSaveFileDialog(r, "bmp"), std::nullopt);
    SetFileDialogHook(previous);
}

TEST(FileDialog, WithoutHookOrScreenItIsCancelled)
{
    auto previous = SetFileDialogHook({});
    EXPECT_EQ(ShowOpenFileDialog(FileDialogRequest{}), std::nullopt);
    SetFileDialogHook(previous);
}

} // namespace
