// The save-file dialog, behind one hook that tests set to answer it without
// a person. Without a hook it is a QFileDialog when a screen is there, and
// otherwise it is cancelled.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct SaveDialogRequest {
    std::string title;
    std::string proposedName;     // native path or file name
    std::string defaultExtension; // without its point; added to a name typed without one
    // (description, patterns separated by ';'), in order.
    std::vector<std::pair<std::string, std::string>> filters;
    bool confirmOverwrite = true;
};

// The chosen path as the person typed it, or nothing when cancelled.
using SaveDialogHook = std::function<std::optional<std::string>(const SaveDialogRequest &)>;
// Installs a hook (an empty one removes it); returns the previous hook.
SaveDialogHook SetSaveDialogHook(SaveDialogHook hook);

// The chosen path with the default extension added when its file name has
// none, or nothing when cancelled.
std::optional<std::string> ShowSaveDialog(const SaveDialogRequest &request);
