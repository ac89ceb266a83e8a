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

TEST(FileDialog, WithoutHookOrScreenItIsCancelled)
{
    auto previous = SetFileDialogHook({});
    EXPECT_EQ(ShowOpenFileDialog(FileDialogRequest{}), std::nullopt);
    SetFileDialogHook(previous);
}

} // namespace
