#include "editor/shell/support/file_routines.h"

#include "file_helpers.h"
#include "support_fixture.h"

#include <QDir>

#include <fcntl.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using FileRoutinesTest = SupportTest;

TEST(ShortenPathTest, CutsBetweenSeparators)
{
    struct Case {
        const char *path;
        int maximum;
        const char *result;
    };
    const Case cases[] = {
        {"C:\\Users\\me\\Documents\\Projects\\file.mpd", 30, "C:\\Users\\me\\...\\file.mpd"},
        {"/home/me/Documents/Projects/file.mpd", 30, "/home/me/.../file.mpd"},
        {"/home/me/Documents/Projects/file.mpd", 36, "/home/me/Documents/Projects/file.mpd"},
        {"/home/me/Documents/Projects/file.mpd", 35, "/home/me/Documents/.../file.mpd"},
        {"/a/file.mpd", 15, "/a/file.mpd"},
        {"/a/file.mpd", 14, "file.mpd"}, // shorter than the name + 7: the name wins
        {"/longfoldername/file.mpd", 20, "/.../file.mpd"},
        {"longfoldername/file.mpd", 20, ""},
        {"/a/b/c\\d/file.mpd", 16, "/a/.../file.mpd"},
        {"C:\\dir/sub\\deeper/file.mpd", 20, "C:\\dir/.../file.mpd"},
        {"file.mpd", 3, "file.mpd"},
        {"/a/file.mpd", 0, ""},
        {"", 10, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.maximum));
        const std::string result = ShortenPath(c.path, c.maximum);
        EXPECT_EQ(result, c.result);
    }
}

TEST(ShortenPathTest, AddBackslashAddsTheSeparatorOnce)
{
    std::string path = "/a";
    AddBackslash(path);
    EXPECT_EQ(path, "/a/");
    AddBackslash(path);
    EXPECT_EQ(path, "/a/");
    path = "C:\\a\\";
    AddBackslash(path);
    EXPECT_EQ(path, "C:\\a\\");
}

TEST_F(FileRoutinesTest, SizesAndCopies)
{
    WriteFile(file("a.txt"), "hello");
    EXPECT_EQ(FileSizeOf(file("a.txt")), 5);
    EXPECT_EQ(FileSizeOf(file("missing")), -1);
    EXPECT_EQ(FileSizeOf(root()), -1);

    ASSERT_TRUE(CopyFileOver(file("a.txt"), file("b.txt")));
    EXPECT_EQ(ReadFile(file("b.txt")), "hello");
    WriteFile(file("a.txt"), "second");
    ASSERT_TRUE(CopyFileOver(file("a.txt"), file("b.txt")));
    EXPECT_EQ(ReadFile(file("b.txt")), "second");
    EXPECT_FALSE(CopyFileOver(file("missing"), file("c.txt")));
    EXPECT_FALSE(CopyFileOver(file("a.txt"), root() + "/no/such/folder/c.txt"));
    EXPECT_EQ(QDir(QString::fromStdString(root())).entryList(QDir::Files).size(), 2); // no leftovers
}

TEST_F(FileRoutinesTest, CopyOntoItselfKeepsTheFile)
{
    WriteFile(file("self.txt"), "keep me");
    ASSERT_EQ(::mkdir(file("sub").c_str(), 0755), 0);
    ASSERT_EQ(::symlink(file("self.txt").c_str(), file("link.txt").c_str()), 0);
    ASSERT_EQ(::link(file("self.txt").c_str(), file("hard.txt").c_str()), 0);
    for (const std::string &target : {file("self.txt"), root() + "/sub/../self.txt", root() + "//self.txt",
                                      file("link.txt"), file("hard.txt")}) {
        SCOPED_TRACE(target);
        EXPECT_TRUE(CopyFileOver(file("self.txt"), target));
        EXPECT_EQ(ReadFile(file("self.txt")), "keep me");
    }
}

