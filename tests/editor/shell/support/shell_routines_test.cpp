#include "editor/shell/support/shell_routines.h"

#include "file_helpers.h"
#include "support_fixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>

#include <sys/stat.h>

namespace {

// Records launches instead of starting anything.
class LaunchRecorder {
public:
    explicit LaunchRecorder(bool accept = true)
    {
        old_ = SetShellLaunchHook([this, accept](const ShellLaunch &l) {
            launches.push_back(l);
            return accept;
        });
    }
    ~LaunchRecorder() { SetShellLaunchHook(old_); }
    std::vector<ShellLaunch> launches;

private:
    ShellLaunchHook old_;
};

using ShellRoutinesTest = SupportTest;

TEST_F(ShellRoutinesTest, OpenGoesThroughXdgOpen)
{
    LaunchRecorder recorder;
    EXPECT_TRUE(ShellOpen(0, file("Scratch.kml")));
    EXPECT_TRUE(ShellOpen(0, "https://maps.example.org/?q=1&z=2"));
    EXPECT_FALSE(ShellOpen(0, ""));
    ASSERT_EQ(recorder.launches.size(), 2u);
    EXPECT_EQ(recorder.launches[0].program, "xdg-open");
    EXPECT_EQ(recorder.launches[0].arguments, std::vector<std::string>{file("Scratch.kml")});
    EXPECT_EQ(recorder.launches[1].arguments, std::vector<std::string>{"https://maps.example.org/?q=1&z=2"});

    LaunchRecorder refusing(false);
    EXPECT_FALSE(ShellOpen(0, file("Scratch.kml")));
}

TEST_F(ShellRoutinesTest, RunGivesACodeAbove32OnlyWhenStarted)
{
    WriteFile(file("tool.sh"), "#!/bin/sh\n");
    ASSERT_EQ(::chmod(file("tool.sh").c_str(), 0755), 0);
    WriteFile(file("Scratch.csv"), "a,b\n");
    {
        LaunchRecorder recorder;
        EXPECT_EQ(ShellRun(0, file("tool.sh"), "-x \"two words\"", SW_SHOWMAXIMIZED, root()),
                  kShellRunStarted);
        EXPECT_EQ(ShellRun(0, file("Scratch.csv"), "ignored", SW_SHOWNORMAL, ""), kShellRunStarted);
        EXPECT_EQ(ShellRun(0, "sh", "-c true", SW_HIDE, ""), kShellRunStarted); // found on the search path
        EXPECT_EQ(ShellRun(0, "Quarrow.exe", "", SW_SHOWNORMAL, ""), SE_ERR_FNF);
        EXPECT_EQ(ShellRun(0, file("missing.csv"), "", SW_SHOWNORMAL, ""), SE_ERR_FNF);
        EXPECT_EQ(ShellRun(0, "", "", SW_SHOWNORMAL, ""), SE_ERR_FNF);
        ASSERT_EQ(recorder.launches.size(), 3u);
        const ShellLaunch &tool = recorder.launches[0];
        EXPECT_EQ(tool.program, file("tool.sh"));
        EXPECT_EQ(tool.arguments, (std::vector<std::string>{"-x", "two words"}));
        EXPECT_EQ(tool.workingFolder, root());
        EXPECT_EQ(tool.showMode, SW_SHOWMAXIMIZED);
        EXPECT_EQ(recorder.launches[1].program, "xdg-open");
        EXPECT_EQ(recorder.launches[1].arguments, std::vector<std::string>{file("Scratch.csv")});
        EXPECT_EQ(recorder.launches[2].arguments, (std::vector<std::string>{"-c", "true"}));
    }
    LaunchRecorder refusing(false);
    const int code = ShellRun(0, file("Scratch.csv"), "", SW_SHOWNORMAL, "");
    EXPECT_LT(code, 32);
    EXPECT_EQ(code, SE_ERR_NOASSOC);
}

TEST(SystemNamesTest, WindowsVersionNames)
{
    struct Case {
        int major, minor;
        const char *servicePack;
        const char *name;
    };
    const Case cases[] = {
        {4, 0, "", "Windows 95"},
        {4, 10, "", "Windows 98"},
        {4, 90, "", "Windows Me"},
        {5, 0, "", "Windows 2000"},
        {5, 1, "Service Pack 3", "Windows XP : Service Pack 3"},
        {5, 2, "", "Windows XP x64"},
        {6, 0, "", "Windows Vista"},
        {6, 1, "Service Pack 1", "Windows 7 : Service Pack 1"},
        {6, 2, "", ""},
        {10, 0, "", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WindowsVersionNameOf(c.major, c.minor, c.servicePack), c.name) << c.major << "." << c.minor;
    EXPECT_FALSE(WindowsVersionName().empty());
}

TEST(SystemNamesTest, ProgramVersionHasFourNumbers)
{
    const QString old = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("8.0.1");
    EXPECT_EQ(ProgramVersion(), "8.0.1.0");
    QCoreApplication::setApplicationVersion("8.2.3.4567");
    EXPECT_EQ(ProgramVersion(), "8.2.3.4567");
    QCoreApplication::setApplicationVersion("");
    EXPECT_EQ(ProgramVersion(), "");
    QCoreApplication::setApplicationVersion(old);
}

TEST(SystemNamesTest, FontComboSelectsTheFontTheDefaultOrTheFirst)
{
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    const std::string some = families.last().toStdString();
    QComboBox combo;
    FillFontCombo(&combo, some, "");
    EXPECT_EQ(combo.count(), families.size());
    EXPECT_EQ(combo.currentText().toStdString(), some);
    QString upper = families.last().toUpper();
    FillFontCombo(&combo, "No Such Font", upper.toStdString()); // the default, in any case
    EXPECT_EQ(combo.currentText(), families.last());
    FillFontCombo(&combo, "No Such Font", "Nor This");
    EXPECT_EQ(combo.currentIndex(), 0);
    FillFontCombo(nullptr, "x", "y"); // no box: nothing happens
}

} // namespace
