// Launching documents and programs through the desktop (xdg-open), and what
// the editor tells about the system and itself. Every launch goes through
// one hook, so tests see what would start without starting it.
#pragma once

#include "platform/types.h"

#include <functional>
#include <string>
#include <vector>

class QComboBox;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;

// ShellRun's codes below 32: failures.
inline constexpr int SE_ERR_FNF = 2;
inline constexpr int SE_ERR_NOASSOC = 31;
// ShellRun's code when the launch was accepted (any code above 32 is).
inline constexpr int kShellRunStarted = 42;

struct ShellLaunch {
    std::string program; // the program to start ("xdg-open" for documents)
    std::vector<std::string> arguments;
    std::string workingFolder; // empty: the current one
    int showMode = SW_SHOWNORMAL;
};

// True when the launch started. Without a hook the program starts detached.
using ShellLaunchHook = std::function<bool(const ShellLaunch &)>;
// Installs a hook (an empty one removes it); returns the previous hook.
ShellLaunchHook SetShellLaunchHook(ShellLaunchHook hook);

// The desktop's "open" action on a document, web link or program, through
// xdg-open; true when it started.
bool ShellOpen(HWND window, const std::string &document);
// Starts a program with parameters (split as a shell would) in a working
// folder, or opens a document or web link through xdg-open (the parameters
// then unused). A code above 32 when started; SE_ERR_FNF when the program
// or document does not exist, SE_ERR_NOASSOC when the launch failed.
int ShellRun(HWND window, const std::string &program, const std::string &parameters, int showMode,
             const std::string &workingFolder);

// The name of a Windows version by its numbers ("Windows 7" for 6.1), with
// " : " and the service pack when given; empty for other versions.
std::string WindowsVersionNameOf(int major, int minor, const std::string &servicePack);
// The name of the running system (its pretty product name here).
std::string WindowsVersionName();
// The program's version as four numbers joined by "." ("8.0.1.0"), from
// the application's version; empty when it has none.
std::string ProgramVersion();
// Fills the combo box with the screen's font families and selects fontName,
// else defaultName, else the first (names compared in any case).
void FillFontCombo(QComboBox *combo, const std::string &fontName, const std::string &defaultName);
