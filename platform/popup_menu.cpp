#include "platform/popup_menu.h"

#include "platform/menu.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"
#include "platform/window.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <mutex>

namespace {

std::mutex &hookMutex()
{
    static std::mutex m;
    return m;
}

PopupMenuHook &hookRef()
{
    static PopupMenuHook hook;
    return hook;
}

void fill(QMenu &target, HMENU menu)
{
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        const UINT state = GetMenuState(menu, UINT(i), MF_BYPOSITION);
        if (state & MF_SEPARATOR) {
            target.addSeparator();
            continue;
        }
        char text[256] = {};
        GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
        const QString caption = FromWindows1252(text);
        if (const HMENU sub = GetSubMenu(menu, i)) {
            fill(*target.addMenu(caption), sub);
            continue;
        }
        QAction *a = target.addAction(caption);
        a->setData(GetMenuItemID(menu, i));
        a->setCheckable(state & MF_CHECKED);
        a->setChecked(state & MF_CHECKED);
        a->setEnabled(!(state & (MF_GRAYED | MF_DISABLED)));
    }
}

} // namespace

PopupMenuHook SetPopupMenuHook(PopupMenuHook hook)
{
    std::lock_guard lock(hookMutex());
    PopupMenuHook previous = std::move(hookRef());
    hookRef() = std::move(hook);
    return previous;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner)
{
    if (!IsMenu(menu))
        return FALSE;
    PopupMenuHook hook;
    {
        std::lock_guard lock(hookMutex());
        hook = hookRef();
    }
    UINT picked = 0;
    if (hook) {
        picked = hook(menu, x, y);
    } else if (CanShowDialogs()) {
        QMenu shown;
        fill(shown, menu);
        if (QAction *a = shown.exec(QCursor::pos()))
            picked = a->data().toUInt();
    }
    if (flags & TPM_RETURNCMD)
        return BOOL(picked);
    if (picked && owner)
        SendMessageA(owner, WM_COMMAND, picked, 0);
    return picked ? TRUE : FALSE;
}
