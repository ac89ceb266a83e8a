// Keyboard shortcuts: a key with modifiers bound to a tool, stored under
// the Toolbars key as an integer value named K + three hexadecimal digits
// of flags x 256 + virtual key code, whose data is the tool's catalogue
// position. Keys are Windows virtual-key codes (VirtualKeyOfQtKey).
#pragma once

#include <Qt>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TRegLink;

// Modifier flags of a shortcut.
inline constexpr int32_t kShortcutShift = 1;
inline constexpr int32_t kShortcutCtrl = 2;
inline constexpr int32_t kShortcutAlt = 4;

// Virtual-key codes the shortcuts name.
inline constexpr int kVkDelete = 46;
inline constexpr int kVkF1 = 112;
inline constexpr int kVkF13 = 124;

// The Windows virtual-key code of a Qt key: letters, digits, F1-F24,
// arrows, Home/End/PgUp/PgDn, Insert/Delete, Pause, Escape, Enter, Tab,
// Space, Backspace, the modifier keys, and the keypad (with
// Qt::KeypadModifier: digits give 96..105, * + - . / give 106..111);
// 0 for any other key.
int VirtualKeyOfQtKey(int qtKey, Qt::KeyboardModifiers modifiers);
// The shortcut flags (Shift 1, Ctrl 2, Alt 4) of Qt modifiers.
int32_t ShortcutFlagsOf(Qt::KeyboardModifiers modifiers);

class TShortcut {
public:
    TShortcut() = default;
    // From a stored value: the name as ParseValueName reads it.
    TShortcut(const std::string &valueName, int32_t position);

    int32_t Flags = 0;
    int32_t Key = 0;
    int32_t Position = 0; // catalogue position of the tool; 0 = none

    // Flags from the modifiers, the key code, the catalogue position of
    // the tool (-1 when the tool has none).
    void SetKey(Qt::KeyboardModifiers modifiers, int32_t key, uint8_t toolId);
    // Only a 4-character name beginning with K whose other characters are
    // hexadecimal digits is read; false (nothing changed) for others.
    bool ParseValueName(const std::string &name);
    // "K" + flags x 256 + key as three upper-case hexadecimal digits.
    std::string ValueName() const;
    // "[" + modifiers + key + "]", for example [Ctrl+D], [Shft+A].
    std::string Text() const;
    // A digit, letter or F1-F13 key and a tool assigned.
    bool IsValid() const;
    // A digit or letter without modifiers, or Delete with any: such keys
    // act only while the map window has the focus.
    bool NeedsMapFocus() const;
    // Writes the position under the value name when the name has 4
    // characters and the position is above 0; false otherwise.
    bool Store(const TRegLink &key) const;
};

// The shortcuts of a registry key (by default the Toolbars key), in the
// key's value order.
class TShortcuts {
public:
    TShortcuts();
    explicit TShortcuts(const TRegLink &key);
    ~TShortcuts();

    // Every value whose name has 4 characters and begins with K; its data
    // is the position (0 when unreadable or not a position of the table).
    void Load();
    // False, and nothing changed, when the key combination is taken or the
    // shortcut cannot be stored; otherwise the tool's previous shortcut is
    // removed and this one stored and listed.
    bool Assign(const TShortcut &shortcut);
    // Deletes its registry value and its list entry.
    void Remove(const TShortcut &shortcut);
    // Removes every shortcut and writes the defaults.
    void ResetAll();
    // Writes the default shortcuts.
    void SetDefaults();
    // The first shortcut of the position, null when none.
    const TShortcut *FindByTool(int32_t position) const;
    // The shortcut of a value name, null when none.
    const TShortcut *Find(const std::string &valueName) const;

    int Count() const { return int(items_.size()); }
    const TShortcut &Item(int index) const { return *items_.at(size_t(index)); }

private:
    const TRegLink &key_;
    std::vector<std::unique_ptr<TShortcut>> items_;
};
