// The temporary files of atomic saves: never a way around a target's
// permissions, no name while being written where the file system allows,
// and stale names of dead processes removed by the next save.
#include "platform/atomic_replace.h"
#include "platform/file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::set<std::string> listing(const fs::path &dir)
{
    std::set<std::string> out;
    for (const auto &e : fs::directory_iterator(dir))
        out.insert(e.path().filename().string());
    return out;
}

std::string contents(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put(const fs::path &p, const std::string &text) { std::ofstream(p, std::ios::binary) << text; }

// A process id that no process has any more.
pid_t deadPid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

// Runs body in a child process under an unprivileged user (root ignores
// file permissions; a test run by a user already is one); its exit code is
// the result, -1 when it could not run.
template <typename Body>
int asUnprivileged(Body body)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(99);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class AtomicReplaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/atomic_replace_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
        fs::permissions(dir_, fs::perms::all); // others may write: the folder is not the guard
    }
    void TearDown() override
    {
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }
    fs::path dir_;
};

TEST_F(AtomicReplaceTest, StaleFilesOfGoneProcessesAreRemoved)
{
    const pid_t gone = deadPid();
    const std::string own = std::to_string(getpid()), dead = std::to_string(gone);
    const std::string stale = "doc.mpd.tmp" + dead + ".3";
    const std::set<std::string> kept = {
        "doc.mpd.tmp" + own + ".1", // a save of a live process
        "doc.mpd.tmp" + dead,       // no serial number
        "notes.tmp12x.1",           // not a process id
        "doc.mpd",
    };
    put(dir_ / stale, "old");
    for (const std::string &n : kept)
        put(dir_ / n, "keep");
    fs::create_directory(dir_ / ("folder.tmp" + dead + ".1")); // not a regular file
    EXPECT_EQ(RemoveStaleReplacementFiles(dir_.string()), 1);
    std::set<std::string> expected = kept;
    expected.insert("folder.tmp" + dead + ".1");
    EXPECT_EQ(listing(dir_), expected);
    // Opening a save in the folder clears such names too.
    put(dir_ / stale, "old");
    File f;
    ASSERT_TRUE(f.Open((dir_ / "doc.mpd").string(), File::Mode::ReplaceAtomic));
    EXPECT_FALSE(fs::exists(dir_ / stale));
    f.Abandon();
}

TEST_F(AtomicReplaceTest, WritingLeavesNoNameUntilCommitted)
{
    const fs::path target = dir_ / "doc.mpd";
    put(target, "old content");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    File f;
    ASSERT_TRUE(f.Open(target.string(), File::Mode::ReplaceAtomic));
    ASSERT_TRUE(f.Write("new", 3));
    if (!f.TemporaryPath().empty()) {
        f.Abandon();
        GTEST_SKIP() << "this file system has no unnamed temporary files";
    }
    EXPECT_EQ(listing(dir_), std::set<std::string>{"doc.mpd"});
    ASSERT_TRUE(f.Commit());
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(listing(dir_), std::set<std::string>{"doc.mpd"});
    // The replaced file keeps the target's permissions.
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Abandoned, nothing changes and nothing stays.
    ASSERT_TRUE(f.Open(target.string(), File::Mode::ReplaceAtomic));
    ASSERT_TRUE(f.Write("other", 5));
    f.Abandon();
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(listing(dir_), std::set<std::string>{"doc.mpd"});
}

// A target the user may not write is refused, though its folder would let
// a rename replace it; a folder the user may not write refuses a new file.
TEST_F(AtomicReplaceTest, PermissionsAreHonoured)
{
    const fs::path target = dir_ / "locked.mpd";
    put(target, "keep me");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const fs::path closed = dir_ / "closed";
    fs::create_directory(closed);
    put(closed / "doc.mpd", "keep me too");
    fs::permissions(closed / "doc.mpd", fs::perms::all);
    fs::permissions(closed, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    struct Case {
        fs::path path;
        int error;
    };
    const Case cases[] = {{target, EACCES}, {closed / "new.mpd", EACCES}, {closed / "doc.mpd", EACCES}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.string());
        const int result = asUnprivileged([&] {
            File f;
            if (f.Open(c.path.string(), File::Mode::ReplaceAtomic))
                return f.Write("x", 1) && f.Commit() ? 1 : 2;
            return f.Error() == c.error ? 0 : 3;
        });
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(contents(target), "keep me");
    EXPECT_EQ(contents(closed / "doc.mpd"), "keep me too");
    EXPECT_EQ(listing(closed), std::set<std::string>{"doc.mpd"});
    EXPECT_EQ(listing(dir_), (std::set<std::string>{"closed", "locked.mpd"}));
    EXPECT_EQ(ReplaceTargetRefusal((dir_ / "missing.mpd").string()), 0);
}

} // namespace
