// The recent-files list at the end of a menu: the files most recently used
// first, each an item whose caption is its shortened path, above the items
// that stay at the menu's end (with a separator between). The list is kept
// in registry string values "File0", "File1", ... (most recent first).
// Paths are compared exactly, as the file system does.
#pragma once

#include "editor/shell/support/reg_link.h"

#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

class TRecentFileMenu {
public:
    // parent: the menu the items go into; itemsBelow: how many of its last
    // items stay below the list.
    TRecentFileMenu(QMenu *parent, int itemsBelow);

    void SetKey(HKEY hive, const std::string &key) { link_ = TRegLink(hive, key); }
    void SetClickHandler(std::function<void(QAction *)> handler) { onClick_ = std::move(handler); }
    void SetCaptionWidth(int width) { captionWidth_ = width; }
    void SetMaxFiles(int count) { maxFiles_ = count < 1 ? 1 : count; }

    // Reads "File0" up to the number kept; non-empty values are listed.
    void Load();
    // Puts the file at the top: a listed one moves there, a new one drops
    // the oldest when more than the number kept. Nothing is written.
    void Add(const std::string &file);
    // Writes the listed files to "File0" onwards.
    void Save() const;
    // The file at index (0 = most recent); empty out of range.
    std::string GetFile(int index) const;
    // The file of one of the list's items; empty for another item.
    std::string FileOfItem(const QAction *item) const;
    // Takes the file and its item away, writes the rest and deletes the
    // value past the last; true when it was listed.
    bool Remove(const std::string &file);

    const std::vector<std::string> &Files() const { return files_; }
    const std::vector<QAction *> &Items() const { return items_; }

private:
    void UpdateMenu();

    QMenu *parent_;
    std::function<void(QAction *)> onClick_;
    int itemsBelow_;
    std::vector<std::string> files_;
    std::vector<QAction *> items_;
    int captionWidth_ = 32;
    int maxFiles_ = 4;
    TRegLink link_;
};
