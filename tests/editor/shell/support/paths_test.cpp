#include "editor/shell/support/paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Parts = std::vector<std::string>;

TEST(PathsTest, SplitsStoredPathsAtBothSeparators)
{
    struct Case {
        const char *path;
        Parts parts;
        const char *joined;
    };
    const Case cases[] = {
        {"/home/me/maps/a.tif", {"", "home", "me", "maps", "a.tif"}, "/home/me/maps/a.tif"},
        {"C:\\Maps\\Rasters\\A.TIF", {"C:", "Maps", "Rasters", "A.TIF"}, "C:/Maps/Rasters/A.TIF"},
        {"\\\\server\\share\\b.png", {"", "server", "share", "b.png"}, "/server/share/b.png"},
        {"rel/mixed\\Sep/x.Tif", {"rel", "mixed", "Sep", "x.Tif"}, "rel/mixed/Sep/x.Tif"},
        {"a//b\\\\c/", {"a", "b", "c"}, "a/b/c"},
        {"/", {""}, "/"},
        {"", {}, ""},
        {"name", {"name"}, "name"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(SplitPath(c.path), c.parts);
        EXPECT_EQ(JoinPath(SplitPath(c.path)), c.joined);
    }
}

TEST(PathsTest, NamesAndExtensionsKeepTheirCase)
{
    EXPECT_EQ(NativePath("C:\\Maps\\Sub/File.MPD"), "C:/Maps/Sub/File.MPD");
    EXPECT_EQ(ExtractFileName("/a/B\\Photo.TIF"), "Photo.TIF");
    EXPECT_EQ(ExtractFilePath("/a/B\\Photo.TIF"), "/a/B\\");
    EXPECT_EQ(ExtractFilePath("Photo.TIF"), "");
    EXPECT_EQ(ExtractFileExt("/a/B\\Photo.TIF"), ".TIF");
    EXPECT_EQ(ExtractFileExt("/a.dir/noext"), "");
    EXPECT_EQ(ExtractFileExt("/a/archive.tar.GZ"), ".GZ");
    EXPECT_EQ(ChangeFileExt("/a/Map.MPD", ".bak"), "/a/Map.bak");
    EXPECT_EQ(ChangeFileExt("/a.b/Map", ".bak"), "/a.b/Map.bak");
    EXPECT_EQ(ChangeFileExt("/a/Map.mpd", ""), "/a/Map");
}

TEST(PathsTest, ExtensionsMatchInAnyCase)
{
    EXPECT_TRUE(HasExtension("/maps/A.TIF", ".tif"));
    EXPECT_TRUE(HasExtension("C:\\maps\\a.png", ".PNG"));
    EXPECT_TRUE(HasExtension("a.TiF", ".tIf"));
    EXPECT_FALSE(HasExtension("/maps.tif/a", ".tif"));
    EXPECT_FALSE(HasExtension("/maps/a.tiff", ".tif"));
    EXPECT_TRUE(HasExtension("/maps/a", "")); // no extension asked, none there
    EXPECT_FALSE(HasExtension("/maps/a.tif", ""));
    EXPECT_FALSE(SameTextIgnoringCase("\xC9", "\xE9")); // only ASCII letters fold
}

TEST(PathsTest, JoinsWithOneSeparator)
{
    EXPECT_EQ(PathJoin("/a", "b.txt"), "/a/b.txt");
    EXPECT_EQ(PathJoin("/a/", "b.txt"), "/a/b.txt");
    EXPECT_EQ(PathJoin("/a/", "/b.txt"), "/a/b.txt");
    EXPECT_EQ(PathJoin("", "b.txt"), "b.txt");
    EXPECT_EQ(IncludeTrailingSeparator("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingSeparator("/a/"), "/a/");
    EXPECT_EQ(IncludeTrailingSeparator("C:\\a\\"), "C:\\a\\");
    EXPECT_EQ(IncludeTrailingSeparator(""), "/");
}

} // namespace
