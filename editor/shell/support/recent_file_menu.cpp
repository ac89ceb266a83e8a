#include "editor/shell/support/recent_file_menu.h"

#include "editor/shell/support/file_routines.h"
#include "platform/text_codec.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

TRecentFileMenu::TRecentFileMenu(QMenu *parent, int itemsBelow)
    : parent_(parent), itemsBelow_(std::max(0, itemsBelow))
{
}

void TRecentFileMenu::Load()
{
    files_.clear();
    for (int i = 0; i < maxFiles_; ++i) {
        const std::string file = link_.GetString("File" + std::to_string(i), "");
        if (!file.empty())
            files_.push_back(file);
    }
    if (!files_.empty())
        UpdateMenu();
}

void TRecentFileMenu::UpdateMenu()
{
    if (!parent_ || files_.empty())
        return;
    // The first of the items that stay below.
    auto firstBelow = [this]() -> QAction * {
        const QList<QAction *> actions = parent_->actions();
        const int count = std::min<int>(itemsBelow_, int(actions.size()));
        return count > 0 ? actions[actions.size() - count] : nullptr;
    };
    if (QAction *below = firstBelow(); below && !below->isSeparator()) {
        QAction *separator = new QAction(parent_);
        separator->setSeparator(true);
        parent_->insertAction(below, separator);
        ++itemsBelow_;
    }
    while (items_.size() < files_.size()) {
        QAction *item = new QAction(parent_);
        QObject::connect(item, &QAction::triggered, item, [this, item] {
            if (onClick_)
                onClick_(item);
        });
        parent_->insertAction(firstBelow(), item);
        items_.push_back(item);
    }
    for (size_t i = 0; i < files_.size(); ++i) {
        // '&' would otherwise mark a shortcut letter.
        QString caption = FromWindows1252(ShortenPath(files_[i], captionWidth_));
        items_[i]->setText(caption.replace('&', QStringLiteral("&&")));
        items_[i]->setVisible(true);
    }
    for (size_t i = files_.size(); i < items_.size(); ++i)
        items_[i]->setVisible(false);
}

void TRecentFileMenu::Add(const std::string &file)
{
    if (file.empty())
        return;
    auto it = std::find(files_.begin(), files_.end(), file);
    if (it != files_.end()) {
        std::rotate(files_.begin(), it, it + 1);
    } else {
        files_.insert(files_.begin(), file);
        if (int(files_.size()) > maxFiles_)
            files_.pop_back();
    }
    UpdateMenu();
}

void TRecentFileMenu::Save() const
{
    for (size_t i = 0; i < files_.size(); ++i)
        link_.WriteString("File" + std::to_string(i), files_[i]);
}

std::string TRecentFileMenu::GetFile(int index) const
{
    return index >= 0 && size_t(index) < files_.size() ? files_[size_t(index)] : std::string();
}

std::string TRecentFileMenu::FileOfItem(const QAction *item) const
{
    const auto it = std::find(items_.begin(), items_.end(), item);
    const size_t index = size_t(it - items_.begin());
    return it != items_.end() && index < files_.size() ? files_[index] : std::string();
}

bool TRecentFileMenu::Remove(const std::string &file)
{
    const auto it = std::find(files_.begin(), files_.end(), file);
    if (it == files_.end())
        return false;
    const size_t index = size_t(it - files_.begin());
    files_.erase(it);
    if (index < items_.size()) {
        delete items_[index];
        items_.erase(items_.begin() + std::ptrdiff_t(index));
    }
    Save();
    link_.DeleteValue("File" + std::to_string(files_.size()));
    UpdateMenu();
    return true;
}
