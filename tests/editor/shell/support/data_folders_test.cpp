#include "editor/shell/support/data_folders.h"

#include "support_fixture.h"

#include "editor_build_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

bool IsFolder(const std::string &path) { return QFileInfo(QString::fromStdString(path)).isDir(); }

// Sets or clears an environment variable for one scope.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const char *value) : name_(name)
    {
        if (const char *old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char *name_;
    std::optional<std::string> old_;
};

using DataFoldersTest = SupportTest;

TEST_F(DataFoldersTest, OneVariableMovesAllFour)
{
    struct Case {
        int csidl;
        const char *sub;
        bool created;
    };
    const Case cases[] = {{CSIDL_COMMON_APPDATA, "common", false},
                          {CSIDL_APPDATA, "data", true},
                          {CSIDL_LOCAL_APPDATA, "state", true},
                          {CSIDL_PERSONAL, "documents", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sub);
        std::string base;
        ASSERT_TRUE(GetSpecialFolder(c.csidl, base));
        EXPECT_EQ(base, root() + "/" + c.sub);
        const std::string folder = EditorDataFolder(c.csidl);
        EXPECT_EQ(folder, root() + "/" + c.sub + "/Vorn Technology/Orvane/");
        EXPECT_EQ(IsFolder(folder), c.created);
    }
}

TEST_F(DataFoldersTest, UnknownFolderNumberIsEmpty)
{
    std::string path = "stale";
    EXPECT_FALSE(GetSpecialFolder(38, path));
    EXPECT_EQ(path, "");
    EXPECT_EQ(EditorDataFolder(38), "");
}

TEST_F(DataFoldersTest, XdgFoldersWhenNotMoved)
{
    ScopedVariable moved(kEditorFoldersVariable, nullptr);
    ScopedVariable data("XDG_DATA_HOME", (root() + "/xdata/").c_str());
    ScopedVariable state("XDG_STATE_HOME", (root() + "/xstate").c_str());
    ScopedVariable documents("XDG_DOCUMENTS_DIR", (root() + "/xdocs").c_str());

    EXPECT_EQ(EditorDataFolder(CSIDL_APPDATA), root() + "/xdata/Vorn Technology/Orvane/");
    EXPECT_EQ(EditorDataFolder(CSIDL_LOCAL_APPDATA), root() + "/xstate/Vorn Technology/Orvane/");
    EXPECT_EQ(EditorDataFolder(CSIDL_PERSONAL), root() + "/xdocs/Vorn Technology/Orvane/");

    // A relative XDG path does not count: the default below home is used.
    ScopedVariable relative("XDG_STATE_HOME", "relative/state");
    std::string base;
    ASSERT_TRUE(GetSpecialFolder(CSIDL_LOCAL_APPDATA, base));
    EXPECT_EQ(base, QDir::homePath().toStdString() + "/.local/state");
}

TEST_F(DataFoldersTest, CommonDataOfABuildIsItsShareFolder)
{
    ScopedVariable moved(kEditorFoldersVariable, nullptr);
    std::string base;
    ASSERT_TRUE(GetSpecialFolder(CSIDL_COMMON_APPDATA, base));
    EXPECT_EQ(base, EDITOR_BUILD_SHARE_DIR);
    const std::string folder = EditorDataFolder(CSIDL_COMMON_APPDATA);
    EXPECT_EQ(folder, base + "/Vorn Technology/Orvane/");
    // The build made the page templates there, not in the source tree.
    EXPECT_TRUE(QFileInfo(QString::fromStdString(folder + "P.mpd")).isFile());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(folder + "L.mpd")).isFile());
}

TEST_F(DataFoldersTest, FilesThatShipWithTheProgramAreFoundWhereverTheFoldersAre)
{
    QTemporaryDir moved;
    ASSERT_TRUE(moved.isValid());
    ScopedVariable variable(kEditorFoldersVariable, moved.path().toLocal8Bit().constData());
    // The program's own data folder does not move with the others.
    const std::string program = ProgramDataFolder();
    EXPECT_EQ(program, std::string(EDITOR_BUILD_COMMON_DATA_DIR));
    const std::string common = EditorDataFolder(CSIDL_COMMON_APPDATA);
    ASSERT_NE(common, program);

    std::string searched;
    EXPECT_EQ(FindProgramFile("P.mpd", &searched), program + "P.mpd");
    // A copy in the common data folder comes first.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(common)));
    QFile own(QString::fromStdString(common + "P.mpd"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.close();
    EXPECT_EQ(FindProgramFile("P.mpd"), common + "P.mpd");
    // Nowhere: empty, and the folders looked in are told.
    EXPECT_EQ(FindProgramFile("Nothing.mpd", &searched), "");
    EXPECT_EQ(searched, common + ", " + program);
    EXPECT_EQ(FindProgramFile(""), "");
}

} // namespace
