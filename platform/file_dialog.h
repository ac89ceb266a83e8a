// The open-file and save-file dialogs, behind one hook that tests set to answer it without
// a person. Without a hook it is a QFileDialog when a screen is there, and
// otherwise it is cancelled.
#pragma once

#include "platform/types.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;
// Not one of the system's flags: set by ShowSaveFileDialog, so that the hook
// tells the save form from the open form.
inline constexpr DWORD OFN_SAVE_FORM = 0x40000000;

struct FileDialogRequest {
    HWND owner = 0;
    std::string title;       // Windows-1252
    std::string initialPath; // file name to start with (native path)
    // (description, patterns separated by ';'), in order.
    std::vector<std::pair<std::string, std::string>> filters;
    DWORD flags = 0;
};

// The chosen path, or nothing when cancelled.
using FileDialogHook = std::function<std::optional<std::string>(const FileDialogRequest &)>;
// Installs a hook (an empty one removes it); returns the previous hook.
FileDialogHook SetFileDialogHook(FileDialogHook hook);

// Splits a filter text of "description|patterns|description|patterns..."
// pairs; a description without patterns is dropped.
std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string &filter);

// The chosen path, or nothing when cancelled. With OFN_FILEMUSTEXIST or
// OFN_PATHMUSTEXIST a choice that does not exist counts as cancelled.
std::optional<std::string> ShowOpenFileDialog(const FileDialogRequest &request);

// The save form: the chosen path (with the default extension, given without
// its dot, added when the name has none), or nothing when cancelled. The
// hook sees the request with OFN_SAVE_FORM set. With OFN_PATHMUSTEXIST a
// folder that does not exist counts as cancelled; the Qt dialog asks before
// overwriting a file.
std::optional<std::string> ShowSaveFileDialog(FileDialogRequest request, const std::string &defaultExtension);
