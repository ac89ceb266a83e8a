// The numbers of window messages, key and mouse flags, virtual keys and
// scroll codes that a window's handler receives, and the translation of
// Qt's keys and mouse state into them.
#pragma once

#include "platform/types.h"

#include <Qt>

inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;
inline constexpr UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_HSCROLL = 0x0114;
inline constexpr UINT WM_VSCROLL = 0x0115;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
inline constexpr UINT WM_MOUSEWHEEL = 0x020A;
inline constexpr UINT WM_SIZING = 0x0214;
inline constexpr UINT WM_RENDERFORMAT = 0x0305;

// WM_SIZE size types.
inline constexpr WPARAM SIZE_RESTORED = 0;
// WM_ACTIVATE states.
inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;

// Key flags of mouse messages.
inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;

// Scroll codes of WM_HSCROLL and WM_VSCROLL.
inline constexpr int SB_LINEUP = 0;
inline constexpr int SB_LINELEFT = 0;
inline constexpr int SB_LINEDOWN = 1;
inline constexpr int SB_LINERIGHT = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGELEFT = 2;
inline constexpr int SB_PAGEDOWN = 3;
inline constexpr int SB_PAGERIGHT = 3;
inline constexpr int SB_THUMBPOSITION = 4;
inline constexpr int SB_THUMBTRACK = 5;
inline constexpr int SB_TOP = 6;
inline constexpr int SB_LEFT = 6;
inline constexpr int SB_BOTTOM = 7;
inline constexpr int SB_RIGHT = 7;
inline constexpr int SB_ENDSCROLL = 8;

// Virtual keys besides those of key_state.h.
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_F1 = 0x70;

// The virtual key of a Qt key; the numeric pad's plus and minus (keypad
// modifier) are VK_ADD and VK_SUBTRACT. 0 for a key without one.
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
// The MK_ flags of a mouse message from Qt's buttons and modifiers.
WPARAM MouseKeyFlagsFromQt(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// A mouse message's lParam: x in the low 16 bits, y in the high 16 bits,
// each as a signed 16-bit value; and back.
constexpr LPARAM MakePointLParam(int x, int y)
{
    return LPARAM((uint32_t(uint16_t(x))) | (uint32_t(uint16_t(y)) << 16));
}
constexpr int PointLParamX(LPARAM l) { return int16_t(uint16_t(uint32_t(l) & 0xFFFF)); }
constexpr int PointLParamY(LPARAM l) { return int16_t(uint16_t((uint32_t(l) >> 16) & 0xFFFF)); }
