// The open-file dialog, behind one hook that tests set to answer it without
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
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

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
