#include "editor/shell/catalogue/shortcuts.h"

#include "editor/shell/catalogue/tool_catalogue.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/reg_link.h"

#include <algorithm>
#include <cstdio>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A catalogue position that names a tool: not the divider, not the unused
// position, not past the table.
bool IsToolPosition(int32_t position)
{
    return position > 0 && position < kCatalogueIndexCount && position != kUnusedCataloguePosition;
}

bool IsDigitKey(int32_t key) { return key >= '0' && key <= '9'; }
bool IsLetterKey(int32_t key) { return key >= 'A' && key <= 'Z'; }

struct KeyPair {
    int qt;
    int vk;
};

// Keys whose Qt code does not follow from a range.
constexpr KeyPair kNamedKeys[] = {
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},     {Qt::Key_Backtab, 9},  {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},    {Qt::Key_Shift, 16},  {Qt::Key_Control, 17}, {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},    {Qt::Key_Escape, 27}, {Qt::Key_Space, 32},   {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},    {Qt::Key_Home, 36},    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},       {Qt::Key_Right, 39},  {Qt::Key_Down, 40},    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
};

// Keypad keys other than the digits, with Qt::KeypadModifier.
constexpr KeyPair kKeypadKeys[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},  {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},   {Qt::Key_Slash, 111}, {Qt::Key_Comma, 110},
};

struct DefaultShortcut {
    const char *name;
    uint8_t tool;
};

const DefaultShortcut kDefaultShortcuts[] = {
    {"K02E", 185}, // Delete: Delete Object
    {"K013", 5},   // Pause: Toggle Office
    {"K244", 2},   // Ctrl+D: Toggle Debug
    {"K344", 3},   // Ctrl+Shift+D: Debug Dialogue
    {"K254", 4},   // Ctrl+T: Open Tracer
    {"K324", 7},   // Ctrl+Shift+Home: reset all application settings
    {"K258", 52},  // Ctrl+X: Cut
    {"K243", 54},  // Ctrl+C: Copy
    {"K256", 55},  // Ctrl+V: Paste
    {"K25A", 50},  // Ctrl+Z: Undo
    {"K259", 51},  // Ctrl+Y: Redo
};

} // namespace

int VirtualKeyOfQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? 96 + (qtKey - Qt::Key_0) : qtKey;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return kVkF1 + (qtKey - Qt::Key_F1);
    if (keypad) {
        for (const KeyPair &pair : kKeypadKeys)
            if (pair.qt == qtKey)
                return pair.vk;
    }
    for (const KeyPair &pair : kNamedKeys)
        if (pair.qt == qtKey)
            return pair.vk;
    return 0;
}

int32_t ShortcutFlagsOf(Qt::KeyboardModifiers modifiers)
{
    int32_t flags = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        flags |= kShortcutShift;
    if (modifiers.testFlag(Qt::ControlModifier))
        flags |= kShortcutCtrl;
    if (modifiers.testFlag(Qt::AltModifier))
        flags |= kShortcutAlt;
    return flags;
}

// ---- TShortcut ----

TShortcut::TShortcut(const std::string &valueName, int32_t position) : Position(position)
{
    ParseValueName(valueName);
}

void TShortcut::SetKey(Qt::KeyboardModifiers modifiers, int32_t key, uint8_t toolId)
{
    Flags = ShortcutFlagsOf(modifiers);
    Key = key;
    Position = TfrmButtons::IndexOfTool(toolId);
}

bool TShortcut::ParseValueName(const std::string &name)
{
    if (name.size() != 4 || (name[0] != 'K' && name[0] != 'k'))
        return false;
    const int flags = HexValue(name[1]);
    const int high = HexValue(name[2]);
    const int low = HexValue(name[3]);
    if (flags < 0 || high < 0 || low < 0)
        return false;
    Flags = flags;
    Key = high * 16 + low;
    return true;
}

std::string TShortcut::ValueName() const
{
    char text[16];
    std::snprintf(text, sizeof text, "K%03X", unsigned(Flags * 256 + Key));
    return text;
}

std::string TShortcut::Text() const
{
    std::string text = "[";
    if (Flags & kShortcutAlt)
        text += "Alt";
    if (Flags & kShortcutCtrl)
        text += text.size() == 1 ? "Ctrl" : "+Ctrl";
    if (Flags & kShortcutShift)
        text += text.size() == 1 ? "Shft" : "+Shift";
    if (text.size() > 1)
        text += "+";
    if (IsDigitKey(Key) || IsLetterKey(Key))
        text += char(Key);
    else if (Key >= kVkF1 && Key < kVkF1 + 12)
        text += "F" + std::to_string(Key - kVkF1 + 1);
    return text + "]";
}

bool TShortcut::IsValid() const
{
    const bool key = IsDigitKey(Key) || IsLetterKey(Key) || (Key >= kVkF1 && Key <= kVkF13);
    return key && Position > 0;
}

bool TShortcut::NeedsMapFocus() const
{
    return ((IsDigitKey(Key) || IsLetterKey(Key)) && Flags == 0) || Key == kVkDelete;
}

bool TShortcut::Store(const TRegLink &key) const
{
    const std::string name = ValueName();
    if (name.size() != 4 || Position <= 0)
        return false;
    return key.WriteInteger(name, Position);
}

// ---- TShortcuts ----

TShortcuts::TShortcuts() : TShortcuts(Global().ToolbarsKey()) {}

TShortcuts::TShortcuts(const TRegLink &key) : key_(key) {}

TShortcuts::~TShortcuts() = default;

void TShortcuts::Load()
{
    items_.clear();
    for (const std::string &name : key_.ValueNames()) {
        auto shortcut = std::make_unique<TShortcut>();
        if (!shortcut->ParseValueName(name))
            continue;
        // Data of another type, or past the catalogue index table, names no
        // tool.
        const int32_t position = key_.GetInteger(name, 0);
        shortcut->Position = IsToolPosition(position) ? position : 0;
        items_.push_back(std::move(shortcut));
    }
}

const TShortcut *TShortcuts::Find(const std::string &valueName) const
{
    for (const auto &item : items_)
        if (item->ValueName() == valueName)
            return item.get();
    return nullptr;
}

const TShortcut *TShortcuts::FindByTool(int32_t position) const
{
    for (const auto &item : items_)
        if (item->Position == position)
            return item.get();
    return nullptr;
}

bool TShortcuts::Assign(const TShortcut &shortcut)
{
    if (Find(shortcut.ValueName()))
        return false;
    if (shortcut.ValueName().size() != 4 || !IsToolPosition(shortcut.Position))
        return false;
    if (const TShortcut *previous = FindByTool(shortcut.Position))
        Remove(*previous);
    if (!shortcut.Store(key_))
        return false;
    items_.push_back(std::make_unique<TShortcut>(shortcut));
    return true;
}

void TShortcuts::Remove(const TShortcut &shortcut)
{
    const std::string name = shortcut.ValueName();
    key_.DeleteValue(name);
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [&name](const auto &item) { return item->ValueName() == name; }),
                 items_.end());
}

void TShortcuts::ResetAll()
{
    Load();
    while (!items_.empty()) {
        const TShortcut last = *items_.back();
        Remove(last);
    }
    SetDefaults();
    Load();
}

void TShortcuts::SetDefaults()
{
    for (const DefaultShortcut &entry : kDefaultShortcuts)
        key_.WriteInteger(entry.name, TfrmButtons::IndexOfTool(entry.tool));
}
