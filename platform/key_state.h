// The state of the keyboard as the engine and the control ask for it:
// GetKeyState answers for the modifier keys, letters, digits and a few
// others, from a tracker that watches every key event of the application.
// Tests set a key's state directly.
#pragma once

#include <cstdint>

inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12; // Alt
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
// The left and right keys of a pair; the pair's own code is down while
// either is.
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
// Letters and digits are their upper-case characters: 'A' .. 'Z', '0' .. '9'.

// Negative while the key is down; bit 0 toggles with each press. 0 for a
// key never pressed and for a code outside 0 .. 255.
int16_t GetKeyState(int virtualKey);

// Marks a key down or up, as a key event does (tests, and a host that feeds
// events of its own). Pressing toggles bit 0.
void SetKeyState(int virtualKey, bool down);

// Every key up, as when the application loses the focus: the releases of
// keys held then never arrive (toggles stay).
void ReleaseAllKeys();

// Starts watching the application's key events (and its focus: keys held
// when a widget or the application loses the focus count as released),
// once; later calls do nothing. Called on the application's thread after
// the application object exists; GetKeyState calls it there by itself.
void InstallKeyStateTracker();
