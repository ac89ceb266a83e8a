#include "platform/menu.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {

struct Item {
    UINT flags;
    UINT id;       // command id; 0 for a separator or sub-menu
    HMENU subMenu; // with MF_POPUP
    std::string text;
};

struct Menu {
    bool popup;
    std::vector<Item> items;
};

struct Table {
    std::recursive_mutex mutex;
    std::map<HMENU, Menu> menus;
    HMENU next = 1;
};

Table &table()
{
    static Table t;
    return t;
}

HMENU create(bool popup)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    if (t.next == 0)
        return 0;
    const HMENU h = t.next++;
    t.menus.emplace(h, Menu{popup, {}});
    return h;
}

Menu *find(Table &t, HMENU menu)
{
    auto it = t.menus.find(menu);
    return it == t.menus.end() ? nullptr : &it->second;
}

// The index of the item that position names; npos when none.
size_t indexOf(const Menu &m, UINT item, UINT flags)
{
    if (flags & MF_BYPOSITION)
        return item < m.items.size() ? item : std::string::npos;
    for (size_t i = 0; i < m.items.size(); ++i)
        if (!(m.items[i].flags & MF_POPUP) && !(m.items[i].flags & MF_SEPARATOR) && m.items[i].id == item)
            return i;
    return std::string::npos;
}

bool makeItem(Table &t, HMENU menu, UINT flags, uintptr_t id, const char *text, Item &out)
{
    out = Item{flags & ~MF_BYPOSITION, 0, 0, text && !(flags & MF_SEPARATOR) ? text : ""};
    if (flags & MF_POPUP) {
        const HMENU sub = HMENU(id);
        if (sub == menu || !find(t, sub))
            return false;
        out.subMenu = sub;
    } else if (!(flags & MF_SEPARATOR)) {
        out.id = UINT(id);
    }
    return true;
}

} // namespace

HMENU CreateMenu() { return create(false); }

HMENU CreatePopupMenu() { return create(true); }

BOOL DestroyMenu(HMENU menu)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    Menu *m = find(t, menu);
    if (!m)
        return FALSE;
    std::vector<HMENU> subs;
    for (const Item &i : m->items)
        if (i.subMenu)
            subs.push_back(i.subMenu);
    t.menus.erase(menu);
    for (HMENU s : subs)
        DestroyMenu(s);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    return find(t, menu) != nullptr;
}

BOOL AppendMenuA(HMENU menu, UINT flags, uintptr_t id, const char *text)
{
    return InsertMenuA(menu, UINT(-1), flags | MF_BYPOSITION, id, text);
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, uintptr_t id, const char *text)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    Menu *m = find(t, menu);
    Item item;
    if (!m || !makeItem(t, menu, flags, id, text, item))
        return FALSE;
    size_t at = m->items.size();
    if (flags & MF_BYPOSITION) {
        at = std::min<size_t>(position, m->items.size());
    } else {
        at = indexOf(*m, position, MF_BYCOMMAND);
        if (at == std::string::npos)
            return FALSE;
    }
    m->items.insert(m->items.begin() + ptrdiff_t(at), std::move(item));
    return TRUE;
}

int GetMenuItemCount(HMENU menu)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const Menu *m = find(t, menu);
    return m ? int(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const Menu *m = find(t, menu);
    if (!m || position < 0 || size_t(position) >= m->items.size() || (m->items[position].flags & MF_POPUP))
        return UINT(-1);
    return m->items[position].id;
}

HMENU GetSubMenu(HMENU menu, int position)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const Menu *m = find(t, menu);
    if (!m || position < 0 || size_t(position) >= m->items.size())
        return 0;
    return m->items[position].subMenu;
}

int GetMenuStringA(HMENU menu, UINT item, char *buffer, int size, UINT flags)
{
    if (buffer && size > 0)
        buffer[0] = 0;
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const Menu *m = find(t, menu);
    const size_t i = m ? indexOf(*m, item, flags) : std::string::npos;
    if (i == std::string::npos || !buffer || size <= 0)
        return 0;
    const std::string &text = m->items[i].text;
    const size_t n = std::min(text.size(), size_t(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return int(n);
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const Menu *m = find(t, menu);
    const size_t i = m ? indexOf(*m, item, flags) : std::string::npos;
    return i == std::string::npos ? UINT(0xFFFFFFFF) : m->items[i].flags;
}
