#include "editor/shell/tools/tool_base.h"

#include "editor/shell/map/tpmap.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/messages.h"

#include <QCoreApplication>
#include <cstdlib>
#include <exception>

TORVTool::TORVTool(TToolMgr &mgr, uint8_t id) : mgr_(mgr), id_(id) {}

TORVTool::~TORVTool() = default;

void TORVTool::SetMap(TPMap *map) { map_ = map; }

bool TORVTool::GetState(uint8_t id, bool &owned)
{
    owned = id == id_;
    return false;
}

void TORVTool::ToolClick(QObject *sender, uint8_t id, bool &handled)
{
    handled = id == id_;
    auto *button = handled ? dynamic_cast<TToolBtn *>(sender) : nullptr;
    if (button) {
        button_ = button;
        holdsButton_ = true;
    } else {
        ForgetButton();
    }
}

void TORVTool::MapMouse(TPMap &map)
{
    if (map.MouseArgs.EventId == 516)
        Unlatch();
}

void TORVTool::SelectionChanged(TPMap &) {}

void TORVTool::SetActive(bool flag)
{
    active_ = flag;
    if (!flag)
        Unlatch();
}

void TORVTool::Latch(QObject *sender, bool state)
{
    auto *button = dynamic_cast<TToolBtn *>(sender);
    if (holdsButton_ && button_.data() != button)
        Unlatch();
    if (!button) {
        ForgetButton();
        return;
    }
    button_ = button;
    holdsButton_ = true;
    button->SetLatched(state);
}

void TORVTool::Unlatch()
{
    if (!holdsButton_)
        return;
    TToolBtn *button = button_.data();
    ForgetButton();
    bool released = false;
    if (button) {
        try {
            button->SetLatched(false);
            released = true;
        } catch (const std::exception &) {
        }
    }
    if (!released)
        Global().TraceError("Unable to unlatch <TToolBtn>");
}

void TORVTool::ForgetButton()
{
    button_.clear();
    holdsButton_ = false;
}

void TORVUITool::BuildUI()
{
    QCoreApplication::processEvents();
    uiBuilt_ = true;
}

void TORVUITool::Refresh()
{
    if (!uiBuilt_)
        ErrorMessage("System Error : \nAttempt to refresh unconstructed UI.");
}

void TORVUITool::Activate(uint8_t id)
{
    shown_ = id == id_;
    if (!shown_)
        return;
    if (!uiBuilt_)
        BuildUI();
    Refresh();
    UpdateButtons();
}

void TORVUITool::RefreshIfActive()
{
    if (shown_ && uiBuilt_)
        Refresh();
}

void TORVUITool::UpdateButtonStates(QWidget *control)
{
    if (!control)
        return;
    const QList<QWidget *> children = control->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    if (children.isEmpty()) {
        if (auto *button = dynamic_cast<TToolBtn *>(control)) {
            bool owned = false;
            button->setEnabled(GetState(button->Id, owned));
        }
        return;
    }
    for (QWidget *child : children)
        UpdateButtonStates(child);
}

void TORVUITool::UpdateButtons()
{
    if (tab_ && shown_)
        UpdateButtonStates(tab_.data());
}

std::string TORVUITool::CentiToText(int32_t n)
{
    const int64_t magnitude = std::llabs(int64_t(n));
    const int64_t cents = magnitude % 100;
    return std::string(n < 0 ? "-" : "") + std::to_string(magnitude / 100) + (cents < 10 ? ".0" : ".") +
           std::to_string(cents);
}

std::optional<int32_t> TORVUITool::TextToCenti(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    const size_t last = text.find_last_not_of(" \t");
    const std::string_view s(text.data() + first, last - first + 1);

    size_t i = 0;
    const bool negative = s[0] == '-';
    if (s[0] == '-' || s[0] == '+')
        i = 1;
    int64_t whole = 0;
    int digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
        whole = whole * 10 + (s[i] - '0');
        if (whole > 100000000) // far beyond the 32-bit range once times 100
            return std::nullopt;
    }
    // Two decimals into the value, the rest only for the rounding.
    int64_t value = whole * 100;
    int rest = 0; // 0: nothing after the second decimal, 1: below a half, 2: a half, 3: above
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (int place = 0; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++place, ++digits) {
            const int d = s[i] - '0';
            if (place == 0)
                value += 10 * d;
            else if (place == 1)
                value += d;
            else if (place == 2)
                rest = d > 5 ? 3 : d == 5 ? 2 : d > 0 ? 1 : 0;
            else if (d > 0 && rest == 0)
                rest = 1;
            else if (d > 0 && rest == 2)
                rest = 3;
        }
    }
    if (i != s.size() || digits == 0)
        return std::nullopt;
    if (rest == 3 || (rest == 2 && value % 2 == 1))
        ++value;
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int32_t(value);
}
