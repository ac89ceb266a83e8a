// The folders of the editor's data. Each is a base folder followed by
// "Vorn Technology/Orvane/":
//   common data   the installed share folder (read-only); in a build that
//                 is not installed <build>/share, which the build fills
//   user data     XDG_DATA_HOME (~/.local/share)
//   local data    XDG_STATE_HOME (~/.local/state), where the logs go
//   documents     XDG_DOCUMENTS_DIR (the user's documents folder)
// When the environment variable MAP_EDITOR_FOLDERS_DIR names a folder, the
// four bases are its subfolders "common", "data", "state" and "documents",
// so that tests never touch the user's own folders.
// The files that ship with the program (page templates of new maps, the
// user manual) are also found in the program's own data folder, which the
// variable does not move: <program>/../share, or the build's share folder.
#pragma once

#include <string>

// The shell folder numbers the editor asks for.
inline constexpr int CSIDL_PERSONAL = 5;
inline constexpr int CSIDL_APPDATA = 26;
inline constexpr int CSIDL_LOCAL_APPDATA = 28;
inline constexpr int CSIDL_COMMON_APPDATA = 35;

inline constexpr const char *kEditorFoldersVariable = "MAP_EDITOR_FOLDERS_DIR";
// What follows each base folder.
inline constexpr const char *kEditorFolderTail = "Vorn Technology/Orvane/";

// The base folder of a shell folder number, without a separator at its end;
// false and an empty path for a number the editor does not know or a folder
// that cannot be found.
bool GetSpecialFolder(int csidl, std::string &path);

// The base folder followed by "Vorn Technology/Orvane/", empty when there is
// no base folder. The per-user folders (all but the common data) are
// created when missing, as a first run would; the common data folder is
// never written.
std::string EditorDataFolder(int csidl);

// The data folder that ships with the program, followed by
// "Vorn Technology/Orvane/": <program folder>/../share when it holds one,
// else the share folder of the build that made the program; empty when
// neither exists. Never moved by MAP_EDITOR_FOLDERS_DIR.
std::string ProgramDataFolder();

// A file that ships with the program: the common data folder's copy when it
// has one (a site may put its own there), else the program data folder's;
// empty when neither folder holds it. searched receives the folders looked
// in, for a message that says where.
std::string FindProgramFile(const std::string &name, std::string *searched = nullptr);