TEST_F(FileRoutinesTest, ClearFolderRemovesALinkButNotWhatItPointsTo)
{
    // outside/ must stay whole; work/ holds files, folders and links to
    // outside/ and to one of its files.
    for (const char *folder :
         {"outside", "outside/deep", "work", "work/sub", "work/sub/inner", "work/.hidden"})
        ASSERT_EQ(::mkdir(file(folder).c_str(), 0755), 0) << folder;
    WriteFile(file("outside/keep.txt"), "k");
    WriteFile(file("outside/deep/keep2.txt"), "k");
    WriteFile(file("work/a.txt"), "a");
    WriteFile(file("work/sub/b.txt"), "b");
    WriteFile(file("work/sub/inner/c.txt"), "c");
    ASSERT_EQ(::symlink(file("outside").c_str(), file("work/sub/folderlink").c_str()), 0);
    ASSERT_EQ(::symlink(file("outside/keep.txt").c_str(), file("work/filelink").c_str()), 0);

    std::vector<std::string> list;
    ASSERT_TRUE(ListFiles(file("work"), list));
    const std::string w = file("work") + "/";
    const std::vector<std::string> expected = {w + "a.txt",          w + "filelink",       w + "sub/",
                                               w + "sub/b.txt",      w + "sub/folderlink", w + "sub/inner/",
                                               w + "sub/inner/c.txt"};
    EXPECT_EQ(list, expected);

    EXPECT_TRUE(ClearFolder(file("work")));
    EXPECT_EQ(QDir(QString::fromStdString(file("work")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
              QStringList{".hidden"});
    EXPECT_EQ(ReadFile(file("outside/keep.txt")), "k");
    EXPECT_EQ(ReadFile(file("outside/deep/keep2.txt")), "k");
}

TEST_F(FileRoutinesTest, EmptyOrRootFoldersAreRefused)
{
    std::vector<std::string> list;
    for (const char *folder : {"", "/", "//", "/.", "/tmp/.."}) {
        SCOPED_TRACE(folder);
        EXPECT_FALSE(ListFiles(folder, list));
        EXPECT_FALSE(ClearFolder(folder));
    }
    EXPECT_FALSE(ListFiles(file("missing"), list));
    EXPECT_TRUE(list.empty());
    // A link inside the root is no way round.
    ASSERT_EQ(::symlink("/", file("rootlink").c_str()), 0);
    EXPECT_FALSE(ClearFolder(file("rootlink")));
}

TEST_F(FileRoutinesTest, CopyNewerFilesCopiesMissingAndOlderOnes)
{
    ASSERT_EQ(::mkdir(file("from").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(file("from/sub").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(file("to").c_str(), 0755), 0);
    WriteFile(file("from/new.txt"), "new");
    WriteFile(file("from/newer.txt"), "newer");
    WriteFile(file("from/same.txt"), "same");
    WriteFile(file("from/sub/skip.txt"), "skip");
    WriteFile(file("to/newer.txt"), "old");
    WriteFile(file("to/same.txt"), "target's own");
    auto setTime = [](const std::string &path, time_t seconds) {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    setTime(file("from/newer.txt"), 2000000000);
    setTime(file("to/newer.txt"), 1000000000);
    setTime(file("from/same.txt"), 1500000000);
    setTime(file("to/same.txt"), 1500000000);

    EXPECT_TRUE(CopyNewerFiles(file("from"), file("to")));
    EXPECT_EQ(ReadFile(file("to/new.txt")), "new");
    EXPECT_EQ(ReadFile(file("to/newer.txt")), "newer");
    EXPECT_EQ(ReadFile(file("to/same.txt")), "target's own");
    EXPECT_EQ(ReadFile(file("to/skip.txt")), "<missing>");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file("to/sub"))));
    // Copies keep their source's date, so a second run has nothing to do.
    EXPECT_FALSE(CopyNewerFiles(file("from"), file("to")));
    EXPECT_FALSE(CopyNewerFiles(file("missing"), file("to")));
}

TEST(DriveTypeTest, FromTheFileSystemType)
{
    struct Case {
        int64_t type;
        unsigned drive;
    };
    const Case cases[] = {{0xEF53, DRIVE_FIXED},     {0x6969, DRIVE_REMOTE},      {0xFF534D42, DRIVE_REMOTE},
                          {0x9660, DRIVE_CDROM},     {0x01021994, DRIVE_RAMDISK}, {0x4D44, DRIVE_REMOVABLE},
                          {0x794C7630, DRIVE_FIXED}, {0x12345678, DRIVE_UNKNOWN}};
    for (const Case &c : cases)
        EXPECT_EQ(DriveTypeOfFileSystem(c.type), c.drive) << std::hex << c.type;
    EXPECT_EQ(DriveType("/no/such/path"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(DriveType(""), DRIVE_NO_ROOT_DIR);
    if (QFileInfo(QStringLiteral("/dev/shm")).isDir()) {
        EXPECT_EQ(DriveType("/dev/shm"), DRIVE_RAMDISK);
    }
    EXPECT_EQ(DriveType("/proc"), DRIVE_UNKNOWN);
}

} // namespace
